#pragma once

#include "raster/RasterBitmap.h"

#include <QRect>

// preview := a copy of photo scaled down (quickly) to fit boxWidth × boxHeight; a photo
// that fits keeps its size. False when the copy or the scale fails; preview is then left
// as it was.
[[nodiscard]] bool makePreviewSource(RasterBitmap& preview, const RasterBitmap& photo, int boxWidth,
                                     int boxHeight);

// Where a width × height preview is drawn in a boxWidth × boxHeight paint box: fitted,
// then centred.
QRect previewTargetRect(int width, int height, int boxWidth, int boxHeight);
