// Excellon drill files as PCB tools write them: the header's stated format, tool sizes and hole positions.
// Plain data only, so that any job or window can read NC1 to NC5 through it.
#pragma once

#include "util/length.hpp"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fk::drill {

// Every length is a util::Length: exact for every value of up to six decimals in inches or millimetres.
using util::Length;
inline constexpr int maxDecimals = 6; // digits after a decimal point that a value may carry
// Digits a value may carry, and so a format may state.
inline constexpr int maxDigits = 11;
static_assert(maxDigits <= 18, "a value's digits are summed in 64 bits");
// Digits before the decimal point of a value, which keep a Length and the distance of two far within range.
inline constexpr int maxInchIntegerDigits = 9;
inline constexpr int maxMillimetreIntegerDigits = 10;

enum class Units { Inch, Metric };
// Which zeros a number without decimal point omits, named by what is omitted as the Excellon and Gerber
// documents do: LZ keeps the leading zeros and omits trailing ones (read from the left), TZ keeps the
// trailing zeros and omits leading ones (read from the right). Unstated: a number must carry all its digits.
enum class Zeros { Unstated, TrailingOmitted, LeadingOmitted };

struct DrillFormat {
    Units units = Units::Inch;
    Zeros zeros = Zeros::Unstated;
    int integerDigits = 2;
    int decimalDigits = 4;
    bool digitsStated = false; // by the units line or a FILE_FORMAT comment, else Excellon's defaults
    bool unitsStated = false;  // by a units line, M71 or M72, else assumed (assumeUnits)
};

struct DrillTool {
    int number = 0;
    Length diameter{};
};

struct DrillHole {
    int tool = 0;
    Length x{}, y{}; // absolute: an axis a line leaves out keeps its last value
    long line = 0;
};

struct DrillFile {
    DrillFormat format;
    std::vector<DrillTool> tools;
    std::vector<DrillHole> holes;
    bool headerSeen = false; // an M48, a units line or a format note: the file says it is a drill file

    // No header, no tool and no hole: some other kind of file. A drill file whose header lists no holes (as
    // CAD tools write for a board without unplated holes) is a drill file all the same.
    bool isNotDrillFile() const { return !headerSeen && tools.empty() && holes.empty(); }
};

// A line that cannot be read exactly. `unsettled` marks a file whose units are not known by its first hole.
struct ExcellonError : std::runtime_error {
    ExcellonError(long line, std::string text, std::string expected, bool unsettled = false);
    long line;
    std::string text, expected;
    bool unsettled;
};

// One coordinate as the line wrote it and its value.
struct Axis {
    bool present = false;
    char sign = 0; // '+', '-' or 0 when none was written
    Length value{};
};

// What one line of a drill file is.
struct DrillLine {
    enum class Kind {
        Other,       // anything that passes through: comments, G90, G05, M30, end of header, ...
        HeaderStart, // M48
        Units,       // a units line, M71 or M72: the format, not a hole
        FormatNote,  // a comment that states the digit format (FILE_FORMAT, KiCad's FORMAT)
        HeaderEnd,   // % or M95
        ToolDefinition,
        ToolSelection,
        Coordinate,
    };
    Kind kind = Kind::Other;
    int tool = 0;
    Length diameter{};
    size_t diameterAt = 0, diameterLength = 0; // where the C value stands in the line
    Axis x{}, y{};
};

// What the numbers of a file show when its header names no zero suppression: a number shorter than its
// format that ends in 0 has lost leading zeros; one that starts with 0 has lost trailing zeros.
struct ZeroSurvey {
    long firstShortLine = 0, leadingOmittedLine = 0, trailingOmittedLine = 0;
    std::string firstShortText, leadingOmittedText, trailingOmittedText;
    std::string firstShortExpected; // the refusal of the first short number when nothing settles it
};

// Reads a drill file line by line; each line is read by the format the lines before it stated.
class ExcellonReader {
  public:
    // Throws ExcellonError.
    DrillLine read(std::string_view line);
    // The same of a line whose number the caller counts (one that passed other lines by, or read a line in
    // parts).
    DrillLine readLine(std::string_view line, long number) {
        number_ = number - 1;
        return read(line);
    }
    // One value of a line by the format's rules, as a coordinate is read: an arc's radius or centre
    // ("A1.57", "I-250"); `text` starts with its letter. Throws ExcellonError.
    Axis readValue(std::string_view text, long number);
    // Surveying: numbers that need the unstated zero suppression are noted instead of refused.
    void surveyZeros() { surveying_ = true; }
    const ZeroSurvey& survey() const { return survey_; }
    // The zeros that numbers shorter than their format omit where the header names none.
    void assumeZeros(Zeros zeros) { assumed_ = zeros; }
    // A number shorter than its format where neither the header nor an assumption names its zeros is then
    // not refused but noted: only the numbers of the whole file tell which zeros it leaves out, so the
    // reading ends there and a survey of the file comes first.
    void askForSurvey() { askForSurvey_ = true; }
    // Units for a file that states none before its first tool or hole, which are then read in them; the
    // format says they are not stated.
    void assumeUnits(Units units);
    bool surveyNeeded() const { return surveyNeeded_; }
    const DrillFormat& format() const { return format_; }
    bool unitsKnown() const { return units_.has_value(); }
    long lineNumber() const { return number_; }

  private:
    DrillLine readCommand(std::string_view trimmed, std::string_view line);
    bool readUnitsLine(std::string_view upper, std::string_view line);
    void setUnits(Units units, std::string_view line);
    bool readFormatNote(std::string_view upper, std::string_view line);
    void refuseUntranslatable(std::string_view upper, std::string_view line) const;
    DrillLine readTool(std::string_view upper, std::string_view line) const;
    DrillLine readCoordinates(std::string_view line);
    Axis readAxis(std::string_view line, size_t& next);
    Length toLength(std::int64_t mantissa, int decimals, std::string_view line) const;
    [[noreturn]] void refuse(std::string_view line, std::string expected) const;

    Zeros shortNumberZeros(std::string_view line, std::string_view digits);
    std::string completeNumberExpected() const;

    DrillFormat format_;
    std::optional<Units> units_;
    std::optional<Units> assumedUnits_;
    bool surveying_ = false;
    ZeroSurvey survey_;
    Zeros assumed_ = Zeros::Unstated;
    bool askForSurvey_ = false;
    bool surveyNeeded_ = false;
    long number_ = 0;
    bool holesSeen_ = false;
};

// The zeros a file omits where its header names none, read from its numbers (Unstated when every number is
// complete). Throws ExcellonError when the numbers do not tell or contradict each other, and FileError.
Zeros zerosShown(const ZeroSurvey& survey);
Zeros zerosShownByNumbers(std::string_view pathText);

// The whole file: its format, tools and holes. Throws ExcellonError and platform::FileError.
DrillFile readDrillFile(std::string_view pathText);
// The whole file as a drilling machine reads it: short numbers under a header that names no zeros are read
// as `unstated` says (Leading: read from the left), whatever the numbers show.
DrillFile readDrillFile(std::string_view pathText, Zeros unstated);

} // namespace fk::drill
