// Coordinate line rules of the NC drill dialects and of the derived drill files.
#pragma once

#include <string>
#include <string_view>

namespace fk::drill {

enum class Fill { Right, Left }; // right: trailing zeros were suppressed; left: leading zeros were

bool isCoordinateLine(std::string_view line);
// A coordinate line in the preferred form: letter, sign and six digits per coordinate, X before Y.
inline constexpr size_t maxPreferredLength = 16;
size_t writePreferred(char* out, std::string_view line, Fill fill);
std::string toPreferred(const std::string& line, Fill fill);

// The derived forms of a preferred coordinate line, written to `out` (room for line.size() characters);
// each returns the number of characters written.
size_t writeFiveDigits(char* out, std::string_view line);         // 2/4 >> 2/3
size_t writeWithoutPlus(char* out, std::string_view line);        // no "+" signs
size_t writeTrailingSuppressed(char* out, std::string_view line); // 2/3, trailing zeros removed

std::string cutToFiveDigits(std::string_view line);
std::string stripPlusSigns(std::string_view line);
std::string suppressTrailingZeros(std::string_view line);

} // namespace fk::drill
