#include "app/PhotoCutter.h"

#include "raster/BitmapOps.h"

#include <algorithm>
#include <utility>

QString frameOutsidePhotoMessage()
{
    return QStringLiteral("사진 밖에 있는 영역은 자를 수 없습니다.");
}

Rect ClipToImage(Rect r, int width, int height)
{
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, width);
    r.bottom = std::min(r.bottom, height);
    return r;
}

namespace {

// The part of the photo under the frame, right and bottom exclusive; may be empty.
Rect framedArea(Rect frame, int width, int height)
{
    NormalizeRect(frame);
    return ClipToImage(frame, width, height);
}

bool isEmpty(const Rect& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

} // namespace

bool frameOutsidePhoto(const Rect& cropRect, int width, int height)
{
    return isEmpty(framedArea(cropRect, width, height));
}

bool cropFrameLargeEnough(const Rect& cropRect)
{
    return RectWidth(cropRect) >= kMinCutSide && RectHeight(cropRect) >= kMinCutSide;
}

bool cutFramedArea(RasterBitmap& cut, const RasterBitmap& photo, const Rect& cropRect,
                   int targetWidth, int targetHeight)
{
    if (!photo.isAllocated() || !raster::dimensionsAllowed(targetWidth, targetHeight))
        return false;
    const Rect area = framedArea(cropRect, photo.width(), photo.height());
    // A frame dragged wholly past the right or bottom edge clips to nothing.
    if (isEmpty(area))
        return false;
    RasterBitmap part;
    if (!copyBitmapRect(part, photo, area.left, area.top, area.right - area.left,
                        area.bottom - area.top) ||
        !sizeBitmap(part, targetWidth, targetHeight, SizeQuality::Final))
        return false;
    cut = std::move(part);
    return true;
}
