// PCB.DFN as the jobs that draw with it read it: the GRB_AP2 line of every D-code a plot uses and the
// CAM_TOOL line of every tool a drill file selects, with their sizes as lengths. Fab Export and the board
// check both read it here.
#pragma once

#include "util/length.hpp"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fk::board {

using util::Length;
// A size in mils with up to three decimals, and the quarter and tenth of it the apertures derive, are whole
// Lengths.
inline constexpr int maxMilDecimals = 3;

// One GRB_AP2 line as PCB.DFN gives it.
struct DfnAperture {
    int dcode = 0;
    long line = 0; // in PCB.DFN
    std::string text;
    Length x{}, y{}, hole{};
    std::string kind;        // "FLASH ELLIPSE", "DRAW ELLIPSE", ...
    std::string description; // without its double-quote characters
};

// A CAM_TOOL line: a tool number and its drill size.
struct DfnTool {
    int number = 0;
    long line = 0;
    Length size{};
};

// A PAD or VIA line: the hole Tango-PCB drills in a pad of that flash D-code, and with which tool.
struct DfnPad {
    long line = 0;
    Length hole{};
    int tool = 0;
    bool via = false; // a VIA line, not a PAD line
};

// What PCB.DFN defines. Lines are read for the codes and tools a plot or the drill file uses, so a line no
// output needs cannot stop the job.
struct Definitions {
    std::string path;
    std::map<int, std::vector<std::pair<long, std::string>>> apertureLines{}; // D number: (line, text)
    std::map<int, std::vector<std::pair<long, std::string>>> toolLines{};     // tool number: (line, text)
    std::map<int, std::vector<DfnPad>> pads{}; // flash D number: its PAD and VIA lines that read whole
};

// Reads the GRB_AP2 and CAM_TOOL lines of PCB.DFN. Throws platform::FileError.
Definitions readDefinitions(const std::string& path);
// The GRB_AP2 line of a D-code, nothing when PCB.DFN has none; throws app::JobStop when it is repeated with
// other values or unreadable.
std::optional<DfnAperture> apertureOf(const Definitions& definitions, int dcode);
// The PAD and VIA lines of a flash D-code: the holes its pads are drilled with (none when no line names it).
const std::vector<DfnPad>& padsOf(const Definitions& definitions, int dcode);
// The drill size of a CAM_TOOL line, nothing when PCB.DFN has none; throws app::JobStop when unreadable.
std::optional<DfnTool> toolOf(const Definitions& definitions, int number);
// A length in mils as PCB.DFN writes it ("62.5"), nothing when it is no plain decimal of up to three
// decimals.
std::optional<Length> milsText(std::string_view text);

} // namespace fk::board
