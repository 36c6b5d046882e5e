// Fab Export: the apertures and tools of PCB.DFN, and the RS-274-X and Excellon files written from them.
#pragma once

#include "app/context.hpp"
#include "board/dfn.hpp"
#include "board/limits.hpp"
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
    std::string input{}, output{};
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

// Where a plot lies in the export: its copper layer counted from the top (0 for no copper), its file ending
// and its X2 file function, from its role and the copper plots picked with it.
struct Placement {
    int copperLayer = 0;
    std::string ending, function;
};

// A picked plot with its role on the board.
struct RolePlot {
    PlotFile file;
    Role role;
    Placement place{};
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
// What every file of an export says of where it comes from: the design's name, a GUID derived from it, the
// revision, and the one creation date (ISO 8601) of the export.
struct Provenance {
    std::string software; // vendor, application and version: "Flashkit,Fab Export,1.1.0"
    std::string name, guid, revision, date;
};
// The name as the project's, and a GUID of RFC 9562's version 8 made from it, the same for the same name.
Provenance provenanceOf(const std::string& designName, const std::string& date);
// The X2 attribute lines a plot of the file function and polarity starts with.
std::vector<std::string> fileAttributes(const std::string& function, const std::string& polarity,
                                        const Provenance& made);
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
// Writes holes with their tool table, the file function, software and date comments in the header and each
// tool's hole function (a via's, a component's, or for unplated holes a mechanical one). Throws
// app::JobStop, platform::FileError.
DrillSummary writeDrill(const std::string& input, const drill::DrillFile& file,
                        const Definitions& definitions, const std::string& fileFunction,
                        const Provenance& made, platform::AtomicWriter& out);

// The job file: what every file of the export is, the board's size and its copper layers.
struct JobEntry {
    std::string path, function, polarity;
};
struct JobDescription {
    Provenance made{};
    Extent board{};
    int copperLayers = 0;
    int thicknessMicrometres = 0;
    board::Limits limits{};
    std::vector<Role> roles{}; // of every plot: the stack-up's mask, paste and legend layers
    std::vector<JobEntry> files{};
};
// Throws app::JobStop when the board is too thin for its copper layers.
void writeJobFile(const JobDescription& job, platform::AtomicWriter& out);

// The board's thickness in micrometres: --thickness, else flashkit.ini's FABEXPORT_THICKNESS, else 1.6 mm.
// Throws app::JobStop naming the option or line whose value is no thickness from 0.2 to 10 mm.
int thicknessOf(const app::JobContext& context);

// The seconds since 1970 SOURCE_DATE_EPOCH gives; nothing when it is unset. Throws app::JobStop
// when it is no whole number of seconds from 1980 to 2107, the years a zip entry's date holds.
std::optional<std::int64_t> sourceDateEpoch();
// When the export is made: SOURCE_DATE_EPOCH, else the clock.
std::int64_t creationSeconds();
struct CivilTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
// The UTC date and time of seconds since 1970, and as ISO 8601 ("1980-01-01T00:00:00+00:00").
CivilTime civilTimeOf(std::int64_t seconds);
std::string isoDate(std::int64_t seconds);

// A zip of the files (name, bytes) in their order, its bytes the same on every run and host: the entries
// stored with deflate at level 9, dated `seconds` (from 1980), without host fields. Throws app::JobStop.
std::string zipOf(const std::vector<std::pair<std::string, std::string>>& files, std::int64_t seconds);

// A coordinate of whole mils in the plots' format 2.6 (millionths of an inch): "1500000", "0", "-25000".
std::string inFormat26(int mils);

// Inches of a length of whole nano-inches, the shortest exact decimal ("0.06", "0.015625").
std::string inches(Length length);

} // namespace fk::fab
