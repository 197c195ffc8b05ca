#pragma once

#include "raster/RasterBitmap.h"

// Both filters cost O(1) per pixel whatever their size; edges are replicated.
// 8-bit bitmaps are converted to 24 bits first.

// n × n mean.
[[nodiscard]] bool averageFilter(RasterBitmap& bitmap, int size);
// Gaussian blur with sigma = radius / 3.
[[nodiscard]] bool gaussianFilter(RasterBitmap& bitmap, int radius);
// destination := per-channel average of destination and source over the given area
// (destination coordinates; source read from its own top-left).
[[nodiscard]] bool combineAverage(RasterBitmap& destination, int left, int top, int width,
                                  int height, const RasterBitmap& source);
