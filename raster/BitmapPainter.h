#pragma once

#include "raster/RasterBitmap.h"

#include <QRect>

class QImage;
class QPainter;
class QSize;

// Draws the whole bitmap scaled into target on the painter's surface (copy mode),
// clipped to clip when it is not null.
[[nodiscard]] bool paintBitmap(QPainter& painter, const RasterBitmap& bitmap, const QRect& target,
                               const QRect& clip = QRect());

// scaled := the whole bitmap scaled to size by nearest neighbour, opaque (RGB32), so that
// drawing it again is a plain copy. Reuses scaled's pixels when it already has that size, as
// a preview redone on every click has. False, with scaled null, when the bitmap or size is
// empty or the image cannot be made.
bool scaleForScreen(const RasterBitmap& bitmap, const QSize& size, QImage& scaled);
