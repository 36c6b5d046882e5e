// Header recognition: M48, the units line and digit format, tool definitions, the end of the header, and the
// commands that have no drilled-hole meaning.
#include "drill/excellon.hpp"

#include "util/fixed.hpp"
#include "util/text.hpp"

#include <algorithm>

namespace fk::drill {

ExcellonError::ExcellonError(long line_, std::string text_, std::string expected_, bool unsettled_)
    : std::runtime_error(expected_), line(line_), text(std::move(text_)), expected(std::move(expected_)),
      unsettled(unsettled_) {}

namespace {

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// Trailing blanks and tabs mean nothing in a command.
std::string_view trimEnd(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A digit pattern such as "000.000": its zeros before and after the one point.
bool readPattern(std::string_view pattern, DrillFormat& format) {
    const size_t point = pattern.find('.');
    if (point == std::string_view::npos || pattern.find_first_not_of("0.") != std::string_view::npos ||
        pattern.find('.', point + 1) != std::string_view::npos)
        return false;
    format.integerDigits = static_cast<int>(point);
    format.decimalDigits = static_cast<int>(pattern.size() - point - 1);
    format.digitsStated = true;
    return true;
}

const std::string digitsExpected = "a digit format of 1 to 6 digits before and 1 to 6 after the point, " +
                                   std::to_string(maxDigits) + " at most in all (2:4, 00.0000)";

// Digit counts stated by a pattern or a format comment: each 1 to 6, and no more in all than a value holds.
bool digitsFit(int integerDigits, int decimalDigits) {
    return integerDigits >= 1 && integerDigits <= maxDecimals && decimalDigits >= 1 &&
           decimalDigits <= maxDecimals && integerDigits + decimalDigits <= maxDigits;
}

// A count of a ";FILE_FORMAT=2:4" comment, 0 where it is no number of one to six.
int digitCount(std::string_view text) {
    const util::Fixed count = util::readFixed(text, 0, maxDecimals);
    return count.ok() ? static_cast<int>(count.value) : 0;
}

constexpr std::int64_t largestToolNumber = 999'999'999;
// Below 100000 inches or millimetres at six decimals: its Length stays far within 64 bits.
constexpr std::int64_t largestDiameter = 99'999'999'999;

std::string diameterExpected(util::NumberFault fault) {
    switch (fault) {
    case util::NumberFault::TooManyDecimals:
        return "a tool diameter of at most 6 decimals";
    case util::NumberFault::TooManyDigits:
    case util::NumberFault::OutOfRange:
        return "a tool diameter below 100000";
    default:
        return "a tool diameter: digits with at most one decimal point";
    }
}

// "X0Y0", "X+0.0Y-000", "Y0": an offset that moves nothing.
bool isZeroOffset(std::string_view xy) {
    if (xy.empty())
        return false;
    for (size_t at = 0; at < xy.size();) {
        if (xy[at] != 'X' && xy[at] != 'Y')
            return false;
        if (++at < xy.size() && (xy[at] == '+' || xy[at] == '-'))
            ++at;
        const size_t first = at;
        while (at < xy.size() && (xy[at] == '0' || xy[at] == '.'))
            ++at;
        if (xy.substr(first, at - first).find('0') == std::string_view::npos)
            return false;
    }
    return true;
}

} // namespace

DrillLine ExcellonReader::read(std::string_view line) {
    ++number_;
    if (!line.empty() && (line[0] == 'X' || line[0] == 'Y'))
        return readCoordinates(trimEnd(line));
    return readCommand(trimEnd(line), line);
}

DrillLine ExcellonReader::readCommand(std::string_view trimmed, std::string_view line) {
    const std::string upper = util::upper(trimmed);
    if (upper == "M48")
        return {.kind = DrillLine::Kind::HeaderStart};
    if (upper == "%" || upper == "M95")
        return {.kind = DrillLine::Kind::HeaderEnd};
    if (upper == "M71" || upper == "M72") {
        setUnits(upper == "M71" ? Units::Metric : Units::Inch, line);
        return {.kind = DrillLine::Kind::Units};
    }
    if (readUnitsLine(upper, line)) {
        if (holesSeen_ && units_ != format_.units)
            refuse(line, "the units of the first hole throughout the file");
        units_ = format_.units;
        return {.kind = DrillLine::Kind::Units};
    }
    if (readFormatNote(upper, line))
        return {.kind = DrillLine::Kind::FormatNote};
    if (upper.size() > 1 && upper[0] == 'T' && util::isDigit(upper[1]))
        return readTool(upper, line);
    refuseUntranslatable(upper, line);
    return {};
}

// INCH or METRIC, then optionally ",LZ" or ",TZ", then optionally a digit pattern ("METRIC,TZ,000.000").
// M72 and M71 with their zeros ("M71,TZ", "M72,LZ,00.000") read as INCH and METRIC do.
bool ExcellonReader::readUnitsLine(std::string_view upper, std::string_view line) {
    DrillFormat format = format_;
    std::string_view rest;
    if (startsWith(upper, "INCH") || startsWith(upper, "M72,")) {
        format.units = Units::Inch;
        rest = upper.substr(upper[0] == 'I' ? 4 : 3);
    } else if (startsWith(upper, "METRIC") || startsWith(upper, "M71,")) {
        format.units = Units::Metric;
        rest = upper.substr(upper[1] == 'E' ? 6 : 3);
    } else {
        return false;
    }
    if (startsWith(rest, ",LZ") || startsWith(rest, ",TZ")) {
        format.zeros = rest[1] == 'L' ? Zeros::TrailingOmitted : Zeros::LeadingOmitted;
        rest.remove_prefix(3);
    } else {
        format.zeros = Zeros::Unstated;
    }
    if (!rest.empty() && (rest[0] != ',' || !readPattern(rest.substr(1), format)))
        return false;
    if (!rest.empty() && !digitsFit(format.integerDigits, format.decimalDigits))
        refuse(line, digitsExpected);
    format.unitsStated = true;
    if (!format.digitsStated) {
        format.integerDigits = format.units == Units::Inch ? 2 : 3;
        format.decimalDigits = format.units == Units::Inch ? 4 : 3;
    }
    format_ = format;
    return true;
}

void ExcellonReader::assumeUnits(Units units) {
    assumedUnits_ = units;
    if (format_.unitsStated)
        return;
    format_.units = units;
    if (!format_.digitsStated) {
        format_.integerDigits = units == Units::Inch ? 2 : 3;
        format_.decimalDigits = units == Units::Inch ? 4 : 3;
    }
}

// M71 and M72 state the units alone; the digits follow them unless a pattern or comment stated its own.
void ExcellonReader::setUnits(Units units, std::string_view line) {
    if (holesSeen_ && units_ != units)
        refuse(line, "the units of the first hole throughout the file");
    units_ = format_.units = units;
    format_.unitsStated = true;
    if (!format_.digitsStated) {
        format_.integerDigits = units == Units::Inch ? 2 : 3;
        format_.decimalDigits = units == Units::Inch ? 4 : 3;
    }
}

// ";FILE_FORMAT=2:4" (Altium and others) or KiCad's "; FORMAT={3:3/ absolute / metric / ...}": the digit
// counts (tests/samples/drill holds such files, with where each comes from). A format comment that states no
// digits ("{-:-/ ... / decimal}") is still a format comment.
bool ExcellonReader::readFormatNote(std::string_view upper, std::string_view line) {
    if (upper.empty() || upper[0] != ';')
        return false;
    std::string_view note = upper.substr(1);
    while (!note.empty() && note[0] == ' ')
        note.remove_prefix(1);
    if (startsWith(note, "FILE_FORMAT="))
        note.remove_prefix(12);
    else if (startsWith(note, "FORMAT={"))
        note.remove_prefix(8);
    else
        return false;
    if (note.empty() || !util::isDigit(note[0]) || holesSeen_)
        return true;
    const size_t colon = note.find(':');
    if (colon == std::string_view::npos)
        refuse(line, digitsExpected);
    const size_t end = std::min(note.find_first_not_of("0123456789", colon + 1), note.size());
    const int before = digitCount(note.substr(0, colon)),
              after = digitCount(note.substr(colon + 1, end - colon - 1));
    if (!digitsFit(before, after))
        refuse(line, digitsExpected);
    format_.integerDigits = before;
    format_.decimalDigits = after;
    format_.digitsStated = true;
    return true;
}

// What the preferred form cannot express stops the translation: moving the drill along a path, offsets,
// incremental positions, repeats and mirroring would all change where holes land.
void ExcellonReader::refuseUntranslatable(std::string_view upper, std::string_view line) const {
    static constexpr std::string_view routing[] = {"G00", "G01", "G02", "G03", "M15", "M16"};
    for (auto code : routing)
        if (startsWith(upper, code))
            refuse(line, "drilled holes only: routing (G00, G01, G02, G03, M15, M16) has no prefered form");
    if (upper.find("G85") != std::string_view::npos)
        refuse(line, "drilled holes only: slots (G85) have no prefered form");
    if (startsWith(upper, "G91") || upper == "ICI" || upper == "ICI,ON")
        refuse(line, "absolute coordinates: incremental mode (G91, ICI) has no prefered form");
    // Some tools write "G93X0Y0" after the header: it moves nothing and passes through as G90 does.
    if (startsWith(upper, "G93") && !isZeroOffset(upper.substr(3)))
        refuse(line, "no zero offset: G93 has no prefered form");
    static constexpr std::string_view repeats[] = {"M25", "M01", "M02", "M08", "M70",
                                                   "M80", "M90", "M97", "M98"};
    for (auto code : repeats)
        if (startsWith(upper, code))
            refuse(line, "single holes: pattern, repeat, mirror and text codes have no prefered form");
    if (upper.size() > 1 && upper[0] == 'R' && util::isDigit(upper[1]))
        refuse(line, "single holes: repeat codes (R) have no prefered form");
}

// "T1", "T01", "T1C0.035", "T01F00S00C0.0300": a tool number, then lettered parameters, C the diameter.
DrillLine ExcellonReader::readTool(std::string_view upper, std::string_view line) const {
    DrillLine tool{.kind = DrillLine::Kind::ToolSelection};
    size_t at = 1;
    while (at < upper.size() && util::isDigit(upper[at]))
        ++at;
    const util::Fixed number = util::readFixed(upper.substr(1, at - 1), 0, largestToolNumber);
    if (!number.ok())
        refuse(line, "a tool number of at most 9 digits");
    tool.tool = static_cast<int>(number.value);
    while (at < upper.size()) {
        const char letter = upper[at++];
        const size_t start = at;
        while (at < upper.size() && (util::isDigit(upper[at]) || upper[at] == '.'))
            ++at;
        if (start == at || letter < 'A' || letter > 'Z')
            refuse(line, "a tool line: T and its number, then lettered values (C for the diameter)");
        if (letter != 'C')
            continue;
        const util::Fixed diameter =
            util::readFixed(upper.substr(start, at - start), maxDecimals, largestDiameter);
        if (!diameter.ok())
            refuse(line, diameterExpected(diameter.fault));
        tool.kind = DrillLine::Kind::ToolDefinition;
        tool.diameter = toLength(diameter.value, maxDecimals, line);
        tool.diameterAt = start;
        tool.diameterLength = at - start;
    }
    return tool;
}

void ExcellonReader::refuse(std::string_view line, std::string expected) const {
    throw ExcellonError(number_, std::string(line), std::move(expected));
}

} // namespace fk::drill
