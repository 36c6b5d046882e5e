// The checked reader of the numbers other tools' files hold: a decimal read exactly into an integer of a
// fixed scale, or the reason it cannot be. Nothing is rounded, wrapped or read as 0.
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

namespace fk::util {

enum class NumberFault {
    None,
    Empty,           // no text at all
    NotANumber,      // no digit, or anything but one leading sign, digits and one point
    TooManyDecimals, // more digits after the point than the scale keeps
    TooManyDigits,   // more digits, without leading zeros, than a 64-bit count surely holds (18 at the scale)
    OutOfRange,      // beyond the largest value the caller takes
};

struct Fixed {
    std::int64_t value = 0; // in units of 10^-decimals; 0 when there is a fault
    NumberFault fault = NumberFault::None;
    bool ok() const { return fault == NumberFault::None; }
};

// "12", "-0.035", "+.5", "3." with `decimals` (0 to 18) as a count of 10^-decimals: "0.035" with 4 gives 350.
// A value whose magnitude exceeds `largest` is OutOfRange.
Fixed readFixed(std::string_view text, int decimals,
                std::int64_t largest = std::numeric_limits<std::int64_t>::max());

} // namespace fk::util
