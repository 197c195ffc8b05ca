#pragma once

#include "raster/RasterBitmap.h"

#include <QRect>

class QPainter;

// Draws the whole bitmap scaled into target on the painter's surface (copy mode),
// clipped to clip when it is not null.
[[nodiscard]] bool paintBitmap(QPainter& painter, const RasterBitmap& bitmap, const QRect& target,
                               const QRect& clip = QRect());
