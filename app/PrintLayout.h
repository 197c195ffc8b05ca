#pragma once

#include "common/Rect.h"
#include "raster/RasterBitmap.h"

#include <QRect>

class QPagedPaintDevice;
class QPainter;

// The printed sheet: 152 × 102 mm, its top-left corner at the printable area's.
inline constexpr Rect kSheetMillimetres{0, 0, 152, 102};
inline constexpr int kTwipsPerInch = 1440;

// Converts each coordinate from millimetres to 1/1440 inch: round(v / 2.54 · 144), halves
// to even. (0, 0, 152, 102) gives (0, 0, 8617, 5783).
Rect MillimetresToTwips(const Rect& millimetres);

// The sheet's rectangle in device pixels for a device of the given resolution.
QRect sheetDeviceRect(int dotsPerInchX, int dotsPerInchY);

// Draws sheet stretched to 152 × 102 mm with its top-left corner at the painter's origin,
// which on a printer is the printable area's top-left corner. The painter's state is kept.
bool PrintSheet(QPainter& painter, const RasterBitmap& sheet);

// One print document holding the sheet on its first page. False when the device cannot be
// painted on or the sheet is missing.
bool printSheetDocument(QPagedPaintDevice& device, const RasterBitmap& sheet);
