#include "app/CropFrame.h"

namespace {

constexpr int kGripHalf = 7;

Rect squareAround(int x, int y)
{
    return {x - kGripHalf, y - kGripHalf, x + kGripHalf, y + kGripHalf};
}

bool contains(const Rect& r, QPoint p)
{
    return p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom;
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
        if (contains(GripRect(r, grip), p))
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

void dragCropFrame(Rect& frame, int grip, QPoint delta, long double aspectRatio)
{
    if (grip == kGripBody) {
        frame.left += delta.x();
        frame.right += delta.x();
        frame.top += delta.y();
        frame.bottom += delta.y();
        return;
    }
    ResizeByGrip(frame, delta, grip);
    const int width = RectWidth(frame);
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
