#include "common/Rect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

namespace {

// Sums and differences of extreme coordinates must not overflow; saturate instead.
std::int32_t saturate(std::int64_t value)
{
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < lo ? lo : (value > hi ? hi : value));
}

std::int32_t span(std::int32_t from, std::int32_t to)
{
    return saturate(std::llabs(std::int64_t{to} - from));
}

// Scale factor for one side; a zero side never limits the fit.
double sideScale(std::int32_t limit, std::int32_t side)
{
    if (side == 0)
        return std::numeric_limits<double>::infinity();
    return static_cast<double>(limit) / side;
}

// Rounds to the nearest integer, halves to the even neighbour.
std::int64_t roundHalfEven(double value)
{
    return static_cast<std::int64_t>(std::nearbyint(value));
}

} // namespace

std::int32_t RectWidth(const Rect& r)
{
    return span(r.left, r.right);
}

std::int32_t RectHeight(const Rect& r)
{
    return span(r.top, r.bottom);
}

void NormalizeRect(Rect& r)
{
    if (r.right < r.left)
        std::swap(r.left, r.right);
    if (r.bottom < r.top)
        std::swap(r.top, r.bottom);
}

void FitRectInto(Rect& r, std::int32_t maxWidth, std::int32_t maxHeight)
{
    // A negative limit cannot be met by any size but zero.
    maxWidth = std::max(maxWidth, std::int32_t{0});
    maxHeight = std::max(maxHeight, std::int32_t{0});
    const std::int32_t w = RectWidth(r);
    const std::int32_t h = RectHeight(r);
    if (maxWidth >= w && maxHeight >= h)
        return;
    const double sx = sideScale(maxWidth, w);
    const double sy = sideScale(maxHeight, h);
    const double s = sx >= sy ? sy : sx;
    r.right = saturate(r.left + roundHalfEven(w * s));
    r.bottom = saturate(r.top + roundHalfEven(h * s));
}

void CenterRectIn(Rect& r, const Rect& outer)
{
    const std::int32_t w = RectWidth(r);
    const std::int32_t h = RectHeight(r);
    r.left = saturate(outer.left + (std::int64_t{RectWidth(outer)} - w) / 2);
    r.top = saturate(outer.top + (std::int64_t{RectHeight(outer)} - h) / 2);
    r.right = saturate(std::int64_t{r.left} + w);
    r.bottom = saturate(std::int64_t{r.top} + h);
}

bool RectContains(const Rect& r, std::int32_t x, std::int32_t y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
