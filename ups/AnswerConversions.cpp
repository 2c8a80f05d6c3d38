#include "ups/AnswerConversions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace kelvane {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipBlanks(std::string_view text, std::size_t at) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    return at;
}

std::size_t SkipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && IsDigit(text[at])) ++at;
    return at;
}

int HexDigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decimal exponent of the number's leading significant digit, for telling an overflow from an underflow
// when the number is out of range; saturating, since the exponent may be absurdly long.
long long Magnitude(std::string_view integerDigits, std::string_view fractionDigits,
                    std::string_view exponent) {
    long long scale = 0;
    const std::size_t firstInteger = integerDigits.find_first_not_of('0');
    if (firstInteger != std::string_view::npos) {
        scale = static_cast<long long>(integerDigits.size() - firstInteger);
    } else {
        const std::size_t firstFraction = fractionDigits.find_first_not_of('0');
        scale = -static_cast<long long>(firstFraction == std::string_view::npos ? 0 : firstFraction);
    }
    bool negative = false;
    std::size_t at = 0;
    if (at < exponent.size() && (exponent[at] == '+' || exponent[at] == '-'))
        negative = exponent[at++] == '-';
    long long power = 0;
    for (; at < exponent.size() && power < 1'000'000; ++at) power = power * 10 + (exponent[at] - '0');
    return negative ? scale - power : scale + power;
}

// Where the leading number's parts lie: its sign, its integer digits and its fraction digits. It has
// none when there is no digit on either side of the point.
struct LeadingNumber {
    bool Negative = false;
    std::size_t NumberStart = 0;
    std::size_t IntegerEnd = 0;
    std::size_t FractionStart = 0;
    std::size_t FractionEnd = 0;

    bool HasDigits() const { return IntegerEnd != NumberStart || FractionEnd != FractionStart; }
};

LeadingNumber FindLeadingNumber(std::string_view text) {
    LeadingNumber number;
    std::size_t at = SkipBlanks(text, 0);
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) number.Negative = text[at++] == '-';
    number.NumberStart = at;
    number.IntegerEnd = SkipDigits(text, at);
    number.FractionStart = number.IntegerEnd;
    number.FractionEnd = number.IntegerEnd;
    if (number.IntegerEnd < text.size() && text[number.IntegerEnd] == '.') {
        number.FractionStart = number.IntegerEnd + 1;
        number.FractionEnd = SkipDigits(text, number.FractionStart);
    }
    return number;
}

}  // namespace

bool StartsWithNumber(std::string_view text) {
    return FindLeadingNumber(text).HasDigits();
}

double ParseDecimal(std::string_view text) {
    const LeadingNumber leading = FindLeadingNumber(text);
    if (!leading.HasDigits()) return 0.0;
    const auto [negative, numberStart, integerEnd, fractionStart, fractionEnd] = leading;

    std::size_t numberEnd = fractionEnd;
    std::string_view exponent;
    if (numberEnd < text.size() && (text[numberEnd] == 'e' || text[numberEnd] == 'E')) {
        std::size_t digitsStart = numberEnd + 1;
        if (digitsStart < text.size() && (text[digitsStart] == '+' || text[digitsStart] == '-'))
            ++digitsStart;
        const std::size_t digitsEnd = SkipDigits(text, digitsStart);
        if (digitsEnd > digitsStart) {
            exponent = text.substr(numberEnd + 1, digitsEnd - numberEnd - 1);
            numberEnd = digitsEnd;
        }
    }

    const std::string_view number = text.substr(numberStart, numberEnd - numberStart);
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        const long long magnitude =
            Magnitude(text.substr(numberStart, integerEnd - numberStart),
                      text.substr(fractionStart, fractionEnd - fractionStart), exponent);
        value = magnitude > 0 ? HUGE_VAL : 0.0;
    } else if (error != std::errc{}) {
        value = 0.0;
    }
    return negative ? -value : value;
}

long ParseInteger(std::string_view text) {
    std::size_t at = SkipBlanks(text, 0);
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';

    // Accumulated on the negative side, which holds one more value than the positive side.
    constexpr long kMin = std::numeric_limits<long>::min();
    long value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        const long digit = text[at] - '0';
        value = value < (kMin + digit) / 10 ? kMin : value * 10 - digit;
    }
    if (negative) return value;
    return value == kMin ? std::numeric_limits<long>::max() : -value;
}

std::optional<uint8_t> ParseHexByte(std::string_view text) {
    if (text.size() < 2) return std::nullopt;
    const int high = HexDigitValue(text[0]);
    const int low = HexDigitValue(text[1]);
    if (high < 0 || low < 0) return std::nullopt;
    return static_cast<uint8_t>(high * 16 + low);
}

}  // namespace kelvane
