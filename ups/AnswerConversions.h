// Number conversions of the unit's answers. They read numbers the way the C library's strtod and atol do,
// but never depend on the process locale (the unit always writes "." as its decimal point), and they
// saturate where the C functions would overflow or the language would leave a conversion undefined.
#pragma once

#include <algorithm>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace kelvane {

// The leading decimal number (blanks, sign, digits, ".", exponent); 0 when the text does not begin with
// one. Too large a magnitude gives plus or minus HUGE_VAL, too small a one 0, as strtod does. Hexadecimal,
// "inf" and "nan" forms are not numbers here: a unit never sends them, and a NaN would poison every
// value computed from the reading.
double ParseDecimal(std::string_view text);

// Whether the text begins with a number as ParseDecimal reads one: blanks, a sign, then a digit or a
// "." followed by a digit. "NA", "" and "." do not, so their 0 from ParseDecimal is no reading.
bool StartsWithNumber(std::string_view text);

// The leading decimal integer (blanks, sign, digits), 0 when there is none; saturates at the range of long.
long ParseInteger(std::string_view text);

// The first two characters as one hexadecimal byte, or nothing unless both are hexadecimal digits.
std::optional<uint8_t> ParseHexByte(std::string_view text);

// Truncation toward zero that clamps to the target's range, and NaN to 0, instead of being undefined.
template <std::integral T>
T TruncateTo(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
    if (value <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
    return static_cast<T>(value);
}

// Narrowing to float that clamps to the largest finite float instead of being undefined.
inline float ToFloat(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::isnan(value)) return 0.0f;
    return static_cast<float>(std::clamp(value, -kMax, kMax));
}

}  // namespace kelvane
