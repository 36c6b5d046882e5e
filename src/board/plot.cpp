// Plots through gerber::translateFile, holes through the drill family's reader, both into board terms.
#include "board/plot.hpp"

#include "app/context.hpp"
#include "gerber/translate.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

namespace fk::board {

namespace {

[[noreturn]] void refuse(const std::string& path, long line, const std::string& what, std::string_view text) {
    const std::string head = "Line " + std::to_string(line) + " " + what + ":";
    const std::string advice = "Nothing was checked; correct the file and re-try.";
    throw app::JobStop{text.empty() ? util::lines({head, util::angled(path), advice})
                                    : util::lines({head, util::angled(path), text, advice})};
}

Point milPoint(const gerber::Coordinates& at) {
    return {Length::fromMilDecimals(at.x, 0), Length::fromMilDecimals(at.y, 0)};
}

// Collects the flashes and draws, each with the aperture selected before it.
class PlotReader : public gerber::Sink {
  public:
    PlotReader(Plot& plot, const Definitions& definitions) : plot_(plot), definitions_(definitions) {}
    void select(int number, std::string_view text, long line) override {
        if (!plot_.shapes.contains(number)) {
            const auto aperture = apertureOf(definitions_, number);
            if (!aperture)
                refuse(plot_.path, line,
                       "selects D" + std::to_string(number) + ", which PCB.DFN does not define", text);
            plot_.shapes.emplace(number, shapeOf(*aperture, definitions_.path));
        }
        selected_ = number;
    }
    void operation(const gerber::Coordinates& at, long line) override {
        const std::string code = util::upper(at.dtext);
        const Point to = milPoint(at);
        if (code == "D01*" || code == "D03*") {
            if (selected_ == 0)
                refuse(plot_.path, line, "draws before any aperture is selected", at.dtext);
            if (code == "D03*")
                plot_.flashes.push_back({.at = to, .dcode = selected_, .line = line});
            else
                plot_.draws.push_back({.from = current_, .to = to, .dcode = selected_, .line = line});
        }
        current_ = to;
    }
    void line(std::string_view, long) override {}

  private:
    Plot& plot_;
    const Definitions& definitions_;
    int selected_ = 0;
    Point current_{};
};

} // namespace

Role roleOfPlot(const std::string& path) {
    // Attributes stand in the head, before the first coordinate; comments may come first.
    constexpr int headLines = 100;
    platform::LineReader reader(path);
    std::string line;
    for (int n = 0; n < headLines && reader.next(line);) {
        const std::string text = util::trim(line);
        if (text.starts_with("%TF.FileFunction,") && text.ends_with("*%"))
            return roleOfFunction(text.substr(17, text.size() - 19));
        if (!text.empty() && text[0] != '%' && !text.starts_with("G04"))
            ++n;
    }
    const std::string name = util::fileNameOf(path);
    if (const Role role = roleOfFileName(name); role.layer != Layer::None)
        return role;
    if (util::upper(util::baseNameOf(name)).find("PLANE") != std::string::npos)
        return {.layer = Layer::Plane, .number = 2};
    return {};
}

std::optional<OwnAperture> ownAperture(const std::string& path) {
    // Definitions and the generation attribute stand in the head; a file is read up to its first operation.
    platform::LineReader reader(path);
    std::string line;
    std::optional<OwnAperture> own;
    for (long number = 1; reader.next(line); ++number) {
        const std::string text = util::trim(line);
        if (text.starts_with("%TF.GenerationSoftware,Flashkit,Fab Export"))
            return std::nullopt;
        if (!own && text.find("%AD") != std::string::npos)
            own = OwnAperture{.line = number, .text = text};
        if (text.find("D01") != std::string::npos || text.find("D03") != std::string::npos)
            break;
    }
    return own;
}

Plot readPlot(const std::string& path, const Definitions& definitions) {
    const Role role = roleOfPlot(path);
    Plot plot{.path = path,
              .role = role,
              .plane = role.layer == Layer::Plane,
              .copper = isCopper(role) || role.layer == Layer::None};
    PlotReader reader(plot, definitions);
    gerber::Coordinates at;
    gerber::Rounding rounding;
    gerber::translateFile(path, at, rounding, reader,
                          {.limit = "the check cannot read", .outcome = "Nothing was checked"});
    if (plot.flashes.empty() && plot.draws.empty())
        throw app::JobStop{util::lines({"The plot holds no flash and no draw:", util::angled(path),
                                        "Nothing was checked; pick the board's plots and re-try."})};
    return plot;
}

std::vector<Hole> holesOf(const drill::DrillFile& file, const Definitions& definitions,
                          const std::string& path) {
    std::map<int, Length> own, sizes;
    for (const auto& t : file.tools)
        own[t.number] = t.diameter;
    std::vector<Hole> holes;
    holes.reserve(file.holes.size());
    for (const auto& h : file.holes) {
        if (h.tool == 0)
            refuse(path, h.line, "drills a hole before any tool is selected", "");
        auto size = sizes.find(h.tool);
        if (size == sizes.end()) {
            const auto dfn = toolOf(definitions, h.tool);
            const Length found = dfn ? dfn->size : own.contains(h.tool) ? own[h.tool] : Length();
            if (found <= Length())
                refuse(path, h.line,
                       "drills with T" + std::to_string(h.tool) +
                           ", whose size neither the drill file nor a CAM_TOOL line of PCB.DFN gives",
                       "T" + std::to_string(h.tool));
            size = sizes.emplace(h.tool, found).first;
        }
        holes.push_back({.at = {h.x, h.y},
                         .diameter = size->second,
                         .tool = h.tool,
                         .line = h.line,
                         .end = {h.x, h.y}}); // a round hole ends where it starts
    }
    return holes;
}

} // namespace fk::board
