// The numbers of texts: the value of a text as Tango-PCB's files hold it, rounded integers, decimal texts.
#include "util/text.hpp"

#include <charconv>
#include <cmath>
#include <limits>

namespace fk::util {

namespace {
// Digits with at most one point, as gathered by valueOf.
double decimalValue(const std::string& digits) {
    // from_chars wants a digit before the point (".5" is read as "0.5").
    std::string text;
    if (!digits.empty() && digits[0] == '.')
        text.push_back('0');
    text += digits;
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return value;
}
} // namespace

namespace {
// The start of every number of a text: blanks, then an optional sign. Returns whether the sign is minus.
bool skipBlanksAndSign(std::string_view text, size_t& i) {
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        return text[i++] == '-';
    return false;
}
} // namespace

double valueOf(std::string_view text) {
    std::string digits;
    size_t i = 0;
    const bool negative = skipBlanksAndSign(text, i);
    // Whole numbers of up to 18 digits are summed exactly; anything else is converted as a whole. Neither
    // depends on the locale, which a desktop program takes from its user (a decimal comma, say).
    unsigned long long whole = 0;
    int digitCount = 0;
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == ' ')
            continue;
        if (c >= '0' && c <= '9') {
            digits.push_back(c);
            whole = whole * 10 + static_cast<unsigned>(c - '0');
            ++digitCount;
        } else if (c == '.' && !seenPoint) {
            digits.push_back(c);
            seenPoint = true;
        } else {
            break;
        }
    }
    if (digitCount == 0)
        return 0.0;
    double value = (!seenPoint && digitCount <= 18) ? static_cast<double>(whole) : decimalValue(digits);
    return negative ? -value : value;
}

namespace {
std::optional<double> roundEven(double value, double low, double high) {
    if (!std::isfinite(value))
        return std::nullopt;
    double r = std::nearbyint(value); // the default rounding mode is to nearest, halves to even
    if (r < low || r > high)
        return std::nullopt;
    return r;
}
} // namespace

std::optional<int16_t> toInt16(double value) {
    auto r = roundEven(value, -32768.0, 32767.0);
    if (!r)
        return std::nullopt;
    return static_cast<int16_t>(*r);
}

std::optional<int32_t> toInt32(double value) {
    auto r = roundEven(value, -2147483648.0, 2147483647.0);
    if (!r)
        return std::nullopt;
    return static_cast<int32_t>(*r);
}

namespace {

// The value of a text rounded to an integer, halves to even, read digit by digit; nullopt when it has more
// than 15 digits. Up to 15 digits, rounding the exact decimal and rounding the nearest double (as valueOf
// reads it) always agree: the double is off by less than a 15-digit decimal can come to a half.
std::optional<long long> roundedShortValue(std::string_view text) {
    size_t i = 0;
    const bool negative = skipBlanksAndSign(text, i);
    long long whole = 0, fraction = 0, unit = 1; // unit: ten to the number of fraction digits
    int digits = 0;
    bool seenPoint = false;
    // Plain digits first, the common case, then blanks, a point and the fraction.
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 15; ++i, ++digits)
        whole = whole * 10 + (text[i] - '0');
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ')
            continue;
        if (c >= '0' && c <= '9') {
            if (++digits > 15)
                return std::nullopt;
            if (!seenPoint) {
                whole = whole * 10 + (c - '0');
            } else {
                fraction = fraction * 10 + (c - '0');
                unit *= 10;
            }
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (2 * fraction > unit || (2 * fraction == unit && whole % 2 != 0))
        ++whole;
    return negative ? -whole : whole;
}

template <typename Int> std::optional<Int> roundedValueOf(std::string_view text) {
    const auto value = roundedShortValue(text);
    if (!value) {
        const auto r = toInt32(valueOf(text)); // long numbers: the double's own rounding decides
        if (!r || *r < std::numeric_limits<Int>::min() || *r > std::numeric_limits<Int>::max())
            return std::nullopt;
        return static_cast<Int>(*r);
    }
    if (*value < std::numeric_limits<Int>::min() || *value > std::numeric_limits<Int>::max())
        return std::nullopt;
    return static_cast<Int>(*value);
}

} // namespace

std::optional<int16_t> int16OfAnyText(std::string_view text) {
    return roundedValueOf<int16_t>(text);
}

std::optional<int32_t> int32OfAnyText(std::string_view text) {
    return roundedValueOf<int32_t>(text);
}

std::string signedText(long long value) {
    std::string digits = std::to_string(value);
    if (value >= 0)
        digits.insert(digits.begin(), ' '); // by character: GCC 12 warns falsely on a literal here at -O3
    return digits;
}

std::string decimalText(std::int64_t steps, int decimals) {
    const bool negative = steps < 0;
    std::string digits = std::to_string(negative ? -steps : steps);
    if (digits.size() <= static_cast<size_t>(decimals))
        digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
    if (decimals > 0)
        digits.insert(digits.end() - decimals, '.'); // by character, as in signedText
    return (negative ? "-" : "") + digits;
}

std::string shortDecimalText(std::int64_t steps, int decimals) {
    std::string text = decimalText(steps, decimals);
    if (decimals > 0) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

std::string numberText(double value) {
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    // The shortest digits that read back as the same value, never with an exponent or a locale's comma.
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

} // namespace fk::util
