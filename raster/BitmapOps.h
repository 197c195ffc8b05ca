#pragma once

#include "raster/RasterBitmap.h"

#include <QColor>

// Copies are independent of their source (copy-on-write underneath).
[[nodiscard]] bool copyBitmap(RasterBitmap& destination, const RasterBitmap& source);
// Copies the given area, clipped to the source; an empty intersection fails.
[[nodiscard]] bool copyBitmapRect(RasterBitmap& destination, const RasterBitmap& source, int left,
                                  int top, int width, int height);
// A new bitmap of the given size and depth (8, 24 or 32), every pixel black.
[[nodiscard]] bool createBitmap(RasterBitmap& bitmap, int width, int height, int bitsPerPixel);
// Sets every pixel to colour.
[[nodiscard]] bool fillBitmap(RasterBitmap& bitmap, QColor colour);
// Converts in place to 24 bits per pixel (no-op when already 24).
[[nodiscard]] bool convertTo24(RasterBitmap& bitmap);
// Converts in place to 8 bits per pixel through a median-cut palette.
[[nodiscard]] bool convertTo8(RasterBitmap& bitmap);

// Resizes to exactly width × height. Fast: bilinear (previews). Final: area averaging
// when shrinking, bicubic when enlarging.
enum class SizeQuality { Fast = 0, Final = 4 };
[[nodiscard]] bool sizeBitmap(RasterBitmap& bitmap, int width, int height, SizeQuality quality);

// A quarter turn clockwise; width and height swap.
[[nodiscard]] bool rotateBitmapClockwise(RasterBitmap& bitmap);
