#include "FuzzSupport.h"
#include "raster/JpegSymbolCounts.h"

// The symbol count walks bytes only our encoder wrote, but a fault in it must still end
// in a refusal, never a read past the data. The first bytes choose the scan's layout.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const std::vector<JpegSymbolCounts::Component> components{
        {data[0] % 5, data[1] % 5, data[1] / 5 % 5}, {1, 1, 1}, {1, 1, 1}};
    JpegSymbolCounts counts;
    (void)counts.count(fuzz::input(data + 3, size - 3), components, long(data[2]) * 64);
    return 0;
}
