#include "effects/ToneAdjustment.h"

#include "raster/BitmapOps.h"
#include "raster/ColorOps.h"

#include <algorithm>
#include <utility>

int cappedAdjustValue(int value)
{
    return std::min(kAdjustCap, value);
}

bool adjustBitmap(RasterBitmap& bitmap, AdjustKind kind, const AdjustValues& values)
{
    // Worked on a copy, so that a failing step cannot leave the earlier ones committed.
    RasterBitmap result;
    if (!copyBitmap(result, bitmap))
        return false;
    const int value1 = cappedAdjustValue(values.value1);
    const int value2 = cappedAdjustValue(values.value2);
    const bool done = kind == AdjustKind::Tone
                          ? changeIntensity(result, value1) && changeContrast(result, value2) &&
                                gammaCorrect(result, cappedAdjustValue(values.value3))
                          : changeHue(result, value1) && changeSaturation(result, value2);
    if (done)
        bitmap = std::move(result);
    return done;
}
