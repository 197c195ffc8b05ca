#include "effects/SoftGlow.h"

#include "common/MulDiv.h"
#include "raster/BitmapOps.h"
#include "raster/ColorOps.h"
#include "raster/Filters.h"

#include <algorithm>
#include <utility>

namespace {

// The whole chain on a copy of bitmap, which takes the result only when every step
// succeeded: a step that failed half-way must not leave a half-made look behind.
bool applyChain(RasterBitmap& bitmap, int gammaValue, int blurRadius)
{
    RasterBitmap result;
    RasterBitmap blurred;
    const bool done = copyBitmap(result, bitmap) && gammaCorrect(result, gammaValue) &&
                      copyBitmap(blurred, result) && changeIntensity(result, softglow::kDarken) &&
                      gaussianFilter(blurred, blurRadius) &&
                      combineAverage(result, 0, 0, result.width(), result.height(), blurred) &&
                      changeIntensity(result, softglow::kBrighten) &&
                      changeContrast(result, softglow::kContrast);
    if (done)
        bitmap = std::move(result);
    return done;
}

} // namespace

bool applySoftGlow(RasterBitmap& bitmap, int gammaValue)
{
    return applyChain(bitmap, gammaValue, softglow::kBlurRadius);
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

bool applySoftGlowPreview(RasterBitmap& preview, int gammaValue, QSize photoSize)
{
    return applyChain(preview, std::min(softglow::kGammaCap, gammaValue),
                      previewGlowRadius(QSize(preview.width(), preview.height()), photoSize));
}
