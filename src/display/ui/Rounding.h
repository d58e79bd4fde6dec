#pragma once
// Rounding used when the layout is scaled: to the nearest integer, halves to
// the even neighbour, so that repeated scalings do not drift in one direction.

#include <cmath>
#include <cstdint>

inline int roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double diff = value - lower;
    double result = lower;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(lower, 2.0) != 0.0))
        result = lower + 1.0;
    return static_cast<int>(result);
}

// value * num / den rounded half to even, computed exactly in integers.
inline int scaleHalfEven(int value, int num, int den)
{
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const std::int64_t product = static_cast<std::int64_t>(value) * num;
    std::int64_t quotient = product / den;
    std::int64_t remainder = product % den;
    if (remainder < 0) {
        remainder += den;
        --quotient;
    }
    const std::int64_t twice = remainder * 2;
    if (twice > den || (twice == den && (quotient % 2) != 0))
        ++quotient;
    return static_cast<int>(quotient);
}
