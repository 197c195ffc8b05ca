#include "camera/VideoFrames.h"

#include <QVideoFrame>

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
    if (place.isEmpty())
        return {};
    const QImage full = frame.toImage();
    if (full.isNull())
        return {};
    return full.scaled(place.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage stillImage(const QVideoFrame& frame)
{
    if (!frame.isValid())
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
