#include "drill/coordinates.hpp"

#include "util/text.hpp"

namespace fk::drill {

namespace {

using util::instr;
using util::left;
using util::mid;

std::string rightFilled(const std::string& text) {
    return left(text + "000000", 8);
}

std::string leftFilled(const std::string& text) {
    return left(text, 2) + util::right("000000" + mid(text, 3, 8), 6);
}

std::string build(const std::string& text, Fill fill) {
    return fill == Fill::Right ? rightFilled(text) : leftFilled(text);
}

// The text of a coordinate that stands later in the line: its letter, then what follows up to the next
// occurrence of the same letter or the end of the line.
std::string laterCoordinate(const std::string& line, long at, char letter) {
    long next = instr(line, std::string(1, letter), at + 1);
    return std::string(1, letter) + (next > 0 ? mid(line, at + 1, next - at - 1) : mid(line, at + 1));
}

std::string upToFirstBlank(const std::string& text) {
    long blank = instr(text, " ");
    return blank > 0 ? left(text, blank - 1) : text;
}

// A line that gives Y before X: each coordinate is cut at the other's letter, then X is written first.
std::string reordered(const std::string& line, long xAt, Fill fill) {
    std::string y = left(line, xAt - 1);
    std::string x = mid(line, xAt);
    if (fill == Fill::Right) {
        x = upToFirstBlank(x);
        y = upToFirstBlank(y);
    }
    return build(x, fill) + build(y, fill);
}

} // namespace

bool isCoordinateLine(const std::string& line) {
    return !line.empty() && (line[0] == 'X' || line[0] == 'Y');
}

std::string toPreferred(const std::string& line, Fill fill) {
    const long xAt = instr(line, "X");
    const long yAt = instr(line, "Y");
    if (line[0] == 'Y' && xAt > 1)
        return reordered(line, xAt, fill);
    std::string xPart, yPart;
    if (line[0] == 'X') {
        std::string xText =
            yAt > 0 ? left(line, yAt - 1) : (fill == Fill::Right ? upToFirstBlank(line) : line);
        xPart = build(xText, fill);
    }
    if (yAt == 1)
        yPart = build(fill == Fill::Right ? upToFirstBlank(line) : line, fill);
    else if (yAt > 1)
        yPart = build(laterCoordinate(line, yAt, 'Y'), fill);
    return xPart + yPart;
}

std::string cutToFiveDigits(const std::string& line) {
    return mid(line, 1, 7) + mid(line, 9, 7);
}

std::string stripPlusSigns(const std::string& line) {
    return util::field(line, 1, "+") + util::field(line, 2, "+") + util::field(line, 3, "+");
}

namespace {
// Trailing "0" characters go, but a value never loses its first character.
std::string withoutTrailingZeros(std::string value) {
    while (value.size() > 1 && value.back() == '0')
        value.pop_back();
    return value;
}
} // namespace

std::string suppressTrailingZeros(const std::string& line) {
    return mid(line, 1, 1) + withoutTrailingZeros(mid(line, 2, 6)) + mid(line, 9, 1) +
           withoutTrailingZeros(mid(line, 10, 6));
}

} // namespace fk::drill
