#pragma once
// Nearest integer with halves to the even neighbour, on the exact quotient (no floating point).
#include <cstdint>

namespace qv {

constexpr int64_t roundHalfEvenQuotient(int64_t numerator, int64_t denominator) {
    if (denominator < 0) numerator = -numerator, denominator = -denominator;
    int64_t q = numerator / denominator;
    int64_t r = numerator % denominator;
    if (r < 0) r += denominator, q -= 1;  // floor division
    const int64_t twice = 2 * r;
    if (twice > denominator || (twice == denominator && (q & 1))) ++q;
    return q;
}

static_assert(roundHalfEvenQuotient(15, 2) == 8);
static_assert(roundHalfEvenQuotient(13, 2) == 6);
static_assert(roundHalfEvenQuotient(144, 10) == 14);

}  // namespace qv
