#pragma once

#include "raster/RasterBitmap.h"

// What the adjustment dialog changes: tone (brightness, contrast, gamma) or colour (hue,
// saturation).
enum class AdjustKind { Tone = 1, Colour = 2 };

// The dialog's three slider rows; value3 (gamma) takes part in tone mode only.
struct AdjustValues {
    int value1 = 0;
    int value2 = 0;
    int value3 = 100;

    friend bool operator==(const AdjustValues&, const AdjustValues&) = default;
};

// The gamma gauge of the adjustment and soft-glow dialogs, in hundredths: 100 leaves the
// picture as it is.
inline constexpr int kGammaMinimum = 1;
inline constexpr int kGammaMaximum = 500;
inline constexpr int kGammaInitial = 100;

// Every amount is passed on capped from above at 700; lower values pass unchanged.
inline constexpr int kAdjustCap = 700;
int cappedAdjustValue(int value);

// Tone: intensity, contrast, gamma. Colour: hue, saturation. In place, all or nothing:
// when a step fails the result is false and bitmap is left exactly as it was.
[[nodiscard]] bool adjustBitmap(RasterBitmap& bitmap, AdjustKind kind, const AdjustValues& values);
