#include "app/CropFrame.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kGripHalf = 7;

Rect squareAround(int x, int y)
{
    return {x - kGripHalf, y - kGripHalf, x + kGripHalf, y + kGripHalf};
}

} // namespace

Rect GripRect(Rect r, int grip)
{
    NormalizeRect(r);
    const int middle = r.top + (r.bottom - r.top) / 2;
    switch (grip) {
    case kGripRight:
        return squareAround(r.right, middle);
    case kGripBottomRight:
        return squareAround(r.right, r.bottom);
    default:
        return {};
    }
}

int GripAtPoint(const Rect& r, QPoint p)
{
    for (int grip : {kGripRight, kGripBottomRight}) {
        if (RectContains(GripRect(r, grip), p.x(), p.y()))
            return grip;
    }
    return kGripBody;
}

void ResizeByGrip(Rect& r, QPoint delta, int grip)
{
    if (grip != kGripRight && grip != kGripBottomRight)
        return;
    r.right += delta.x();
    if (grip == kGripBottomRight)
        r.bottom += delta.y();
}

void ClampCropOrigin(Rect& r)
{
    if (r.left < 0) {
        r.right -= r.left;
        r.left = 0;
    }
    if (r.top < 0) {
        r.bottom -= r.top;
        r.top = 0;
    }
}

int minimumFrameWidth(int zoomPercent, long double aspectRatio)
{
    const int drawnSide = kSmallestDrawnFrame + 1;
    int width = std::max(drawnSide, (kMinFrameWidth * std::max(zoomPercent, 1) + 99) / 100);
    if (aspectRatio <= 0)
        return width;
    width = std::max(width, static_cast<int>(std::ceil(drawnSide / aspectRatio)));
    // The division may round a hair short of what the truncated height needs.
    while (static_cast<int>(width * aspectRatio) < drawnSide)
        ++width;
    return width;
}

void dragCropFrame(Rect& frame, int grip, QPoint delta, long double aspectRatio, int zoomPercent)
{
    if (grip == kGripBody) {
        frame.left += delta.x();
        frame.right += delta.x();
        frame.top += delta.y();
        frame.bottom += delta.y();
        return;
    }
    ResizeByGrip(frame, delta, grip);
    // Measured signed: past the left edge the width must not turn round and grow again.
    const int width =
        std::max(frame.right - frame.left, minimumFrameWidth(zoomPercent, aspectRatio));
    const int height = static_cast<int>(width * aspectRatio);
    frame = {frame.left, frame.top, frame.left + width, frame.top + height};
}

Qt::CursorShape cursorForGrip(int grip)
{
    switch (grip) {
    case kGripRight:
        return Qt::SizeHorCursor;
    case kGripBottomRight:
        return Qt::SizeFDiagCursor;
    default:
        return Qt::PointingHandCursor;
    }
}
