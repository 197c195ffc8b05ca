#include "raster/BitmapPainter.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// The part of target that can show on the surface.
QRect visiblePart(const QPainter& painter, const QRect& target, const QRect& clip)
{
    QRect visible = target;
    if (!clip.isNull())
        visible &= clip;
    const QPaintDevice* device = painter.device();
    if (device && painter.worldTransform().isIdentity())
        visible &= QRect(0, 0, device->width(), device->height());
    return visible;
}

} // namespace

// Only the source pixels behind the visible part (plus one for smoothing at its edges) are
// converted and drawn, so a small window on a large photo costs the window, not the photo.
bool paintBitmap(QPainter& painter, const RasterBitmap& bitmap, const QRect& target,
                 const QRect& clip)
{
    if (!bitmap.isAllocated() || target.isEmpty() || !painter.isActive())
        return false;
    const QRect visible = visiblePart(painter, target, clip);
    if (visible.isEmpty())
        return true;
    const QImage& image = bitmap.image();
    const double scaleX = double(image.width()) / target.width();
    const double scaleY = double(image.height()) / target.height();
    const int left = std::max(0, int(std::floor((visible.left() - target.left()) * scaleX)) - 1);
    const int top = std::max(0, int(std::floor((visible.top() - target.top()) * scaleY)) - 1);
    const int right =
        std::min(image.width(), int(std::ceil((visible.right() + 1 - target.left()) * scaleX)) + 1);
    const int bottom = std::min(image.height(),
                                int(std::ceil((visible.bottom() + 1 - target.top()) * scaleY)) + 1);
    const QRect source(left, top, right - left, bottom - top);
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    const QImage part = source == image.rect() ? image.convertToFormat(format)
                                               : image.copy(source).convertToFormat(format);
    if (part.isNull())
        return false;
    const QRectF drawn(target.left() + left / scaleX, target.top() + top / scaleY,
                       source.width() / scaleX, source.height() / scaleY);
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setClipRect(visible, Qt::IntersectClip);
    painter.drawImage(drawn, part);
    painter.restore();
    return true;
}
