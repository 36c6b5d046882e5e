// Fab Export: the apertures and tools of PCB.DFN, and the RS-274-X and Excellon files written from them.
#pragma once

#include "app/context.hpp"
#include "board/dfn.hpp"
#include "board/roles.hpp"
#include "drill/excellon.hpp"
#include "platform/files.hpp"
#include "util/length.hpp"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
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
// Plot roles live below Fab Export, so that the board check reads them too.
using board::defaultRole;
using board::endingOf;
using board::fileFunctionOf;
using board::isCopper;
using board::Layer;
using board::maxCopperLayer;
using board::polarityOf;
using board::Role;
using board::roleChoices;
using board::roleOfText;
using board::textOf;

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

// The smallest rectangle holding every point a plot moves, draws or flashes at, in mils.
struct Extent {
    int left = 0, bottom = 0, right = 0, top = 0;
    bool empty = true;
    void add(int x, int y);
    void add(const Extent& other);
};

// A point in mils.
using MilPoint = std::pair<int, int>;

struct PlotSummary {
    std::string output;
    int apertures = 0, macros = 0;
    Extent extent{};
    std::set<MilPoint> mountingHoles{}; // where a FLASH MTHOLE aperture flashes
};

struct DrillSummary {
    std::string output;
    int tools = 0;
    long holes = 0;
};

// Outlines drawn around the plots' extent lie this far beyond its outermost points.
inline constexpr int outlineMarginMils = 100;

// A picked plot with its role on the board.
struct RolePlot {
    PlotFile file;
    Role role;
};
struct Assignment {
    std::vector<RolePlot> plots;
    bool outlineFromExtent = false; // no plot is the outline: one is drawn around the plots
    int copperLayers = 0;
};

// ---- phases, in the order the job runs them

// The role of each picked plot, as the user confirms them in the role table, and each plot's export
// <base>.<ending>. Throws app::JobStop on a cancelled table, a plot without role, copper layers that do not
// fit together, or no outline when none may be drawn.
Assignment assignRoles(const app::JobContext& context, const std::string& choice);

// The RS-274-X aperture of a PCB.DFN aperture; throws app::JobStop when no Gerber aperture draws it exactly.
GerberAperture gerberAperture(const DfnAperture& aperture, const std::string& dfnPath);
// The X2 attribute lines a file of the role starts with; the creation date only when one is given.
std::vector<std::string> fileAttributes(Role role, int copperLayers, const std::optional<std::string>& date);
// Writes one plot as RS-274-X after the attribute lines. Throws app::JobStop, platform::FileError.
PlotSummary writePlot(const PlotFile& plot, const Definitions& definitions,
                      const std::vector<std::string>& attributes, platform::AtomicWriter& out);
// A board outline: a rectangle around `extent`, drawn with a 10 mil line.
void writeOutline(const Extent& extent, const std::vector<std::string>& attributes,
                  platform::AtomicWriter& out);

// The drill file as read, split into its plated holes and those at a mounting hole's flash. Throws
// app::JobStop, drill::ExcellonError, platform::FileError.
struct DrillSplit {
    drill::DrillFile plated, unplated;
};
DrillSplit readDrill(const std::string& input, const std::set<MilPoint>& mountingHoles);
// Writes holes with their tool table, the file function comment in the header. Throws app::JobStop,
// platform::FileError.
DrillSummary writeDrill(const std::string& input, const drill::DrillFile& file,
                        const Definitions& definitions, const std::string& fileFunction,
                        platform::AtomicWriter& out);

// The job file: what every file of the export is, the board's size and its copper layers.
struct JobEntry {
    std::string path, function, polarity;
};
struct JobDescription {
    std::optional<std::string> date;
    Extent board;
    int copperLayers = 0;
    std::vector<JobEntry> files;
};
void writeJobFile(const JobDescription& job, platform::AtomicWriter& out);

// The seconds since 1970 SOURCE_DATE_EPOCH gives; nothing when it is unset. Throws app::JobStop
// when it is no whole number of seconds from 1980 on.
std::optional<std::int64_t> sourceDateEpoch();
struct CivilTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
// The UTC date and time of seconds since 1970, and as ISO 8601 ("1980-01-01T00:00:00+00:00").
CivilTime civilTimeOf(std::int64_t seconds);
std::string isoDate(std::int64_t seconds);

// A zip of the files (name, bytes) in their order, its bytes the same on every run and host: the entries
// stored with deflate at level 9, dated `seconds` (from 1980), without host fields. Throws app::JobStop.
std::string zipOf(const std::vector<std::pair<std::string, std::string>>& files, std::int64_t seconds);

// Inches of a length of whole nano-inches, the shortest exact decimal ("0.06", "0.015625").
std::string inches(Length length);

} // namespace fk::fab
