#include "raster/BitmapPainter.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <vector>

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

// For each of count destination pixels, the source pixel under its centre, times step. In
// 16.16 fixed point, stepping as the painter does, so that both pick the same pixels.
std::vector<int> nearestSources(int sourceLength, int count, int step)
{
    std::vector<int> sources(static_cast<std::size_t>(count));
    const double scale = double(sourceLength) / count;
    const qint64 increment = qint64(65536 * scale);
    qint64 position = qint64(std::ceil(0.5 * scale * 65536)) - 1;
    for (int d = 0; d < count; ++d, position += increment)
        sources[std::size_t(d)] = step * int(std::min<qint64>(sourceLength - 1, position >> 16));
    return sources;
}

// 24-bit pixels straight into RGB32, without converting the source pixels that are skipped.
// Each pixel is read as four bytes where the line has a fourth, which is much faster than
// three single reads.
void scaleRgb888(const QImage& source, QImage& target)
{
    const int width = target.width();
    const int height = target.height();
    const std::vector<int> columns = nearestSources(source.width(), width, 3);
    const std::vector<int> rows = nearestSources(source.height(), height, 1);
    const qsizetype sourceLine = source.bytesPerLine();
    int wide = width;
    while (wide > 0 && columns[std::size_t(wide - 1)] + 4 > sourceLine)
        --wide;
    const int* column = columns.data();
    const uchar* sourceBits = source.constBits();
    uchar* targetBits = target.bits();
    const qsizetype targetLine = target.bytesPerLine();
    for (int y = 0; y < height; ++y) {
        const uchar* from = sourceBits + rows[std::size_t(y)] * sourceLine;
        auto* to = reinterpret_cast<QRgb*>(targetBits + y * targetLine);
        int x = 0;
        for (; x < wide; ++x)
            to[x] = 0xff000000u | (qFromBigEndian<quint32>(from + column[x]) >> 8);
        for (; x < width; ++x) {
            const uchar* pixel = from + column[x];
            to[x] = qRgb(pixel[0], pixel[1], pixel[2]);
        }
    }
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

bool scaleForScreen(const RasterBitmap& bitmap, const QSize& size, QImage& scaled)
{
    if (!bitmap.isAllocated() || size.isEmpty()) {
        scaled = QImage();
        return false;
    }
    if (scaled.size() != size || scaled.format() != QImage::Format_RGB32)
        scaled = QImage(size, QImage::Format_RGB32);
    if (scaled.isNull())
        return false;
    if (bitmap.image().format() == QImage::Format_RGB888) {
        scaleRgb888(bitmap.image(), scaled);
        return true;
    }
    scaled.fill(Qt::white);
    QPainter painter(&scaled);
    if (paintBitmap(painter, bitmap, scaled.rect()))
        return true;
    painter.end();
    scaled = QImage();
    return false;
}
