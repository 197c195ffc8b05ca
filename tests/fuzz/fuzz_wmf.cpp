#include "FuzzSupport.h"
#include "raster/WmfCodec.h"

// Drawn small, so that each run spends its time in the parser rather than in filling pixels.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::touchLastRow(decodeWmf(fuzz::input(data, size), fuzz::kMetafileSide));
    return 0;
}
