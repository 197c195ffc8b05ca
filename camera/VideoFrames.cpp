#include "camera/VideoFrames.h"

#include <QVideoFrame>
#include <QVideoFrameFormat>

namespace {

// Layouts without chroma subsampling, which any size fits.
bool fitsAnySize(QVideoFrameFormat::PixelFormat format)
{
    switch (format) {
    case QVideoFrameFormat::Format_ARGB8888:
    case QVideoFrameFormat::Format_ARGB8888_Premultiplied:
    case QVideoFrameFormat::Format_XRGB8888:
    case QVideoFrameFormat::Format_BGRA8888:
    case QVideoFrameFormat::Format_BGRA8888_Premultiplied:
    case QVideoFrameFormat::Format_BGRX8888:
    case QVideoFrameFormat::Format_ABGR8888:
    case QVideoFrameFormat::Format_XBGR8888:
    case QVideoFrameFormat::Format_RGBA8888:
    case QVideoFrameFormat::Format_RGBX8888:
    case QVideoFrameFormat::Format_AYUV:
    case QVideoFrameFormat::Format_AYUV_Premultiplied:
    case QVideoFrameFormat::Format_Y8:
    case QVideoFrameFormat::Format_Y16:
    case QVideoFrameFormat::Format_Jpeg:
        return true;
    default:
        return false;
    }
}

// Whether the stack can convert the frame. Its converters of subsampled layouts (YUYV,
// NV12, I420, 4:2:2 planar ...) write past the picture of an odd width or height, which
// no real camera sends, so such frames are refused; so is a frame beyond the bitmap caps.
bool convertible(const QVideoFrame& frame)
{
    const QSize size = frame.size();
    if (!frame.isValid() || !raster::dimensionsAllowed(size.width(), size.height()))
        return false;
    const bool even = size.width() % 2 == 0 && size.height() % 2 == 0;
    return even || fitsAnySize(frame.pixelFormat());
}

} // namespace

QRect previewPlace(QSize frameSize, QSize area)
{
    if (frameSize.isEmpty() || area.isEmpty())
        return {};
    const QSize shown = frameSize.scaled(area, Qt::KeepAspectRatio);
    return QRect(QPoint((area.width() - shown.width()) / 2, (area.height() - shown.height()) / 2),
                 shown);
}

QImage previewImage(const QVideoFrame& frame, QSize area)
{
    const QRect place = previewPlace(frame.size(), area);
    if (place.isEmpty() || !convertible(frame))
        return {};
    const QImage full = frame.toImage();
    if (full.isNull())
        return {};
    return full.scaled(place.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage stillImage(const QVideoFrame& frame)
{
    if (!convertible(frame))
        return {};
    const QImage full = frame.toImage();
    if (full.isNull())
        return {};
    return full.convertToFormat(QImage::Format_RGB32);
}

RasterBitmap photoFromStill(const QImage& still)
{
    if (still.isNull() || !raster::dimensionsAllowed(still.width(), still.height()))
        return {};
    return RasterBitmap(still.convertToFormat(QImage::Format_RGB32));
}
