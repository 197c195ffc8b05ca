#pragma once

#include "raster/RasterBitmap.h"

#include <QSize>

// The soft-glow look: a gamma step chosen by the user, then the picture averaged with a
// strongly blurred copy of itself, brightened and given contrast.
namespace softglow {
inline constexpr int kDarken = -70;
inline constexpr int kBlurRadius = 100;
inline constexpr int kBrighten = 150;
inline constexpr int kContrast = 120;
inline constexpr int kGammaCap = 700;
} // namespace softglow

// The full effect on the photo, in place. False when a step fails; bitmap is then left
// exactly as it was.
[[nodiscard]] bool applySoftGlow(RasterBitmap& bitmap, int gammaValue);

// The blur radius that gives a preview whose side is previewSide where the photo's is
// photoSide the same look as the full blur on the photo; at least 1.
int previewGlowRadius(int previewSide, int photoSide);
// The same for a preview of previewSize fitted from a photo of photoSize, measured along
// the photo's longer side: the shorter one may have been rounded, or raised to one pixel.
int previewGlowRadius(QSize previewSize, QSize photoSize);

// The same chain on a scaled-down copy of a photo of photoSize, with the blur scaled to
// match, so the preview shows what the full effect will give. Fails as applySoftGlow does.
[[nodiscard]] bool applySoftGlowPreview(RasterBitmap& preview, int gammaValue, QSize photoSize);
