#include "FuzzSupport.h"
#include "raster/GifCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Our files carry no transparency: alpha is not compared.
    fuzz::checkRoundTrip(fuzz::input(data, size), decodeGif, encodeGif, 0x00ffffffu);
    return 0;
}
