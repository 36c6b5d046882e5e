// The design's NC1 as an Excellon file with its tool table in the header: every tool's size from PCB.DFN's
// CAM_TOOL line or the NC1's own tool table, which must agree where both give one.
#include "app/context.hpp"
#include "fab/model.hpp"
#include "util/text.hpp"

namespace fk::fab {

namespace {

[[noreturn]] void refuse(const std::string& input, const std::string& what, const std::string& advice) {
    throw app::JobStop{
        util::lines({what + ":", util::angled(input), "No file was written; " + advice + " and re-try."})};
}

// A length an inch decimal file gives exactly, nothing when it is no whole number of nano-inches (a metric
// size).
std::optional<Length> inInches(Length length) {
    if (!length.exactInchDecimals(inchDecimals))
        return std::nullopt;
    return length;
}

std::string toolName(int number) {
    return "T" + std::to_string(number);
}

struct Tool {
    int number = 0;
    Length size{};
};

// The size of a tool the drill file selects; `line` is the first hole it drills.
Tool sizeOf(int number, long line, const std::string& input, const drill::DrillFile& file,
            const Definitions& definitions) {
    const auto dfn = toolOf(definitions, number);
    std::optional<Length> own;
    for (const auto& t : file.tools) {
        if (t.number == number)
            own = inInches(t.diameter);
    }
    const std::string name = toolName(number);
    if (!dfn && !own)
        refuse(input,
               "Line " + std::to_string(line) + " drills with " + name +
                   ", whose size neither the drill file nor a CAM_TOOL line of PCB.DFN gives",
               "give the tool its size");
    if (dfn && own && *own != dfn->size)
        refuse(input,
               "The drill file gives " + name + " the size " + inches(*own) + " in, PCB.DFN line " +
                   std::to_string(dfn->line) + " the size " + inches(dfn->size) + " in",
               "make the two sizes agree");
    return {.number = number, .size = dfn ? dfn->size : *own};
}

std::vector<Tool> toolTable(const std::string& input, const drill::DrillFile& file,
                            const Definitions& definitions) {
    std::map<int, long> firstHole;
    for (const auto& hole : file.holes) {
        if (hole.tool == 0)
            refuse(input, "Line " + std::to_string(hole.line) + " drills a hole before any tool is selected",
                   "select a tool first");
        firstHole.emplace(hole.tool, hole.line);
    }
    std::vector<Tool> tools;
    for (const auto& [number, line] : firstHole)
        tools.push_back(sizeOf(number, line, input, file, definitions));
    return tools;
}

std::string coordinate(const std::string& input, const drill::DrillHole& hole, Length position) {
    if (!inInches(position))
        refuse(input, "Line " + std::to_string(hole.line) + " holds a position no inch decimal gives exactly",
               "drill in inches");
    return inches(position);
}

// What a tool's holes are, as X2 names it: unplated holes are mechanical (mounting holes); a plated tool
// is a via drill when PCB.DFN gives it to vias only, else a component drill.
std::string holeFunction(int tool, const std::string& fileFunction, const Definitions& definitions) {
    if (fileFunction.starts_with("NonPlated"))
        return "NonPlated,NPTH,MechanicalDrill";
    bool any = false, onlyVias = true;
    for (const auto& [dcode, pads] : definitions.pads) {
        for (const auto& pad : pads) {
            if (pad.tool == tool)
                any = true, onlyVias = onlyVias && pad.via;
        }
    }
    return any && onlyVias ? "Plated,PTH,ViaDrill" : "Plated,PTH,ComponentDrill";
}

void writeHeader(platform::AtomicWriter& out, const std::string& fileFunction, const Provenance& made,
                 const std::vector<Tool>& tools, const Definitions& definitions) {
    out.writeLine("M48"); // header start
    // The file's attributes as CAD tools state them in comments, which every Excellon reader passes over.
    out.writeLine("; #@! TF.CreationDate," + made.date);
    out.writeLine("; #@! TF.GenerationSoftware," + made.software);
    out.writeLine("; #@! TF.FileFunction," + fileFunction);
    out.writeLine("FMAT,2");  // Excellon format 2
    out.writeLine("INCH,TZ"); // inches; every number carries its decimal point, so no zeros are left out
    for (const auto& tool : tools) {
        out.writeLine("; #@! TA.AperFunction," + holeFunction(tool.number, fileFunction, definitions));
        out.writeLine(toolName(tool.number) + "C" + inches(tool.size)); // tool and its drill diameter
    }
    out.writeLine("%");   // header end
    out.writeLine("G90"); // absolute coordinates
    out.writeLine("G05"); // drill mode
}

void writeHoles(platform::AtomicWriter& out, const std::string& input, const drill::DrillFile& file) {
    int tool = 0;
    for (const auto& hole : file.holes) {
        if (hole.tool != tool)
            out.writeLine(toolName(hole.tool)); // tool change
        tool = hole.tool;
        out.writeLine("X" + coordinate(input, hole, hole.x) + "Y" + coordinate(input, hole, hole.y));
    }
    out.writeLine("M30"); // end of program
}

} // namespace

DrillSplit readDrill(const std::string& input, const std::set<MilPoint>& mountingHoles) {
    drill::DrillFile file = drill::readDrillFile(input);
    if (file.isNotDrillFile())
        refuse(input, "The file holds no drill header (M48, INCH or METRIC), no tool and no hole",
               "choose the NC drill file");
    if (file.format.units != drill::Units::Inch)
        refuse(input, "The drill file is metric, which an inch drill file does not give exactly",
               "drill in inches");
    std::set<std::pair<Length, Length>> unplatedAt;
    for (const auto& [x, y] : mountingHoles)
        unplatedAt.emplace(Length::fromMilDecimals(x, 0), Length::fromMilDecimals(y, 0));
    DrillSplit split{.plated = file, .unplated = file};
    split.plated.holes.clear();
    split.unplated.holes.clear();
    for (const auto& hole : file.holes)
        (unplatedAt.contains({hole.x, hole.y}) ? split.unplated : split.plated).holes.push_back(hole);
    return split;
}

DrillSummary writeDrill(const std::string& input, const drill::DrillFile& file,
                        const Definitions& definitions, const std::string& fileFunction,
                        const Provenance& made, platform::AtomicWriter& out) {
    const std::vector<Tool> tools = toolTable(input, file, definitions);
    writeHeader(out, fileFunction, made, tools, definitions);
    writeHoles(out, input, file);
    return {.output = out.pathText(),
            .tools = static_cast<int>(tools.size()),
            .holes = static_cast<long>(file.holes.size())};
}

} // namespace fk::fab
