#include "FuzzSupport.h"
#include "raster/JpegCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::touchLastRow(decodeJpeg(fuzz::input(data, size)));
    return 0;
}
