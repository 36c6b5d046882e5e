// The table of Board Check's checks on a board's copper, mask and legend: each a row with its title and the
// function (one source file each) that runs it on the board's copper, built once. The log's "Checked:" line
// comes from this table; the limits each check uses are board::limitRows'.
#pragma once

#include "board/fabrication.hpp"
#include "boardcheck/boardcopper.hpp"
#include "boardcheck/model.hpp"

#include <optional>
#include <string>
#include <vector>

namespace fk::boardcheck {

struct BoardContext {
    const board::Fabrication& board;
    const BoardCopper& copper;
    const Limits& limits;
};

// What a check looked at: how many layers (0 for a check of the whole board, such as its edge), or why it
// could not run ("no outline").
struct Coverage {
    bool ran = true;
    int layers = 0;        // 0: a check of the whole board (its edge), named without layers
    std::string checked{}; // what was checked where it is not the row's title: "edge of unplated holes"
    std::string notRun{};  // what could not be checked and why: "the board's edge (no outline)"
};

struct CheckRow {
    const char* title; // as the "Checked:" line names it
    Coverage (*run)(const BoardContext&, std::vector<Finding>&);
};

Coverage checkHoles(const BoardContext& c, std::vector<Finding>& findings);
Coverage checkSpacing(const BoardContext& c, std::vector<Finding>& findings);
Coverage checkWidth(const BoardContext& c, std::vector<Finding>& findings);
Coverage checkEdge(const BoardContext& c, std::vector<Finding>& findings);
Coverage checkMaskWeb(const BoardContext& c, std::vector<Finding>& findings);
Coverage checkLegend(const BoardContext& c, std::vector<Finding>& findings);

inline constexpr CheckRow checkRows[] = {
    {"holes", checkHoles}, {"spacing", checkSpacing},  {"width", checkWidth},
    {"edge", checkEdge},   {"mask web", checkMaskWeb}, {"legend", checkLegend},
};

// A piece's name in a message: "line 12 (D10)", "region of line 40".
std::string pieceName(const CopperLayer& layer, std::uint32_t piece);
// A flash of the hole's own size on its centre: what Altium writes for an unplated hole, drilled away whole.
bool ownSizeFlash(const CopperLayer& layer, std::uint32_t piece, const board::Hole& h);

// Every check of the table in order, and the line that says what they looked at: "Checked: holes on 2
// layers, spacing and width on 2, edge, mask web on 2, legend on 2", then what could not run and why.
struct CheckedBoard {
    std::vector<Finding> findings;
    std::vector<std::string> lines;
};
// `designHoles`, where given, says the holes were checked by a design's own checks on that many plots, and
// the holes row is not run. Throws platform::Interrupted.
CheckedBoard runChecks(const BoardContext& c, std::optional<int> designHoles = std::nullopt);

} // namespace fk::boardcheck
