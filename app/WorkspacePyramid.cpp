#include "app/WorkspacePyramid.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Reductions stop once a side would fall below this; smaller views just scale down.
constexpr int kSmallestSide = 16;
// The photo at the current zoom is kept while it is at most this large (16 MB); a
// larger view (a big photo zoomed in) scales the visible part at each paint instead.
constexpr qint64 kMaxScaledPixels = qint64(2048) * 2048;

inline quint32 packed(unsigned r, unsigned g, unsigned b)
{
    return 0xff000000u | (r << 16) | (g << 8) | b;
}

// One reduction step shrinks by at most 2^4, so 16 rows of bytes fit 16-bit sums.
constexpr int kMaxStep = 4;

// sum[i] += in[i]; the two never overlap, which lets the compiler vectorise it.
void addBytes(quint16* __restrict sum, const uchar* __restrict in, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        sum[i] += in[i];
}

// Box averages of factor × factor blocks. Source is 24-bit (R, G, B bytes) or 32-bit
// (0xAARRGGBB, so B, G, R, A bytes); alpha is dropped, as the workspace paints photos
// opaque. Rows are first summed byte by byte, which vectorises, and only then across.
template <int BytesPerPixel> QImage reduceBy(const QImage& source, int factor)
{
    constexpr int red = BytesPerPixel == 3 ? 0 : 2;
    constexpr int blue = BytesPerPixel == 3 ? 2 : 0;
    QImage result(source.width() / factor, source.height() / factor, QImage::Format_RGB32);
    const int width = result.width();
    const size_t rowBytes = static_cast<size_t>(width) * factor * BytesPerPixel;
    std::vector<quint16> sums(rowBytes);
    const quint32 area = static_cast<quint32>(factor) * static_cast<quint32>(factor);
    for (int y = 0; y < result.height(); ++y) {
        std::fill(sums.begin(), sums.end(), quint16(0));
        for (int row = 0; row < factor; ++row) {
            addBytes(sums.data(), source.constScanLine(y * factor + row), rowBytes);
        }
        auto* out = reinterpret_cast<quint32*>(result.scanLine(y));
        const quint16* sum = sums.data();
        for (int x = 0; x < width; ++x) {
            quint32 total[BytesPerPixel] = {};
            for (int i = 0; i < factor; ++i, sum += BytesPerPixel) {
                for (int c = 0; c < BytesPerPixel; ++c)
                    total[c] += sum[c];
            }
            out[x] = packed((total[red] + area / 2) / area, (total[1] + area / 2) / area,
                            (total[blue] + area / 2) / area);
        }
    }
    return result;
}

bool isRgb32Layout(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

QImage reduce(const QImage& source, int factor)
{
    if (source.format() == QImage::Format_RGB888)
        return reduceBy<3>(source, factor);
    if (isRgb32Layout(source.format()))
        return reduceBy<4>(source, factor);
    return reduceBy<4>(source.convertToFormat(QImage::Format_RGB32), factor);
}

// The part of image inside area, in a format the painter blends fast, without copying
// when the layout already suits.
QImage screenReady(const QImage& image, const QRect& area)
{
    if (image.format() == QImage::Format_RGB32) {
        const uchar* first = image.constScanLine(area.top()) + 4 * area.left();
        return QImage(first, area.width(), area.height(), image.bytesPerLine(),
                      QImage::Format_RGB32);
    }
    return image.copy(area).convertToFormat(QImage::Format_RGB32);
}

} // namespace

void WorkspacePyramid::clear()
{
    m_levels.clear();
    m_scaled = QImage();
    m_photoKey = 0;
}

void WorkspacePyramid::forgetOtherPhoto(const QImage& photo)
{
    if (photo.cacheKey() == m_photoKey)
        return;
    clear();
    m_photoKey = photo.cacheKey();
}

int WorkspacePyramid::levelCount() const
{
    return static_cast<int>(std::count_if(m_levels.begin(), m_levels.end(),
                                          [](const QImage& l) { return !l.isNull(); }));
}

const QImage& WorkspacePyramid::levelFor(const QImage& photo, QSize deviceTarget)
{
    forgetOtherPhoto(photo);
    // The deepest reduction by 2^k that still covers the target and is not tiny.
    int depth = 0;
    while (true) {
        const int width = photo.width() >> (depth + 1);
        const int height = photo.height() >> (depth + 1);
        if (width < std::max(deviceTarget.width(), kSmallestSide) ||
            height < std::max(deviceTarget.height(), kSmallestSide))
            break;
        ++depth;
    }
    if (depth == 0)
        return photo;
    if (m_levels.size() < static_cast<size_t>(depth))
        m_levels.resize(depth);
    int finer = depth;
    while (finer > 0 && m_levels[finer - 1].isNull())
        --finer;
    while (finer < depth) {
        const int step = std::min(depth - finer, kMaxStep);
        const QImage& source = finer == 0 ? photo : m_levels[finer - 1];
        m_levels[finer + step - 1] = reduce(source, 1 << step);
        finer += step;
    }
    return m_levels[depth - 1];
}

const QImage& WorkspacePyramid::scaledFor(const QImage& photo, QSize deviceTarget)
{
    forgetOtherPhoto(photo);
    if (m_scaled.size() == deviceTarget)
        return m_scaled;
    const QImage& level = levelFor(photo, deviceTarget);
    const QImage sized =
        level.size() == deviceTarget
            ? level
            : level.scaled(deviceTarget, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_scaled = sized.format() == QImage::Format_RGB32 ? sized
                                                      : sized.convertToFormat(QImage::Format_RGB32);
    // Sharing the photo's own pixels would make its next edit copy them.
    if (m_scaled.cacheKey() == photo.cacheKey())
        m_scaled = m_scaled.copy();
    return m_scaled;
}

void WorkspacePyramid::paint(QPainter& painter, const QImage& photo, const QRect& target,
                             const QRect& clip)
{
    const QRect visible = target.intersected(clip);
    if (photo.isNull() || visible.isEmpty())
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    const QSize deviceTarget = target.size() * ratio;
    if (qint64(deviceTarget.width()) * deviceTarget.height() <= kMaxScaledPixels) {
        const QImage& scaled = scaledFor(photo, deviceTarget);
        const QRectF source(QPointF(visible.topLeft() - target.topLeft()) * ratio,
                            QSizeF(visible.size()) * ratio);
        painter.drawImage(QRectF(visible), scaled, source);
        return;
    }
    const QImage& level = levelFor(photo, deviceTarget);
    // Map the visible part of target back onto the level, then take whole source
    // pixels around it (one extra on each side feeds the smooth filter).
    const qreal sx = qreal(level.width()) / target.width();
    const qreal sy = qreal(level.height()) / target.height();
    const QRectF source((visible.left() - target.left()) * sx, (visible.top() - target.top()) * sy,
                        visible.width() * sx, visible.height() * sy);
    const QRect area =
        QRect(QPoint(int(std::floor(source.left())) - 1, int(std::floor(source.top())) - 1),
              QPoint(int(std::ceil(source.right())), int(std::ceil(source.bottom()))))
            .intersected(level.rect());
    if (area.isEmpty())
        return;
    const QImage part = screenReady(level, area);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(visible), part, source.translated(-area.topLeft()));
    painter.restore();
}
