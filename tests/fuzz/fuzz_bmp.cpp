#include "FuzzSupport.h"
#include "raster/BmpCodec.h"

// Alpha is not written, so only the colour channels must come back.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::checkRoundTrip(fuzz::input(data, size), decodeBmp, encodeBmp, RGB_MASK);
    return 0;
}
