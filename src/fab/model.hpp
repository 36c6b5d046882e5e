// Fab Export: the apertures and tools of PCB.DFN, and the RS-274-X and Excellon files written from them.
#pragma once

#include "board/dfn.hpp"
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

using util::Length;
// Inches are written exactly with up to nine decimals: every size PCB.DFN gives is whole nano-inches.
inline constexpr int inchDecimals = 9;

using board::apertureOf;
using board::Definitions;
using board::DfnAperture;
using board::DfnTool;
using board::milsText;
using board::readDefinitions;
using board::toolOf;

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

// The RS-274-X aperture of a PCB.DFN aperture; throws app::JobStop when no Gerber aperture draws it exactly.
GerberAperture gerberAperture(const DfnAperture& aperture, const std::string& dfnPath);
// Writes one plot as RS-274-X. Throws app::JobStop, platform::FileError.
PlotSummary writePlot(const PlotFile& plot, const Definitions& definitions, platform::AtomicWriter& out);

// Writes the drill file with its tool table. Throws app::JobStop, drill::ExcellonError, platform::FileError.
DrillSummary writeDrill(const std::string& input, const Definitions& definitions,
                        platform::AtomicWriter& out);

// Inches of a length of whole nano-inches, the shortest exact decimal ("0.06", "0.015625").
std::string inches(Length length);

} // namespace fk::fab
