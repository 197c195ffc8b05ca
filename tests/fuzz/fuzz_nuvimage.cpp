#include "FuzzSupport.h"

#include "common/StreamError.h"
#include "overlay/_NuvImage.h"

#include <QBuffer>

// Any block: a stream error at worst, and the stream never left before its end.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    TNuvImage image;
    try {
        image.LoadFromStream(stream);
    } catch (const StreamError&) {
        if (!stream.atEnd())
            std::abort();
    }
    if (image.IsLoaded() && image.ColorBitmap.bitsPerPixel() != 24)
        std::abort();
    fuzz::touchLastRow(image.ColorBitmap.image());
    return 0;
}
