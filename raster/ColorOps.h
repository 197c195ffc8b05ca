#pragma once

#include "raster/RasterBitmap.h"

// Colour operations work through lookup tables; 8-bit bitmaps change their palette.

// amount in tenths of a percent of full scale added to each channel:
// 0 no change, +1000 white, -1000 black.
[[nodiscard]] bool changeIntensity(RasterBitmap& bitmap, int amount);
// amount in tenths of a percent: 0 no change, -1000 flat mid-grey, +1000 hard threshold
// at mid-grey, monotone in between.
[[nodiscard]] bool changeContrast(RasterBitmap& bitmap, int amount);
// value in hundredths: 100 no change, larger brightens (out = in^(100/value));
// values <= 0 change nothing.
[[nodiscard]] bool gammaCorrect(RasterBitmap& bitmap, int value);
// angle in degrees, wrapping modulo 360; lightness and saturation kept.
[[nodiscard]] bool changeHue(RasterBitmap& bitmap, int angle);
// tenths of a percent: -1000 grey, 0 no change, +1000 doubled (clamped).
[[nodiscard]] bool changeSaturation(RasterBitmap& bitmap, int amount);
// Composites the picture over white and makes it opaque: a transparent pixel becomes
// white, a half-transparent one its blend with white. Depth and layout stay (ARGB32
// becomes RGB32; an 8-bit bitmap changes its palette).
[[nodiscard]] bool flattenOnWhite(RasterBitmap& bitmap);
