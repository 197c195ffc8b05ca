#pragma once

#include <cstdint>

// a * b / c with a 64-bit intermediate, rounded to nearest, halves away from zero.
// Returns -1 when c is zero or the result does not fit in 32 bits.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);
