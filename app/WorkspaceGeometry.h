#pragma once

#include "common/Rect.h"

#include <QList>
#include <QPoint>

// What the workspace mapping depends on: the photo's size (0 × 0 without a photo),
// the zoom in percent, the scroll positions and the client size, all in pixels.
struct ViewMapping {
    int imageWidth = 0;
    int imageHeight = 0;
    int zoom = 100;
    int scrollX = 0;
    int scrollY = 0;
    int clientWidth = 0;
    int clientHeight = 0;

    bool hasImage() const { return imageWidth > 0 && imageHeight > 0; }
};

// The zoom that shows a whole imageWidth × imageHeight photo within maxWidth × maxHeight:
// never above 100; 100 when the computation fails.
int fitZoomPercent(int imageWidth, int imageHeight, int maxWidth, int maxHeight);

struct ScrollRanges {
    int horizontal = 0;
    int vertical = 0;
    // The client area is not fully covered by the zoomed photo.
    bool eraseBack = false;

    friend bool operator==(const ScrollRanges&, const ScrollRanges&) = default;
};

ScrollRanges scrollRanges(const ViewMapping& view);
// Where a photo smaller than the client area starts, so that it is centred.
QPoint centeringOffset(const ViewMapping& view);
// Photo pixels to workspace client pixels and back; sizes and origins are converted
// separately.
void imageToScreen(const ViewMapping& view, Rect& r);
void screenToImage(const ViewMapping& view, Rect& r);
// The white areas to fill around the photo, clipped to clip; the rows and columns next
// to the photo are left for its outline. The whole client area without a photo.
QList<Rect> backgroundStrips(const ViewMapping& view, const Rect& clip);
