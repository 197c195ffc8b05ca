#include "common/MulDiv.h"

#include <cstdlib>
#include <limits>

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = std::int64_t{a} * b;
    std::int64_t quotient = product / c;
    const std::int64_t remainder = product % c;
    // |remainder| < |c| <= 2^31, so doubling it stays well inside 64 bits.
    if (2 * std::llabs(remainder) >= std::llabs(std::int64_t{c}))
        quotient += (product < 0) == (c < 0) ? 1 : -1;
    if (quotient < std::numeric_limits<std::int32_t>::min() ||
        quotient > std::numeric_limits<std::int32_t>::max())
        return -1;
    return static_cast<std::int32_t>(quotient);
}
