#include "effects/ToneAdjustment.h"

#include "raster/ColorOps.h"

#include <algorithm>

int cappedAdjustValue(int value)
{
    return std::min(kAdjustCap, value);
}

void adjustBitmap(RasterBitmap& bitmap, AdjustKind kind, const AdjustValues& values)
{
    if (kind == AdjustKind::Tone) {
        changeIntensity(bitmap, cappedAdjustValue(values.value1));
        changeContrast(bitmap, cappedAdjustValue(values.value2));
        gammaCorrect(bitmap, cappedAdjustValue(values.value3));
        return;
    }
    changeHue(bitmap, cappedAdjustValue(values.value1));
    changeSaturation(bitmap, cappedAdjustValue(values.value2));
}
