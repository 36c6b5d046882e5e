// The board check: the picked plots, PCB.DFN and the NC1 read into one board, the checks of every hole
// against every plot, and the report. Phases are declared in the order the job runs them.
#pragma once

#include "board/dfn.hpp"
#include "board/fabrication.hpp"
#include "board/limits.hpp"
#include "board/plot.hpp"
#include "boardcheck/grid.hpp"
#include "drill/excellon.hpp"
#include "platform/files.hpp"

#include <optional>
#include <string>
#include <vector>

namespace fk::boardcheck {

using board::Point;
using util::Length;

using board::Limits;

enum class Kind {
    NoPad,          // the hole lies on no flashed pad
    Breakout,       // the hole leaves its pad
    Registration,   // the hole is off its pad's centre by more than the tolerance
    Ring,           // the annular ring is below the minimum
    PlaneSolid,     // a hole in a plane with neither a thermal nor a clearance
    PlaneClearance, // a plane's thermal ring or clearance below the minimum
    PadWithoutHole, // a pad whose aperture has a hole, and no hole on it
    ToolSize,       // the tool differs from its pad's hole
    Stacked,        // two holes on one spot
    Web,            // two holes closer than the minimum web
    Clearance,      // a hole's edge too close to copper not of its pad
    DrillReading,   // most holes miss their pads: how the drill file might be read instead
    UnplatedCopper, // copper an unplated hole cuts: drilled through bare
    NetShort,       // copper of two X2 nets touching
    Spacing,        // copper of two nets closer than the minimum
    Width,          // copper narrower than the minimum
    Edge,           // copper too close to the board's edge, a routed slot or an unplated hole
    MaskWeb,        // solder mask between two openings narrower than the minimum
    Silk,           // legend too close to copper the mask leaves bare
};
inline constexpr int kindCount = 19;
const char* kindName(Kind kind);

struct Finding {
    Kind kind = Kind::NoPad;
    std::string plot{}; // the file's name (TOP.GBR, BOARD.NC1)
    Point at{};
    std::optional<Length> measured{}, limit{};
    std::string message{};
    std::optional<Point> from{}, to{}; // the two ends of what was measured, where the picture draws it
};

// Adds findings of one plot (or layer, or drill file) to a list.
struct Reporter {
    std::vector<Finding>& out;
    std::string plot;
    void operator()(Kind kind, Point at, std::optional<Length> measured, std::optional<Length> limit,
                    std::string message) const {
        out.push_back({kind, plot, at, measured, limit, std::move(message)});
    }
};

struct Board {
    board::Definitions definitions{};
    std::vector<board::Plot> plots{};
    std::string drillPath{};
    drill::DrillFormat drillFormat{};
    std::vector<board::Hole> holes{};
};

// ---- phases, in the order the job runs them

// Reads PCB.DFN, the plots and the NC1. Throws app::JobStop (an unreadable drill line too),
// platform::FileError.
Board readBoard(const std::string& dfnPath, const std::vector<std::string>& plotPaths,
                const std::string& drillPath);
// Checks every hole on every plot, and the holes among themselves: findings plot by plot in the drill file's
// order of holes, then its pads without holes, then the pairs of holes.
std::vector<Finding> checkBoard(const Board& board, const Limits& limits);
// The checks of a board read from its CAD tool's files, against the copper each layer etches (built once in
// `copper`, its nets joined through the board's holes here): the holes, then copper, edge, mask and legend.
class BoardCopper;
std::vector<Finding> checkFabrication(const board::Fabrication& board, const BoardCopper& copper,
                                      const Limits& limits);
// The copper, edge, mask and legend checks of a design's plots, as the board house etches them, and the lines
// that say what was checked.
struct DesignCopper {
    board::Fabrication fabrication{};
    std::vector<Finding> findings{};
    std::vector<std::string> lines{};
};
DesignCopper checkDesignCopper(const Board& design, const Limits& limits);
// A design's pad findings (no-pad, breakout, ring) weighed against the copper each plot etches, its flashes
// and draws united: a hole in a track, a fill or overlapping pads is judged on that copper, and a ring is
// measured to its edge. Findings of other kinds pass unchanged.
std::vector<Finding> onEtchedCopper(const Board& board, std::vector<Finding> findings, const Limits& limits);
// When most holes lie on no pad: the other readings of the drill file, and which puts them on their pads.
std::optional<Finding> drillReading(const Board& board);

// One line per finding, and the counts by kind.
std::string findingLine(const Finding& finding);
std::string summaryLine(const std::vector<Finding>& findings);
// {"findings":[...]} with positions and lengths in inches.
std::string findingsJson(const std::vector<Finding>& findings);
// {"board":..., "files":[{"name", "role", "why"}], "findings":[...]} for a board read from its CAD files.
std::string boardJson(const board::Fabrication& board, const std::vector<Finding>& findings);
// The board picture as SVG for a browser: `title` and the limits above it with a legend of its layers, the
// plots in their true shapes (planes as the board house makes them), holes over them, each finding ringed and
// named, a scale bar below.
void writeBoardSvg(const Board& board, const std::vector<Finding>& findings, const std::string& title,
                   const Limits& limits, platform::AtomicWriter& out);
// The same for a board read from its CAD files: copper layers and planes as the board house etches them, the
// outline, holes and slots, findings.
void writeFabricationSvg(const board::Fabrication& board, const std::vector<Finding>& findings,
                         const std::string& title, const Limits& limits, platform::AtomicWriter& out);

} // namespace fk::boardcheck
