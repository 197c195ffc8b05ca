#include "app/CanvasInversion.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr quint32 kColourBits = 0x00ffffff;

// Canvas pixels per logical pixel (whole numbers only; fractions round).
int pixelRatio(const QImage& canvas)
{
    return std::max(1, static_cast<int>(std::lround(canvas.devicePixelRatio())));
}

// Inverts the logical pixel (x, y) or, on a high-density canvas, the block behind it.
class Inverter {
public:
    Inverter(QImage& canvas, const QRect& clip)
        : m_canvas(canvas), m_ratio(pixelRatio(canvas)),
          m_clip(clip.intersected(QRect(0, 0, canvas.width() / m_ratio, canvas.height() / m_ratio)))
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
        for (int y = top * m_ratio; y < bottom * m_ratio; ++y) {
            auto* line = reinterpret_cast<quint32*>(m_canvas.scanLine(y));
            for (int x = left * m_ratio; x < right * m_ratio; ++x)
                line[x] ^= kColourBits;
        }
    }

    void pixel(int x, int y) { fill(x, y, x + 1, y + 1); }

private:
    QImage& m_canvas;
    int m_ratio;
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
