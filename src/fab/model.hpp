// Fab Export: the apertures and tools of PCB.DFN, and the RS-274-X and Excellon files written from them.
#pragma once

#include "drill/excellon.hpp"
#include "platform/files.hpp"
#include "util/length.hpp"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fk::fab {

// A size in mils with up to three decimals, and the quarter and tenth of it the apertures derive, are whole
// Lengths, and whole nano-inches: inches are written exactly with up to nine decimals.
using util::Length;
inline constexpr int maxMilDecimals = 3;
inline constexpr int inchDecimals = 9;

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

// What PCB.DFN defines. Lines are read for the codes and tools a plot or the drill file uses, so a line no
// output needs cannot stop the job.
struct Definitions {
    std::string path;
    std::map<int, std::vector<std::pair<long, std::string>>> apertureLines{}; // D number: (line, text)
    std::map<int, std::vector<std::pair<long, std::string>>> toolLines{};     // tool number: (line, text)
};

// An aperture as the RS-274-X file defines it: the lines of its macro (none for a standard aperture) and its
// %AD line.
struct GerberAperture {
    std::vector<std::string> macro;
    std::string definition;
};

// A picked plot and the export written from it.
struct PlotFile {
    std::string input, output;
};

struct PlotSummary {
    std::string output;
    int apertures = 0, macros = 0;
};

struct DrillSummary {
    std::string output;
    int tools = 0;
    long holes = 0;
};

// ---- phases, in the order the job runs them

// Reads the GRB_AP2 and CAM_TOOL lines of PCB.DFN. Throws platform::FileError.
Definitions readDefinitions(const std::string& path);
// The GRB_AP2 line of a D-code, nothing when PCB.DFN has none; throws app::JobStop when it is repeated with
// other values or unreadable.
std::optional<DfnAperture> apertureOf(const Definitions& definitions, int dcode);
// The drill size of a CAM_TOOL line, nothing when PCB.DFN has none; throws app::JobStop when unreadable.
std::optional<DfnTool> toolOf(const Definitions& definitions, int number);

// The RS-274-X aperture of a PCB.DFN aperture; throws app::JobStop when no Gerber aperture draws it exactly.
GerberAperture gerberAperture(const DfnAperture& aperture, const std::string& dfnPath);
// Writes one plot as RS-274-X. Throws app::JobStop, platform::FileError.
PlotSummary writePlot(const PlotFile& plot, const Definitions& definitions, platform::AtomicWriter& out);

// Writes the drill file with its tool table. Throws app::JobStop, drill::ExcellonError, platform::FileError.
DrillSummary writeDrill(const std::string& input, const Definitions& definitions,
                        platform::AtomicWriter& out);

// Inches of a length of whole nano-inches, the shortest exact decimal ("0.06", "0.015625").
std::string inches(Length length);
// A length in mils as PCB.DFN writes it ("62.5"), nothing when it is no plain decimal of up to three
// decimals.
std::optional<Length> milsText(std::string_view text);

} // namespace fk::fab
