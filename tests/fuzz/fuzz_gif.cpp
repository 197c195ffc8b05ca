#include "raster/GifCodec.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Decodes the input; whatever decodes must survive our own encoder and come back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QImage image = decodeGif(QByteArrayView(data, qsizetype(size)));
    if (image.isNull() || qint64(image.width()) * image.height() > 1'000'000)
        return 0;
    const QImage again = decodeGif(encodeGif(image));
    if (again.size() != image.size())
        std::abort();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (again.pixel(x, y) != image.pixel(x, y))
                std::abort();
    return 0;
}
