// Coordinate line rules of the NC drill dialects and of the derived drill files.
#pragma once

#include "util/length.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace fk::drill {

bool isCoordinateLine(std::string_view line);

// The preferred form: a letter, a sign and exactly six digits (2.4 inch) per coordinate, X before Y.
inline constexpr size_t maxPreferredLength = 16;
inline constexpr int preferredDecimals = 4; // steps of 0.0001 inch
inline constexpr std::int64_t largestPreferredValue = 999999;
// A length in steps of 0.0001 inch, rounded to nearest, halves to even.
inline std::int64_t preferredSteps(util::Length length) {
    return length.toInchDecimals(preferredDecimals);
}
// One coordinate: letter, sign ("+" unless negative or written "-") and six digits; returns 8.
size_t writePreferredCoordinate(char* out, char letter, char sign, std::int64_t steps);
// A diameter in inches with four decimals ("0.0315").
std::string inchText(std::int64_t steps);

// The derived forms of a coordinate line in the preferred form (each axis a letter, a sign and six digits),
// written to `out` (room for line.size() characters); each returns the number of characters written.
size_t writeFiveDigits(char* out, std::string_view line);            // NC2: 2/4 >> 2/3
size_t writeWithoutPlus(char* out, std::string_view line);           // NC3: no "+" signs
size_t writeFiveDigitsWithoutPlus(char* out, std::string_view line); // NC4: 2/3, no "+" signs
size_t writeTrailingSuppressed(char* out, std::string_view line);    // NC5: 2/3, trailing zeros removed

std::string cutToFiveDigits(std::string_view line);
std::string stripPlusSigns(std::string_view line);
std::string fiveDigitsWithoutPlus(std::string_view line);
std::string suppressTrailingZeros(std::string_view line);

} // namespace fk::drill
