#include "app/WorkspaceGeometry.h"

#include "common/MulDiv.h"

#include <algorithm>

namespace {

Rect intersected(const Rect& a, const Rect& b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

bool isEmpty(const Rect& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

int zoomed(int length, int zoom)
{
    return MulDiv(length, zoom, 100);
}

void addClipped(QList<Rect>& strips, const Rect& strip, const Rect& clip)
{
    const Rect part = intersected(strip, clip);
    if (!isEmpty(part))
        strips.append(part);
}

} // namespace

int fitZoomPercent(int imageWidth, int imageHeight, int maxWidth, int maxHeight)
{
    Rect r{0, 0, imageWidth, imageHeight};
    FitRectInto(r, maxWidth, maxHeight);
    const int fittedWidth = RectWidth(r);
    if (imageWidth <= 0 || fittedWidth <= 0)
        return 100;
    const long double ratio = static_cast<long double>(imageWidth) / fittedWidth;
    const int zoom = static_cast<int>(100.0L / ratio);
    return zoom > 0 ? zoom : 100;
}

ScrollRanges scrollRanges(const ViewMapping& view)
{
    ScrollRanges ranges;
    ranges.horizontal = zoomed(view.imageWidth, view.zoom);
    ranges.vertical = zoomed(view.imageHeight, view.zoom);
    ranges.eraseBack = view.clientWidth > ranges.horizontal || view.clientHeight > ranges.vertical;
    return ranges;
}

QPoint centeringOffset(const ViewMapping& view)
{
    if (!view.hasImage())
        return {};
    const int sw = zoomed(view.imageWidth, view.zoom);
    const int sh = zoomed(view.imageHeight, view.zoom);
    return {sw < view.clientWidth ? (view.clientWidth - sw) / 2 : 0,
            sh < view.clientHeight ? (view.clientHeight - sh) / 2 : 0};
}

void imageToScreen(const ViewMapping& view, Rect& r)
{
    const QPoint offset = centeringOffset(view);
    const int w = zoomed(r.right - r.left, view.zoom);
    const int h = zoomed(r.bottom - r.top, view.zoom);
    r.left = zoomed(r.left, view.zoom) - view.scrollX + offset.x();
    r.top = zoomed(r.top, view.zoom) - view.scrollY + offset.y();
    r.right = r.left + w;
    r.bottom = r.top + h;
}

void screenToImage(const ViewMapping& view, Rect& r)
{
    const QPoint offset = centeringOffset(view);
    const int left = r.left - offset.x();
    const int top = r.top - offset.y();
    const int w = MulDiv(r.right - r.left, 100, view.zoom);
    const int h = MulDiv(r.bottom - r.top, 100, view.zoom);
    r.left = MulDiv(left + view.scrollX, 100, view.zoom);
    r.top = MulDiv(top + view.scrollY, 100, view.zoom);
    r.right = r.left + w;
    r.bottom = r.top + h;
}

QList<Rect> backgroundStrips(const ViewMapping& view, const Rect& clip)
{
    QList<Rect> strips;
    const int cw = view.clientWidth;
    const int ch = view.clientHeight;
    if (!view.hasImage()) {
        addClipped(strips, {0, 0, cw, ch}, clip);
        return strips;
    }
    const QPoint offset = centeringOffset(view);
    const int sw = zoomed(view.imageWidth, view.zoom);
    const int sh = zoomed(view.imageHeight, view.zoom);
    if (offset.x() > 0) {
        addClipped(strips, {0, 0, offset.x() - 1, ch}, clip);
        addClipped(strips, {offset.x() + sw + 1, 0, cw, ch}, clip);
    }
    if (offset.y() > 0) {
        addClipped(strips, {0, 0, cw, offset.y() - 1}, clip);
        addClipped(strips, {0, offset.y() + sh + 1, cw, ch}, clip);
    }
    return strips;
}
