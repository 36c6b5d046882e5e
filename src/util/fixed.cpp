// The checked fixed-point reader: syntax first, then what the scale and the caller's range hold.
#include "util/fixed.hpp"

#include "util/text.hpp"

#include <algorithm>

namespace fk::util {

namespace {
constexpr int mostDigits = 18; // every count of 18 digits fits a signed 64-bit integer
} // namespace

Fixed readFixed(std::string_view text, int decimals, std::int64_t largest) {
    if (text.empty())
        return {.fault = NumberFault::Empty};
    const bool negative = text[0] == '-';
    if (text[0] == '-' || text[0] == '+')
        text.remove_prefix(1);
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
    for (std::string_view part : {whole, fraction})
        for (char c : part)
            if (!isDigit(c))
                return {.fault = NumberFault::NotANumber};
    if (whole.empty() && fraction.empty())
        return {.fault = NumberFault::NotANumber};
    if (fraction.size() > static_cast<size_t>(decimals))
        return {.fault = NumberFault::TooManyDecimals};
    const size_t significant = whole.size() - std::min(whole.find_first_not_of('0'), whole.size());
    if (significant + static_cast<size_t>(decimals) > mostDigits)
        return {.fault = NumberFault::TooManyDigits};
    std::int64_t value = 0;
    for (char c : whole)
        value = value * 10 + (c - '0');
    for (int i = 0; i < decimals; ++i)
        value = value * 10 + (static_cast<size_t>(i) < fraction.size() ? fraction[i] - '0' : 0);
    if (value > largest)
        return {.fault = NumberFault::OutOfRange};
    return {.value = negative ? -value : value};
}

} // namespace fk::util
