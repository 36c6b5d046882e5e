// Excellon drill files as CAD tools write them, read into holes and slots, and the readings a file whose
// header leaves its format open may be meant in.
#pragma once

#include "board/plot.hpp"
#include "drill/excellon.hpp"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace fk::board {

// Far above any board's (docs/limits.md): the holes and routed points of one drill file, and of all of a
// board's drill files together; a file over them is refused at the line that passes them.
inline constexpr long mostDrillHoles = 1'000'000;
inline constexpr long mostBoardHoles = 2'000'000;

// A reading of a drill file: units, zeros and digits, as a units line states them.
struct DrillReading {
    drill::Units units = drill::Units::Inch;
    drill::Zeros zeros = drill::Zeros::Unstated;
    int integerDigits = 2, decimalDigits = 4;
};

// What a drill text holds: the drill family's reading, where each hole's slot ends (its start where it is a
// round hole) and, for a routed slot that is more than one straight line, every point of its path.
struct DrillText {
    drill::DrillFile file;
    std::vector<Point> ends;
    std::vector<std::vector<Point>> paths;
    std::map<int, bool>
        unplated;         // tools defined as unplated (Altium's ";TYPE=NON_PLATED", Fritzing's numbers)
    DrillReading taken{}; // the reading its holes are placed by
    bool assumed = false; // read in units or zeros the file neither states nor shows in its numbers
};

// A file that holds more holes than its budget: never read another way.
struct DrillBudgetError : drill::ExcellonError {
    using ExcellonError::ExcellonError;
};

DrillReading readingOf(const drill::DrillFormat& format);
// "INCH,TZ,00.0000"
std::string headerText(const DrillReading& reading);
// "leading zeros omitted, 2.4 digits, inches"
std::string described(const DrillReading& reading);
// The readings a file may have been meant in, `own` left out: its own digits with the other zeros first, then
// 2.4, 2.3, 2.5 and 3.3 in inches and 3.3, 3.2, 4.2 and 4.3 in millimetres, each with both zeros, its own
// units first.
std::vector<DrillReading> otherReadings(const DrillReading& own);

// The text read as its header states. Where the header leaves units or zeros open (and the numbers do not
// show the zeros) it is read in inches, leading zeros omitted, Excellon's defaults, and marked `assumed`;
// where its numbers do not fit that, in the first of the other readings they fit. Throws ExcellonError,
// DrillBudgetError.
DrillText readDrillText(std::string_view text);
// The text read under another units line ("INCH,TZ,00.00000") than its own, whose units lines and comments
// are then passed over.
DrillText readDrillTextAs(std::string_view text, std::string_view header);
bool looksLikeDrill(std::string_view text);

// The holes of a drill text, each with its tool's size from the file's tool table. Throws app::JobStop
// naming the file by `name`.
std::vector<Hole> holesOfText(const DrillText& text, const std::string& name, bool plated, int file);

} // namespace fk::board
