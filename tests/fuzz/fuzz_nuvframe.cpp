#include "FuzzSupport.h"

#include "common/StreamError.h"
#include "effects/_NuvFrame.h"

#include <QBuffer>

// Any frame file, composed and used around a few small photos: no crash, and a composed
// frame always has the size its header asks for.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    TNuvFrame frame;
    try {
        frame.LoadFromStream(stream);
    } catch (const StreamError&) {
    }
    // Frames the raster caps allow but that take seconds to fill only slow the search.
    const qint64 extraWidth = frame.FrameHeader.ExtraWidth;
    const qint64 extraHeight = frame.FrameHeader.ExtraHeight;
    if ((extraWidth + 120) * (extraHeight + 90) > 4'000'000)
        return 0;
    for (const QSize photoSize : {QSize(1, 1), QSize(37, 23), QSize(120, 90)}) {
        RasterBitmap composed;
        if (frame.Compose(photoSize.width(), photoSize.height(), composed)) {
            if (composed.width() != qint64(photoSize.width()) + frame.FrameHeader.ExtraWidth)
                std::abort();
            fuzz::touchLastRow(composed.image());
        }
        RasterBitmap photo(QImage(photoSize, QImage::Format_RGB888));
        if (framePhoto(frame, photo))
            fuzz::touchLastRow(photo.image());
    }
    return 0;
}
