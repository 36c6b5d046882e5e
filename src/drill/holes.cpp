// Coordinate reading: each X and Y value by the format its header stated, and the whole file as holes.
#include "drill/excellon.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <array>

namespace fk::drill {

namespace {

std::string formatText(const DrillFormat& f) {
    return std::string(f.units == Units::Inch ? "INCH" : "METRIC") +
           (f.zeros == Zeros::TrailingOmitted  ? ",LZ"
            : f.zeros == Zeros::LeadingOmitted ? ",TZ"
                                               : "") +
           " " + std::to_string(f.integerDigits) + "." + std::to_string(f.decimalDigits);
}

} // namespace

Length ExcellonReader::toLength(std::int64_t mantissa, int decimals, std::string_view line) const {
    // The magnitude of a mantissa with its decimals that stays below the largest value of a unit.
    static constexpr auto bounds = [](int integerDigits) {
        std::array<std::int64_t, maxDecimals + 1> bound{};
        for (int d = 0; d <= maxDecimals; ++d)
            bound[static_cast<size_t>(d)] = util::powerOfTen(integerDigits + d);
        return bound;
    };
    static constexpr auto inchBound = bounds(maxInchIntegerDigits);
    static constexpr auto millimetreBound = bounds(maxMillimetreIntegerDigits);
    const bool inch = format_.units == Units::Inch;
    const std::int64_t bound = (inch ? inchBound : millimetreBound)[static_cast<size_t>(decimals)];
    if (mantissa >= bound || mantissa <= -bound)
        refuse(line, "at most " + std::to_string(inch ? maxInchIntegerDigits : maxMillimetreIntegerDigits) +
                         " digits before the decimal point of " + (inch ? "an inch" : "a millimetre") +
                         " value");
    // Every value of up to six decimals is a whole number of counts: one multiplication.
    return inch ? Length::fromInchDecimals(mantissa, decimals)
                : Length::fromMillimetreDecimals(mantissa, decimals);
}

DrillLine ExcellonReader::readCoordinates(std::string_view line) {
    if (!units_ && assumedUnits_ && !format_.unitsStated)
        units_ = format_.units;
    if (!units_)
        throw ExcellonError(number_, std::string(line), "a units line before the first hole", true);
    if (line.find("G85") != std::string_view::npos)
        refuse(line, "drilled holes only: slots (G85) have no prefered form");
    DrillLine coordinates{.kind = DrillLine::Kind::Coordinate};
    // Either letter may come first: some drill files give Y before X ("Y+12X+34"); the preferred form
    // writes X first (docs/limits.md, NC1 >> 2,3,4).
    for (size_t at = 0; at < line.size();) {
        const char letter = line[at++];
        if (letter != 'X' && letter != 'Y')
            refuse(line, std::string("a digit where \"") + letter + "\" stands");
        Axis& axis = letter == 'X' ? coordinates.x : coordinates.y;
        if (axis.present)
            refuse(line, "X and Y at most once in a line");
        axis = readAxis(line, at);
    }
    holesSeen_ = true;
    return coordinates;
}

Axis ExcellonReader::readValue(std::string_view text, long number) {
    number_ = number;
    if (!units_ && assumedUnits_ && !format_.unitsStated)
        units_ = format_.units;
    if (!units_)
        throw ExcellonError(number_, std::string(text), "a units line before the first hole", true);
    size_t at = 1;
    const Axis axis = readAxis(text, at);
    if (at != text.size())
        refuse(text, std::string("a number after ") + text[0]);
    return axis;
}

// An optional sign, then digits with at most one decimal point. Without a point the header's zeros and digit
// counts place the inch or millimetre point.
Axis ExcellonReader::readAxis(std::string_view line, size_t& next) {
    // A local position: one the caller holds could be any byte of the line to the compiler, and would be
    // stored at every step.
    size_t at = next;
    const char letter = line[at - 1];
    Axis axis{.present = true};
    if (at < line.size() && (line[at] == '+' || line[at] == '-'))
        axis.sign = line[at++];
    const size_t first = at;
    size_t point = std::string_view::npos;
    // The digits are summed in the pass that finds them. Unsigned, so that more digits than maxDigits wrap
    // harmlessly: such a value is refused below, before its sum is used.
    std::uint64_t sum = 0;
    for (; at < line.size(); ++at) {
        const auto digit = static_cast<unsigned char>(line[at] - '0');
        if (digit <= 9) {
            sum = sum * 10 + digit;
        } else if (line[at] == '.') {
            if (point != std::string_view::npos)
                refuse(line, "at most one decimal point in a value");
            point = at - first;
        } else {
            break;
        }
    }
    const std::string_view number = line.substr(first, at - first);
    const size_t count = number.size() - (point == std::string_view::npos ? 0 : 1);
    if (count == 0)
        refuse(line, std::string("digits after ") + letter);
    if (count > static_cast<size_t>(maxDigits))
        refuse(line, "at most " + std::to_string(maxDigits) + " digits in a value");
    int decimals = point == std::string_view::npos ? 0 : static_cast<int>(count - point);
    if (decimals > maxDecimals)
        refuse(line, "at most " + std::to_string(maxDecimals) + " digits after the decimal point");
    // At most maxDigits (11) digits: the sum is exact.
    auto mantissa = static_cast<std::int64_t>(sum);
    const size_t width = static_cast<size_t>(format_.integerDigits + format_.decimalDigits);
    if (point == std::string_view::npos) {
        if (count > width)
            refuse(line, "at most " + std::to_string(width) + " digits, as the format " +
                             formatText(format_) + " holds");
        const Zeros zeros = count == width || format_.zeros != Zeros::Unstated
                                ? format_.zeros
                                : shortNumberZeros(line, number);
        if (zeros == Zeros::TrailingOmitted)
            mantissa *= util::powerOfTen(static_cast<int>(width - count)); // the omitted trailing zeros
        decimals = format_.decimalDigits;
    }
    axis.value = toLength(axis.sign == '-' ? -mantissa : mantissa, decimals, line);
    next = at;
    return axis;
}

std::string ExcellonReader::completeNumberExpected() const {
    return "all " + std::to_string(format_.integerDigits + format_.decimalDigits) + " digits of the format " +
           formatText(format_) +
           " or a decimal point: neither the header (LZ or TZ) nor the numbers show which zeros are left out";
}

// A number shorter than its format where the header names no zeros: surveyed, read as assumed, or refused.
Zeros ExcellonReader::shortNumberZeros(std::string_view line, std::string_view digits) {
    if (digits.find_first_not_of('0') == std::string_view::npos)
        return Zeros::LeadingOmitted; // zero is zero either way
    if (!surveying_) {
        if (assumed_ == Zeros::Unstated && askForSurvey_) {
            surveyNeeded_ = true;
            return Zeros::LeadingOmitted; // the reading ends at this line, which nothing takes
        }
        if (assumed_ == Zeros::Unstated)
            refuse(line, completeNumberExpected());
        return assumed_;
    }
    auto note = [&](long& at, std::string& text) {
        if (!at) {
            at = number_;
            text = line;
        }
    };
    if (!survey_.firstShortLine)
        survey_.firstShortExpected = completeNumberExpected();
    note(survey_.firstShortLine, survey_.firstShortText);
    if (digits.back() == '0')
        note(survey_.leadingOmittedLine, survey_.leadingOmittedText);
    if (digits.front() == '0')
        note(survey_.trailingOmittedLine, survey_.trailingOmittedText);
    return Zeros::LeadingOmitted;
}

Zeros zerosShown(const ZeroSurvey& s) {
    if (s.leadingOmittedLine && s.trailingOmittedLine) {
        const bool leadingFirst = s.leadingOmittedLine < s.trailingOmittedLine;
        throw ExcellonError(std::max(s.leadingOmittedLine, s.trailingOmittedLine),
                            leadingFirst ? s.trailingOmittedText : s.leadingOmittedText,
                            "numbers that leave out the same zeros as line " +
                                std::to_string(std::min(s.leadingOmittedLine, s.trailingOmittedLine)) + " [" +
                                (leadingFirst ? s.leadingOmittedText : s.trailingOmittedText) + "]");
    }
    if (s.leadingOmittedLine)
        return Zeros::LeadingOmitted;
    if (s.trailingOmittedLine)
        return Zeros::TrailingOmitted;
    if (s.firstShortLine)
        throw ExcellonError(s.firstShortLine, s.firstShortText, s.firstShortExpected);
    return Zeros::Unstated;
}

Zeros zerosShownByNumbers(std::string_view pathText) {
    platform::LineReader lines(pathText);
    ExcellonReader reader;
    reader.surveyZeros();
    std::string_view text;
    while (lines.next(text))
        reader.read(text);
    return zerosShown(reader.survey());
}

DrillFile readDrillFile(std::string_view pathText) {
    return readDrillFile(pathText, zerosShownByNumbers(pathText));
}

DrillFile readDrillFile(std::string_view pathText, Zeros unstated) {
    platform::LineReader lines(pathText);
    ExcellonReader reader;
    reader.assumeZeros(unstated);
    DrillFile file;
    int tool = 0;
    Length x{}, y{};
    std::string_view text;
    while (lines.next(text)) {
        const DrillLine line = reader.read(text);
        file.headerSeen = file.headerSeen || line.kind == DrillLine::Kind::HeaderStart ||
                          line.kind == DrillLine::Kind::Units || line.kind == DrillLine::Kind::FormatNote;
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
