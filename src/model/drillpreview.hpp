// The drill preview behind "NC1 Coord Dump": the holes of NC1 to NC5 as a drilling machine reading each
// file's own header places them, and where each derived file puts its holes against NC1. It reads the files
// and nothing else: no file is written and the log is left alone.
#pragma once

#include "app/settings.hpp"
#include "drill/excellon.hpp"
#include "util/length.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fk::model {

// The button that opens the preview. The button table gives it no job: a front end opens its window.
inline constexpr int drillPreviewButton = 7;

// Holes closer than this to NC1's, on each axis, are at NC1's places: the 2.3 files cut the fourth inch
// decimal, which moves a hole by at most 0.0009 inch.
inline constexpr util::Length samePlaceTolerance = util::Length::fromInchDecimals(1, 3); // 0.001 inch

// How the machine reads a number shorter than its format when the header names neither LZ nor TZ
// (NC2, NC3 and NC4 say "INCH" alone). Excellon's default keeps the leading zeros: the digits are read
// from the left. A machine set to leave leading zeros out reads them from the right.
enum class UnstatedZeros { LeadingKept, LeadingOmitted };

struct PreviewTool {
    int number = 0;                       // 0 for holes before any tool selection
    std::optional<util::Length> diameter; // none when the file defines no size for it
    size_t holes = 0;
};

struct Extent {
    util::Length minX{}, minY{}, maxX{}, maxY{};
};

// Where a file puts its holes against NC1's.
enum class Placement {
    Reference,  // NC1 itself
    AtNc1,      // every hole within samePlaceTolerance of NC1's
    Scaled,     // every hole at `factor` times (or 1/factor of) NC1's distance from the origin
    Moved,      // some hole elsewhere, in no common proportion
    OtherCount, // a different number of holes
    NoNc1,      // NC1 could not be read: nothing to compare with
    Unread,     // this file could not be read
};

struct DrillPanel {
    std::string name{};    // "NC1" to "NC5"
    std::string path{};    // the path text read
    std::string problem{}; // why the panel shows no holes; empty when the file was read
    drill::DrillFormat format{};
    std::vector<drill::DrillHole> holes{}; // where the machine drills them
    std::vector<PreviewTool> tools{};      // by number, with their hole counts
    std::optional<Extent> extent{};        // none without holes
    Placement placement = Placement::Unread;
    util::Length largestOffset{}; // the largest distance on one axis from NC1's hole of the same order
    size_t offsetHole = 0;        // the hole that has it (index into holes)
    int factor = 1;               // Scaled: how many times off
    bool closer = false;          // Scaled: at 1/factor of NC1's distances, else factor times them
    size_t nc1Holes = 0;          // NC1's hole count, when NC1 was read
};

struct DrillPreview {
    UnstatedZeros rule = UnstatedZeros::LeadingKept;
    std::vector<DrillPanel> panels{}; // NC1 to NC5
    Extent view{};                    // every panel's holes and the origin: one scale for all panels
};

// Reads <input data path>\<base>.NC1 and <output data path>\<base>.NC2 to .NC5 of the fields.
DrillPreview loadDrillPreview(const app::Fields& fields, UnstatedZeros rule = UnstatedZeros::LeadingKept);

// Texts every front end shows, in the file's own units.
std::string lengthText(util::Length length, drill::Units units); // "0.1500 inch", "3.810 mm"
std::string ruleText(UnstatedZeros rule);
std::string formatText(const DrillPanel& panel, UnstatedZeros rule); // the header as the machine reads it
std::string placementText(const DrillPanel& panel);                  // the marker against NC1
std::string countText(const DrillPanel& panel);
std::string extentText(const DrillPanel& panel);
std::vector<std::string> toolTexts(const DrillPanel& panel);

// ---- Drawing, the same in every front end: the panels share one scale, NC1's holes show as rings in the
// derived files' panels, the origin as dashed lines.

// Pixels between the holes and a drawing's edge.
inline constexpr int drawingMargin = 12;

// The scale, in pixels per nanometre, at which the preview's view (with room for its widest drill, so that a
// hole at the edge stays whole) fits a drawing of this size within its margins.
double drawingScale(const DrillPreview& preview, int width, int height);

struct Pixel {
    double x = 0, y = 0;
};
// Where a point lands in a drawing of this size: the middle of the view at the middle of the drawing, Y up.
Pixel pixelOf(const DrillPreview& preview, double scale, int width, int height, util::Length x,
              util::Length y);

// A hole's radius in pixels: its drill's size at the scale, but never too small to see; a fixed size where
// the file states none.
double holeRadius(const std::optional<util::Length>& diameter, double scale);

// Whether a panel's holes are drawn as off NC1's (in red rather than blue).
bool drawnOff(Placement placement);

struct Rgb {
    unsigned char red = 0, green = 0, blue = 0;
};
// The colour of a panel's marker: red where the holes are off or the file unread, grey without NC1, else
// green.
Rgb markerColour(Placement placement);

} // namespace fk::model
