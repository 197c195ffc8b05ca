#include "raster/HeifCodec.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QImage image = decodeHeif(QByteArrayView(data, qsizetype(size)));
    if (!image.isNull())
        (void)image.constScanLine(image.height() - 1)[image.bytesPerLine() - 1];
    return 0;
}
