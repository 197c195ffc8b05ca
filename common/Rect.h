#pragma once

#include <cstdint>

// A rectangle in pixels; right and bottom are exclusive.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

std::int32_t RectWidth(const Rect& r);
std::int32_t RectHeight(const Rect& r);
// True when (x, y) lies inside r, its left and top edges included, right and bottom not.
bool RectContains(const Rect& r, std::int32_t x, std::int32_t y);
// Swaps left/right and top/bottom where they are the wrong way round.
void NormalizeRect(Rect& r);
// Shrinks r in proportion, keeping its top-left corner, so that it fits; never enlarges.
void FitRectInto(Rect& r, std::int32_t maxWidth, std::int32_t maxHeight);
// Moves r, keeping its size, so that it is centred in outer.
void CenterRectIn(Rect& r, const Rect& outer);
