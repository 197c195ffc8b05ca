#include "effects/SoftGlow.h"

#include "common/MulDiv.h"
#include "raster/BitmapOps.h"
#include "raster/ColorOps.h"
#include "raster/Filters.h"

#include <algorithm>

namespace {

// Everything after the gamma step: darken the picture, average it with a blurred copy of
// the (gamma-corrected) picture, then brighten and add contrast.
void applyGlow(RasterBitmap& bitmap, int blurRadius)
{
    RasterBitmap blurred;
    copyBitmap(blurred, bitmap);
    changeIntensity(bitmap, softglow::kDarken);
    gaussianFilter(blurred, blurRadius);
    combineAverage(bitmap, 0, 0, bitmap.width(), bitmap.height(), blurred);
    changeIntensity(bitmap, softglow::kBrighten);
    changeContrast(bitmap, softglow::kContrast);
}

} // namespace

void applySoftGlow(RasterBitmap& bitmap, int gammaValue)
{
    gammaCorrect(bitmap, gammaValue);
    applyGlow(bitmap, softglow::kBlurRadius);
}

int previewGlowRadius(int previewSide, int photoSide)
{
    if (photoSide <= 0 || previewSide >= photoSide)
        return softglow::kBlurRadius;
    return std::max(1, MulDiv(softglow::kBlurRadius, previewSide, photoSide));
}

int previewGlowRadius(QSize previewSize, QSize photoSize)
{
    if (photoSize.height() > photoSize.width())
        return previewGlowRadius(previewSize.height(), photoSize.height());
    return previewGlowRadius(previewSize.width(), photoSize.width());
}

void applySoftGlowPreview(RasterBitmap& preview, int gammaValue, QSize photoSize)
{
    gammaCorrect(preview, std::min(softglow::kGammaCap, gammaValue));
    applyGlow(preview, previewGlowRadius(QSize(preview.width(), preview.height()), photoSize));
}
