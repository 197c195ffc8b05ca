#include "raster/JpegCodec.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QImage image = decodeJpeg(QByteArrayView(data, qsizetype(size)));
    // Touch the last pixel row so a wrongly sized result shows up under the sanitizer.
    if (!image.isNull())
        (void)image.constScanLine(image.height() - 1)[image.bytesPerLine() - 1];
    return 0;
}
