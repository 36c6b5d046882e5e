// A Gerber plot as what it puts on the board: its flashes and draws with their apertures' shapes, and the
// NC1's holes with their drill sizes. Read through the Gerber and drill families' own readers.
#pragma once

#include "board/dfn.hpp"
#include "board/roles.hpp"
#include "board/shape.hpp"
#include "drill/excellon.hpp"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fk::board {

struct Point {
    Length x{}, y{};
    auto operator<=>(const Point&) const = default;
};

struct Flash {
    Point at{};
    int dcode = 0;
    long line = 0;
};

struct Draw {
    Point from{}, to{};
    int dcode = 0;
    long line = 0;
};

struct Plot {
    std::string path{};
    Role role{};
    bool plane = false; // a negative image: what it draws is cleared from a copper plane
    bool copper = true; // copper or a plane, or a plot whose role nothing tells: its holes are checked
    std::vector<Flash> flashes{};
    std::vector<Draw> draws{};
    std::map<int, Shape> shapes{}; // of every D-code it selects
    const Shape& shape(int dcode) const { return shapes.at(dcode); }
};

struct Hole {
    Point at{};
    Length diameter{};
    int tool = 0;
    long line = 0;      // in the drill file
    Point end{};        // where a slot ends
    bool slot = false;  // drilled from `at` to `end`
    bool plated = true; // of a plated drill file
    int file = 0;       // which of the board's drill files
    // Every point of a routed slot in order, from `at` to `end`, its arcs as chords within chordError; empty
    // for a round hole and for a slot drilled straight from `at` to `end`.
    std::vector<Point> path{};
};

// The role of a plot: the X2 file function in its head (as Fab Export and CAD tools write it), else its
// name's (roleOfFileName), else a plane where the name holds PLANE (BOARD_PLANE.gbr). Throws
// platform::FileError.
Role roleOfPlot(const std::string& path);

// Where a picked plot defines apertures of its own (%AD), as a CAD tool's RS-274-X file does: its line number
// and text. Such a file's D-codes are not PCB.DFN's; Fab Export's files (their X2 generation names it) keep
// PCB.DFN's and define them too, so they count as none. Nothing when the file defines none. Throws
// platform::FileError.
struct OwnAperture {
    long line = 0;
    std::string text{};
};
std::optional<OwnAperture> ownAperture(const std::string& path);

// Reads a plot (Tango-PCB's RS-274-D or RS-274-X) with the shapes of its apertures. Throws app::JobStop
// naming file and line (an undefined D-code, a draw with a flash-only aperture) and platform::FileError.
Plot readPlot(const std::string& path, const Definitions& definitions);

// The holes of a drill file as read, each with its tool's size: PCB.DFN's CAM_TOOL line, else the drill
// file's own tool table. Throws app::JobStop for a hole before any tool or a tool without size.
std::vector<Hole> holesOf(const drill::DrillFile& file, const Definitions& definitions,
                          const std::string& path);

} // namespace fk::board
