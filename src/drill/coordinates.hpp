// Coordinate line rules of the NC drill dialects and of the derived drill files.
#pragma once

#include <string>

namespace fk::drill {

enum class Fill { Right, Left }; // right: trailing zeros were suppressed; left: leading zeros were

bool isCoordinateLine(const std::string& line);
// A coordinate line in the preferred form: letter, sign and six digits per coordinate, X before Y.
std::string toPreferred(const std::string& line, Fill fill);

std::string cutToFiveDigits(const std::string& line); // 2/4 >> 2/3
std::string stripPlusSigns(const std::string& line);  // no "+" signs
std::string suppressTrailingZeros(const std::string& line);

} // namespace fk::drill
