#include "app/CanvasInversion.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr quint32 kColourBits = 0x00ffffff;

// The canvas coordinate of a logical one, rounded half up as the painter rounds the edges
// of what it fills. Logical pixel x covers the canvas pixels [toCanvas(x), toCanvas(x + 1)),
// so neighbours neither overlap nor leave a gap, whether the ratio is whole or not (1.5).
int toCanvas(int logical, qreal ratio)
{
    return static_cast<int>(std::floor(logical * ratio + 0.5));
}

// Inverts the logical pixel (x, y), that is, the block of canvas pixels behind it.
class Inverter {
public:
    Inverter(QImage& canvas, const QRect& clip)
        : m_canvas(canvas),
          m_ratio(canvas.devicePixelRatio() > 0 ? canvas.devicePixelRatio() : 1.0), m_clip(clip)
    {
    }

    void fill(int left, int top, int right, int bottom)
    {
        left = std::max(left, m_clip.left());
        top = std::max(top, m_clip.top());
        right = std::min(right, m_clip.right() + 1);
        bottom = std::min(bottom, m_clip.bottom() + 1);
        if (left >= right || top >= bottom)
            return;
        const int fromX = std::max(0, toCanvas(left, m_ratio));
        const int toX = std::min(m_canvas.width(), toCanvas(right, m_ratio));
        const int fromY = std::max(0, toCanvas(top, m_ratio));
        const int toY = std::min(m_canvas.height(), toCanvas(bottom, m_ratio));
        for (int y = fromY; y < toY; ++y) {
            auto* line = reinterpret_cast<quint32*>(m_canvas.scanLine(y));
            for (int x = fromX; x < toX; ++x)
                line[x] ^= kColourBits;
        }
    }

    void pixel(int x, int y) { fill(x, y, x + 1, y + 1); }

private:
    QImage& m_canvas;
    qreal m_ratio;
    QRect m_clip;
};

// Calls visit(x, y) for each outline pixel of the normalised, non-empty r, clockwise
// from the top-left corner, each pixel once.
template <typename Visit> void forEachOutlinePixel(const Rect& r, Visit visit)
{
    const int lastX = r.right - 1;
    const int lastY = r.bottom - 1;
    for (int x = r.left; x <= lastX; ++x)
        visit(x, r.top);
    for (int y = r.top + 1; y <= lastY; ++y)
        visit(lastX, y);
    if (lastY > r.top) {
        for (int x = lastX - 1; x >= r.left; --x)
            visit(x, lastY);
    }
    if (lastX > r.left) {
        for (int y = lastY - 1; y > r.top; --y)
            visit(r.left, y);
    }
}

bool usable(const QImage& canvas)
{
    return canvas.format() == QImage::Format_RGB32 ||
           canvas.format() == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

void invertRect(QImage& canvas, const Rect& r, const QRect& clip)
{
    if (!usable(canvas))
        return;
    Inverter(canvas, clip).fill(r.left, r.top, r.right, r.bottom);
}

void invertFrame(QImage& canvas, Rect r, const QRect& clip)
{
    NormalizeRect(r);
    if (!usable(canvas) || r.right <= r.left || r.bottom <= r.top)
        return;
    Inverter inverter(canvas, clip);
    const int lastX = r.right - 1;
    const int lastY = r.bottom - 1;
    inverter.fill(r.left, r.top, r.right, r.top + 1);
    if (lastY > r.top)
        inverter.fill(r.left, lastY, r.right, r.bottom);
    inverter.fill(r.left, r.top + 1, r.left + 1, lastY);
    if (lastX > r.left)
        inverter.fill(lastX, r.top + 1, r.right, lastY);
}

void invertDottedFrame(QImage& canvas, Rect r, const QRect& clip)
{
    NormalizeRect(r);
    if (!usable(canvas) || r.right <= r.left || r.bottom <= r.top)
        return;
    Inverter inverter(canvas, clip);
    int index = 0;
    forEachOutlinePixel(r, [&](int x, int y) {
        if (index++ % 2 == 0)
            inverter.pixel(x, y);
    });
}
