#pragma once

#include "raster/RasterBitmap.h"

#include <QRect>

// A copy of photo scaled down (quickly) to fit boxWidth × boxHeight; a photo that fits
// keeps its size.
RasterBitmap makePreviewSource(const RasterBitmap& photo, int boxWidth, int boxHeight);

// Where a width × height preview is drawn in a boxWidth × boxHeight paint box: fitted,
// then centred.
QRect previewTargetRect(int width, int height, int boxWidth, int boxHeight);
