// Coordinate reading: each X and Y value by the format its header stated, and the whole file as holes.
#include "drill/excellon.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"

#include <charconv>

namespace fk::drill {

namespace {

// More digits than this could overflow the nanometre value; no drill format comes near it.
constexpr size_t maxDigits = 11;

std::int64_t powerOfTen(int n) {
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// numerator / denominator, rounded to nearest, halves to even.
std::int64_t roundedQuotient(std::int64_t numerator, std::int64_t denominator) {
    const bool negative = numerator < 0;
    const std::int64_t n = negative ? -numerator : numerator;
    std::int64_t q = n / denominator;
    const std::int64_t twice = 2 * (n % denominator);
    if (twice > denominator || (twice == denominator && q % 2 == 1))
        ++q;
    return negative ? -q : q;
}

std::string formatText(const DrillFormat& f) {
    return std::string(f.units == Units::Inch ? "INCH" : "METRIC") +
           (f.zeros == Zeros::Leading    ? ",LZ"
            : f.zeros == Zeros::Trailing ? ",TZ"
                                         : "") +
           " " + std::to_string(f.integerDigits) + "." + std::to_string(f.decimalDigits);
}

} // namespace

std::int64_t ExcellonReader::toNanometres(std::int64_t mantissa, int decimals) const {
    const std::int64_t perUnit = format_.units == Units::Inch ? nanometresPerInch : 1'000'000;
    return roundedQuotient(mantissa * perUnit, powerOfTen(decimals));
}

DrillLine ExcellonReader::readCoordinates(std::string_view line) {
    if (!units_)
        throw ExcellonError(number_, std::string(line), "a units line before the first hole", true);
    if (line.find("G85") != std::string_view::npos)
        refuse(line, "drilled holes only: slots (G85) have no prefered form");
    DrillLine coordinates{.kind = DrillLine::Kind::Coordinate};
    for (size_t at = 0; at < line.size();) {
        const char letter = line[at++];
        if (letter != 'X' && letter != 'Y')
            refuse(line, std::string("a digit where \"") + letter + "\" stands");
        Axis& axis = letter == 'X' ? coordinates.x : coordinates.y;
        if (axis.present)
            refuse(line, "X and Y at most once in a line");
        if (letter == 'Y' && !coordinates.x.present)
            coordinates.yFirst = true;
        axis = readAxis(line, at);
    }
    coordinates.yFirst = coordinates.yFirst && coordinates.x.present;
    holesSeen_ = true;
    return coordinates;
}

// An optional sign, then digits with at most one decimal point. Without a point the header's zeros and digit
// counts place the inch or millimetre point.
Axis ExcellonReader::readAxis(std::string_view line, size_t& at) const {
    const char letter = line[at - 1];
    Axis axis{.present = true};
    if (at < line.size() && (line[at] == '+' || line[at] == '-'))
        axis.sign = line[at++];
    std::string digits;
    int points = 0, decimals = 0;
    for (; at < line.size() && ((line[at] >= '0' && line[at] <= '9') || line[at] == '.'); ++at) {
        if (line[at] == '.') {
            if (++points > 1)
                refuse(line, "at most one decimal point in a value");
            continue;
        }
        digits += line[at];
        decimals += points;
    }
    if (digits.empty())
        refuse(line, std::string("digits after ") + letter);
    const size_t width = static_cast<size_t>(format_.integerDigits + format_.decimalDigits);
    if (points == 0) {
        if (digits.size() > width)
            refuse(line, "at most " + std::to_string(width) + " digits, as the format " +
                             formatText(format_) + " holds");
        if (format_.zeros == Zeros::Unstated && digits.size() != width)
            refuse(line, "all " + std::to_string(width) + " digits of the format " + formatText(format_) +
                             " or a decimal point: the header states no zero suppression (LZ or TZ)");
        if (format_.zeros == Zeros::Leading)
            digits.append(width - digits.size(), '0');
        decimals = format_.decimalDigits;
    } else if (decimals > maxDecimals || digits.size() > maxDigits) {
        refuse(line, "at most " + std::to_string(maxDecimals) + " digits after the decimal point");
    }
    std::int64_t mantissa = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), mantissa);
    axis.value = toNanometres(axis.sign == '-' ? -mantissa : mantissa, decimals);
    return axis;
}

DrillFile readDrillFile(std::string_view pathText) {
    platform::LineReader lines(pathText);
    ExcellonReader reader;
    DrillFile file;
    int tool = 0;
    std::int64_t x = 0, y = 0;
    std::string_view text;
    while (lines.next(text)) {
        const DrillLine line = reader.read(text);
        if (line.kind == DrillLine::Kind::ToolDefinition)
            file.tools.push_back({.number = line.tool, .diameter = line.diameter});
        if (line.kind == DrillLine::Kind::ToolDefinition || line.kind == DrillLine::Kind::ToolSelection)
            tool = line.tool;
        if (line.kind != DrillLine::Kind::Coordinate)
            continue;
        x = line.x.present ? line.x.value : x;
        y = line.y.present ? line.y.value : y;
        file.holes.push_back({.tool = tool, .x = x, .y = y, .line = reader.lineNumber()});
    }
    file.format = reader.format();
    return file;
}

} // namespace fk::drill
