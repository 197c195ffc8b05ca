#include "camera/VideoFrames.h"

#include <QVideoFrame>
#include <QVideoFrameFormat>

#include <cstring>

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

// The stack's converter of 4:2:2 planar frames (what JPEG decoders make of most MJPEG
// cameras' frames) writes past its picture. Such a frame goes to the stack as 4:2:0
// instead: the same luma, every other chroma row. Null when a plane is shorter than the
// frame's layout says.
QVideoFrame as420(const QVideoFrame& frame)
{
    QVideoFrame source = frame;
    QVideoFrame result{QVideoFrameFormat(frame.size(), QVideoFrameFormat::Format_YUV420P)};
    if (!source.map(QVideoFrame::ReadOnly))
        return {};
    const bool mapped = result.map(QVideoFrame::WriteOnly);
    const int height = frame.height();
    bool whole = mapped && source.planeCount() == 3 && result.planeCount() == 3;
    for (int plane = 0; whole && plane < 3; ++plane) {
        const int rows = plane == 0 ? height : height / 2;
        const int step = plane == 0 ? 1 : 2; // source rows per result row
        const qsizetype rowBytes = qMin(source.bytesPerLine(plane), result.bytesPerLine(plane));
        whole = qsizetype(source.bytesPerLine(plane)) * ((rows - 1) * step) + rowBytes <=
                    source.mappedBytes(plane) &&
                qsizetype(result.bytesPerLine(plane)) * rows <= result.mappedBytes(plane);
        for (int row = 0; whole && row < rows; ++row)
            std::memcpy(result.bits(plane) + row * result.bytesPerLine(plane),
                        source.bits(plane) + row * step * source.bytesPerLine(plane),
                        size_t(rowBytes));
    }
    source.unmap();
    if (mapped)
        result.unmap();
    return whole ? result : QVideoFrame();
}

// The frame as the stack converts it.
QImage convert(const QVideoFrame& frame)
{
    if (frame.pixelFormat() != QVideoFrameFormat::Format_YUV422P)
        return frame.toImage();
    const QVideoFrame repacked = as420(frame);
    return repacked.isValid() ? repacked.toImage() : QImage();
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
    const QImage full = convert(frame);
    if (full.isNull())
        return {};
    return full.scaled(place.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage stillImage(const QVideoFrame& frame)
{
    if (!convertible(frame))
        return {};
    const QImage full = convert(frame);
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
