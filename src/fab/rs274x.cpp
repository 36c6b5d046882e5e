// A picked plot as RS-274-X: the apertures it selects defined in its head, its body command for command.
#include "app/context.hpp"
#include "fab/model.hpp"
#include "gerber/translate.hpp"
#include "util/text.hpp"

#include <map>

namespace fk::fab {

namespace {

[[noreturn]] void refuse(const std::string& input, long line, const std::string& what, std::string_view text,
                         const std::string& advice) {
    throw app::JobStop{util::lines({"Line " + std::to_string(line) + " " + what + ":", util::angled(input),
                                    text, "No file was written; " + advice + " and re-try."})};
}

// The plot's fixed rules drop a line "X0Y0D..." as Tango-PCB's closing move; one that draws or flashes there
// would be lost, so the export refuses it.
void refuseOriginOperations(const std::string& input) {
    platform::LineReader reader(input);
    std::string_view line;
    long number = 0;
    while (reader.next(line)) {
        ++number;
        if (line.find("%FS") != std::string_view::npos)
            return; // stated coordinates are read command by command, nothing dropped
        const std::string head = util::lower(line.substr(0, 8));
        if (head.starts_with("x0y0d") && !head.starts_with("x0y0d02*"))
            refuse(input, number, "draws or flashes at the origin, which the plot's rules drop", line,
                   "plot without operations at the origin");
    }
}

// A first pass over a plot: the apertures it selects, each with the line that first selects it, where it
// flashes each aperture, and its extent.
class PlotScan : public gerber::Sink {
  public:
    void select(int number, std::string_view, long line) override {
        used.emplace(number, line);
        current_ = number;
        held = true;
    }
    void operation(const gerber::Coordinates& at, long) override {
        held = true;
        extent.add(at.x, at.y);
        if (util::upper(at.dtext) == "D03*")
            flashes[current_].emplace(at.x, at.y);
    }
    void line(std::string_view, long) override {}
    std::map<int, long> used;
    std::map<int, std::set<MilPoint>> flashes;
    Extent extent;
    bool held = false; // an aperture selection or a coordinate

  private:
    int current_ = 0;
};

// The operation code of a coordinate line: D01 draw, D02 move, D03 flash.
std::optional<std::string> operationCode(const std::string& dtext) {
    const std::string upper = util::upper(dtext);
    if (upper == "D01*" || upper == "D02*" || upper == "D03*")
        return upper;
    return std::nullopt;
}

class PlotBody : public gerber::Sink {
  public:
    PlotBody(platform::AtomicWriter& out, const std::string& input) : out_(out), input_(input) {}
    void select(int number, std::string_view text, long lineNumber) override {
        requireOpen(text, lineNumber);
        if (number < 10)
            refuse(input_, lineNumber, "selects D" + std::to_string(number) + ", which is no aperture", text,
                   "correct the plot");
        out_.writeLine("D" + std::to_string(number) + "*"); // aperture selection
    }
    void operation(const gerber::Coordinates& at, long lineNumber) override {
        requireOpen(at.dtext, lineNumber);
        const auto code = operationCode(at.dtext);
        if (!code)
            refuse(input_, lineNumber, "holds a coordinate without operation D01, D02 or D03",
                   at.dtext.empty() ? std::string_view("(none)") : std::string_view(at.dtext),
                   "correct the plot");
        // Format 2.6 in inches: a coordinate in whole mils is its digits and three zeros.
        out_.writeLine("X" + inFormat26(at.x) + "Y" + inFormat26(at.y) + *code);
    }
    void line(std::string_view text, long lineNumber) override {
        requireOpen(text, lineNumber);
        if (text != "D02M02*")
            refuse(input_, lineNumber, "holds an operation without coordinates", text, "correct the plot");
        out_.writeLine("M02*"); // end of file
        ended_ = true;
    }
    // A plot without M02 ends all the same: the export's file is complete.
    void end() {
        if (!ended_)
            out_.writeLine("M02*"); // end of file
    }

  private:
    void requireOpen(std::string_view text, long lineNumber) const {
        if (ended_)
            refuse(input_, lineNumber, "follows the end of the plot (M02)", text,
                   "end the plot with its last line");
    }
    platform::AtomicWriter& out_;
    const std::string& input_;
    bool ended_ = false;
};

void writeHead(platform::AtomicWriter& out, const std::vector<std::string>& attributes,
               const std::vector<GerberAperture>& apertures) {
    for (const auto& a : attributes)
        out.writeLine(a);
    out.writeLine("%FSLAX26Y26*%"); // leading zeros omitted, absolute, 2.6: millionths of an inch
    out.writeLine("%MOIN*%");       // inches
    for (const auto& a : apertures) {
        for (const auto& line : a.macro)
            out.writeLine(line);
    }
    for (const auto& a : apertures)
        out.writeLine(a.definition);
    out.writeLine("G01*"); // straight lines between points
}

std::vector<GerberAperture> aperturesOf(const PlotFile& plot, const Definitions& definitions,
                                        const std::map<int, long>& used) {
    std::vector<GerberAperture> apertures;
    for (const auto& [dcode, line] : used) {
        if (dcode < 10)
            continue; // refused with its line as the body is written
        const auto defined = apertureOf(definitions, dcode);
        if (!defined)
            refuse(plot.input, line, "selects D" + std::to_string(dcode) + ", which PCB.DFN does not define",
                   "D" + std::to_string(dcode), "define it in PCB.DFN (PCB >> Aperture)");
        apertures.push_back(gerberAperture(*defined, definitions.path));
    }
    return apertures;
}

struct Translated {
    gerber::Rounding rounding;
    bool stated = false; // the file states its format: RS-274-X, which may hold nothing and be a plot
};

Translated translate(const std::string& input, gerber::Sink& sink) {
    gerber::Coordinates at;
    Translated translated;
    translated.stated = gerber::translateFile(input, at, translated.rounding, sink);
    return translated;
}

} // namespace

std::string inFormat26(int mils) {
    return mils == 0 ? "0" : std::to_string(mils) + "000";
}

PlotSummary writePlot(const PlotFile& plot, const Definitions& definitions,
                      const std::vector<std::string>& attributes, platform::AtomicWriter& out) {
    refuseOriginOperations(plot.input);
    PlotScan scan;
    const Translated scanned = translate(plot.input, scan);
    // Random bytes or an empty file read as nothing: no plot, however the picker named it.
    if (!scanned.stated && !scan.held)
        throw app::JobStop{util::lines(
            {"The Gerber file holds no aperture selection and no coordinate:", util::angled(plot.input),
             "No file was written; pick Gerber plots and re-try."})};
    if (scanned.rounding.happened)
        throw app::JobStop{
            util::lines({"The plot holds coordinates finer than whole mils:", util::angled(plot.input),
                         "No file was written; plot in whole mils and re-try."})};
    const std::vector<GerberAperture> apertures = aperturesOf(plot, definitions, scan.used);
    writeHead(out, attributes, apertures);
    PlotBody body(out, plot.input);
    translate(plot.input, body);
    body.end();
    PlotSummary summary{
        .output = plot.output, .apertures = static_cast<int>(apertures.size()), .extent = scan.extent};
    for (const auto& a : apertures)
        summary.macros += a.macro.empty() ? 0 : 1;
    for (const auto& [dcode, points] : scan.flashes) {
        const auto aperture = dcode < 10 ? std::nullopt : apertureOf(definitions, dcode);
        if (aperture && aperture->kind == "FLASH MTHOLE")
            summary.mountingHoles.insert(points.begin(), points.end());
    }
    return summary;
}

} // namespace fk::fab
