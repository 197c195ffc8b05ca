#include "FuzzSupport.h"
#include "raster/PcxCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::checkRoundTrip(fuzz::input(data, size), decodePcx, encodePcx);
    return 0;
}
