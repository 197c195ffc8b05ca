#include "effects/EffectPreview.h"

#include "common/Rect.h"
#include "raster/BitmapOps.h"

#include <algorithm>
#include <utility>

bool makePreviewSource(RasterBitmap& preview, const RasterBitmap& photo, int boxWidth,
                       int boxHeight)
{
    RasterBitmap scaled;
    if (!copyBitmap(scaled, photo))
        return false;
    Rect fitted{0, 0, photo.width(), photo.height()};
    FitRectInto(fitted, boxWidth, boxHeight);
    // A sliver of a photo still gets one pixel on its short side.
    const int width = std::max(1, RectWidth(fitted));
    const int height = std::max(1, RectHeight(fitted));
    if ((width != photo.width() || height != photo.height()) &&
        !sizeBitmap(scaled, width, height, SizeQuality::Fast))
        return false;
    preview = std::move(scaled);
    return true;
}

QRect previewTargetRect(int width, int height, int boxWidth, int boxHeight)
{
    Rect target{0, 0, width, height};
    FitRectInto(target, boxWidth, boxHeight);
    CenterRectIn(target, Rect{0, 0, boxWidth, boxHeight});
    return QRect(target.left, target.top, RectWidth(target), RectHeight(target));
}
