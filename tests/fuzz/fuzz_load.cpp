#include "FuzzSupport.h"
#include "raster/BitmapIO.h"
#include "raster/ColorQuantizer.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The whole load dispatch, as a photo from anywhere reaches it; what loads is then
// reduced to 8 bits, the path of every GIF and 8-bit save.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RasterBitmap bitmap;
    if (!loadBitmapMemory(QByteArrayView(data, qsizetype(size)), bitmap, 0)) {
        if (bitmap.isAllocated())
            std::abort();
        return 0;
    }
    if (qint64(bitmap.width()) * bitmap.height() > 1'000'000)
        return 0;
    const QImage indexed = quantizeTo8(bitmap.image(), 256);
    if (indexed.size() != bitmap.image().size() || indexed.colorCount() > 256)
        std::abort();
    return 0;
}
