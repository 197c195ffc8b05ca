#include "FuzzSupport.h"
#include "raster/HeifCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::touchLastRow(decodeHeif(fuzz::input(data, size)));
    return 0;
}
