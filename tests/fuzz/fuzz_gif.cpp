#include "FuzzSupport.h"
#include "raster/GifCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::checkRoundTrip(fuzz::input(data, size), decodeGif, encodeGif);
    return 0;
}
