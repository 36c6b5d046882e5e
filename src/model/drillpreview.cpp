#include "model/drillpreview.hpp"

#include "app/runner.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <utility>

namespace fk::model {

namespace {

// A line quoted in a panel is cut here: a panel has no room for a whole runaway line.
constexpr size_t quotedLineLength = 60;
// The largest proportion looked for; beyond it the holes are simply elsewhere.
constexpr double largestFactor = 1000;

drill::Zeros machineZeros(UnstatedZeros rule) {
    // Leading: leading zeros kept, so a short number lacks trailing ones and is read from the left.
    return rule == UnstatedZeros::LeadingKept ? drill::Zeros::TrailingOmitted : drill::Zeros::LeadingOmitted;
}

std::string quoted(const std::string& line) {
    return line.size() <= quotedLineLength ? line : line.substr(0, quotedLineLength) + "...";
}

std::vector<PreviewTool> toolsOf(const drill::DrillFile& file) {
    std::map<int, PreviewTool> tools;
    for (const auto& t : file.tools) {
        tools[t.number].number = t.number;
        tools[t.number].diameter = t.diameter;
    }
    for (const auto& h : file.holes) {
        tools[h.tool].number = h.tool;
        ++tools[h.tool].holes;
    }
    std::vector<PreviewTool> list;
    for (auto& [number, tool] : tools)
        list.push_back(tool);
    return list;
}

std::optional<Extent> extentOf(const std::vector<drill::DrillHole>& holes) {
    if (holes.empty())
        return std::nullopt;
    Extent e{.minX = holes[0].x, .minY = holes[0].y, .maxX = holes[0].x, .maxY = holes[0].y};
    for (const auto& h : holes) {
        e.minX = std::min(e.minX, h.x);
        e.minY = std::min(e.minY, h.y);
        e.maxX = std::max(e.maxX, h.x);
        e.maxY = std::max(e.maxY, h.y);
    }
    return e;
}

DrillPanel readPanel(std::string name, std::string path, UnstatedZeros rule, bool blankBase) {
    DrillPanel panel{.name = std::move(name), .path = std::move(path)};
    if (blankBase) { // the name would be its extension alone (".NC1"), a hidden file
        panel.problem = app::blankBaseName;
        return panel;
    }
    if (!platform::fileexists(panel.path)) {
        panel.problem = "File not found: " + util::angled(panel.path);
        return panel;
    }
    try {
        drill::DrillFile file = drill::readDrillFile(panel.path, machineZeros(rule));
        if (file.isNotDrillFile()) {
            panel.problem =
                "Not a drill file: it holds no header (M48, INCH or METRIC), no tool and no hole.";
            return panel;
        }
        panel.format = file.format;
        panel.tools = toolsOf(file);
        panel.holes = std::move(file.holes);
        panel.extent = extentOf(panel.holes);
    } catch (const drill::ExcellonError& e) {
        panel.problem = "Line " + std::to_string(e.line) + " [" + quoted(e.text) +
                        "] cannot be read. Expected: " + e.expected + ".";
    } catch (const platform::FileError& e) {
        panel.problem = e.logMessage();
    }
    return panel;
}

// The largest distance on one axis between each hole and NC1's hole of the same order.
std::pair<util::Length, size_t> largestOffset(const std::vector<drill::DrillHole>& reference,
                                              const std::vector<drill::DrillHole>& holes) {
    std::pair<util::Length, size_t> largest{util::Length(), 0};
    for (size_t i = 0; i < holes.size(); ++i) {
        const util::Length offset =
            std::max(util::abs(holes[i].x - reference[i].x), util::abs(holes[i].y - reference[i].y));
        if (offset > largest.first)
            largest = {offset, i};
    }
    return largest;
}

// A whole number n of 2 or more such that every hole lies at n times (or 1/n of) NC1's distance from the
// origin, within the tolerance scaled with it.
std::optional<std::pair<int, bool>> commonFactor(const std::vector<drill::DrillHole>& reference,
                                                 const std::vector<drill::DrillHole>& holes) {
    double along = 0, norm = 0;
    for (size_t i = 0; i < holes.size(); ++i) {
        const double x0 = reference[i].x.nanometres(), y0 = reference[i].y.nanometres();
        along += x0 * holes[i].x.nanometres() + y0 * holes[i].y.nanometres();
        norm += x0 * x0 + y0 * y0;
    }
    if (norm == 0 || along <= 0)
        return std::nullopt;
    const bool closer = along < norm;
    const double n = std::round(closer ? norm / along : along / norm);
    if (n < 2 || n > largestFactor)
        return std::nullopt;
    const double factor = closer ? 1 / n : n;
    const double tolerance = samePlaceTolerance.nanometres() * std::max(1.0, factor);
    for (size_t i = 0; i < holes.size(); ++i) {
        if (std::abs(holes[i].x.nanometres() - factor * reference[i].x.nanometres()) >= tolerance ||
            std::abs(holes[i].y.nanometres() - factor * reference[i].y.nanometres()) >= tolerance)
            return std::nullopt;
    }
    return std::pair{static_cast<int>(n), closer};
}

void compareWithNc1(const DrillPanel& nc1, DrillPanel& panel) {
    if (!panel.problem.empty()) {
        panel.placement = Placement::Unread;
        return;
    }
    if (!nc1.problem.empty()) {
        panel.placement = Placement::NoNc1;
        return;
    }
    panel.nc1Holes = nc1.holes.size();
    if (panel.holes.size() != nc1.holes.size()) {
        panel.placement = Placement::OtherCount;
        return;
    }
    std::tie(panel.largestOffset, panel.offsetHole) = largestOffset(nc1.holes, panel.holes);
    panel.placement = Placement::Moved;
    if (panel.largestOffset < samePlaceTolerance) {
        panel.placement = Placement::AtNc1;
    } else if (auto factor = commonFactor(nc1.holes, panel.holes)) {
        panel.placement = Placement::Scaled;
        std::tie(panel.factor, panel.closer) = *factor;
    }
}

void include(Extent& view, const Extent& e) {
    view.minX = std::min(view.minX, e.minX);
    view.minY = std::min(view.minY, e.minY);
    view.maxX = std::max(view.maxX, e.maxX);
    view.maxY = std::max(view.maxY, e.maxY);
}

// A length as a number in the file's units: steps of 0.0001 inch or of 0.001 mm, rounded to nearest, halves
// to even.
std::string valueText(util::Length length, drill::Units units) {
    return units == drill::Units::Inch ? util::decimalText(length.toInchDecimals(4), 4)
                                       : util::decimalText(length.toMillimetreDecimals(3), 3);
}

std::string unitText(drill::Units units) {
    return units == drill::Units::Inch ? " inch" : " mm";
}

std::string plural(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

DrillPreview loadDrillPreview(const app::Fields& fields, UnstatedZeros rule) {
    DrillPreview preview{.rule = rule};
    const bool blankBase = util::isBlank(fields.fnamebase);
    preview.panels.push_back(
        readPanel("NC1", fields.indatapath + "\\" + fields.fnamebase + ".NC1", rule, blankBase));
    for (int n = 2; n <= 5; ++n) {
        const std::string extension = ".NC" + std::to_string(n);
        preview.panels.push_back(readPanel(
            extension.substr(1), fields.outdatapath + "\\" + fields.fnamebase + extension, rule, blankBase));
    }
    preview.panels[0].placement =
        preview.panels[0].problem.empty() ? Placement::Reference : Placement::Unread;
    for (size_t i = 1; i < preview.panels.size(); ++i)
        compareWithNc1(preview.panels[0], preview.panels[i]);
    for (const auto& panel : preview.panels) {
        if (panel.extent)
            include(preview.view, *panel.extent);
    }
    return preview;
}

std::string lengthText(util::Length length, drill::Units units) {
    return valueText(length, units) + unitText(units);
}

std::string ruleText(UnstatedZeros rule) {
    return rule == UnstatedZeros::LeadingKept
               ? "leading zeros kept (Excellon's default): short numbers read from the left"
               : "leading zeros left out: short numbers read from the right";
}

std::string formatText(const DrillPanel& panel, UnstatedZeros rule) {
    if (!panel.problem.empty())
        return "";
    const drill::DrillFormat& f = panel.format;
    const std::string digits = std::to_string(f.integerDigits) + "." + std::to_string(f.decimalDigits);
    const std::string units = f.units == drill::Units::Inch ? "INCH" : "METRIC";
    switch (f.zeros) {
    case drill::Zeros::TrailingOmitted:
        return units + ",LZ " + digits + ": leading zeros kept, short numbers read from the left";
    case drill::Zeros::LeadingOmitted:
        return units + ",TZ " + digits + ": trailing zeros kept, short numbers read from the right";
    case drill::Zeros::Unstated:
        break;
    }
    return units + " " + digits + ", zeros not stated: " + ruleText(rule);
}

std::string placementText(const DrillPanel& p) {
    const std::string offset = lengthText(p.largestOffset, p.format.units);
    const std::string where = "hole " + std::to_string(p.offsetHole + 1) +
                              (p.holes.empty() ? "" : ", line " + std::to_string(p.holes[p.offsetHole].line));
    const std::string times = std::to_string(p.factor);
    switch (p.placement) {
    case Placement::Reference:
        return "The holes the other files are compared with";
    case Placement::AtNc1:
        return "Holes at NC1's places (largest offset " + offset + ")";
    case Placement::Scaled:
        return "Holes " + times + "x off NC1: at " + (p.closer ? "1/" + times + " of" : times + " times") +
               " NC1's distances from the origin (largest offset " + offset + ", " + where + ")";
    case Placement::Moved:
        return "Holes off NC1's places (largest offset " + offset + ", " + where + ")";
    case Placement::OtherCount:
        return "Not NC1's holes: " + plural(p.holes.size(), "hole", "holes") + " where NC1 has " +
               std::to_string(p.nc1Holes);
    case Placement::NoNc1:
        return "No NC1 to compare with";
    case Placement::Unread:
        break;
    }
    return p.problem;
}

std::string countText(const DrillPanel& panel) {
    return panel.holes.empty() ? "No holes" : plural(panel.holes.size(), "hole", "holes");
}

std::string extentText(const DrillPanel& panel) {
    if (!panel.extent)
        return "";
    const Extent& e = *panel.extent;
    const drill::Units u = panel.format.units;
    return "X " + valueText(e.minX, u) + " to " + lengthText(e.maxX, u) + ", Y " + valueText(e.minY, u) +
           " to " + lengthText(e.maxY, u);
}

std::vector<std::string> toolTexts(const DrillPanel& panel) {
    std::vector<std::string> lines;
    for (const auto& t : panel.tools) {
        const std::string name = t.number ? "T" + std::to_string(t.number) : "No tool selected";
        const std::string size =
            t.diameter ? lengthText(*t.diameter, panel.format.units) : std::string("size not stated");
        lines.push_back(name + (t.number ? " " + size : "") + ": " + plural(t.holes, "hole", "holes"));
    }
    return lines;
}

namespace {

// Drawing is in nanometres: a scale in pixels per nanometre.
constexpr double smallestSpan = 2'540'000; // 0.1 inch: a view of a single hole still has a size
constexpr double smallestRadius = 2.5;     // pixels: a hole too small to see at this scale still shows
constexpr double unsizedRadius = 3.5;      // pixels: a tool whose file states no size

double widestDrill(const DrillPreview& preview) {
    util::Length widest{};
    for (const auto& panel : preview.panels)
        for (const auto& tool : panel.tools)
            widest = std::max(widest, tool.diameter.value_or(util::Length()));
    return widest.nanometres();
}

} // namespace

double drawingScale(const DrillPreview& preview, int width, int height) {
    const Extent& v = preview.view;
    const double spanX = std::max(smallestSpan, (v.maxX - v.minX).nanometres()) + widestDrill(preview);
    const double spanY = std::max(smallestSpan, (v.maxY - v.minY).nanometres()) + widestDrill(preview);
    const double w = std::max(1, width - 2 * drawingMargin);
    const double h = std::max(1, height - 2 * drawingMargin);
    return std::min(w / spanX, h / spanY);
}

Pixel pixelOf(const DrillPreview& preview, double scale, int width, int height, util::Length x,
              util::Length y) {
    const Extent& v = preview.view;
    const double middleX = (v.minX.nanometres() + v.maxX.nanometres()) / 2;
    const double middleY = (v.minY.nanometres() + v.maxY.nanometres()) / 2;
    return {.x = width / 2.0 + (x.nanometres() - middleX) * scale,
            .y = height / 2.0 + (middleY - y.nanometres()) * scale};
}

double holeRadius(const std::optional<util::Length>& diameter, double scale) {
    return diameter ? std::max(smallestRadius, diameter->nanometres() * scale / 2) : unsizedRadius;
}

bool drawnOff(Placement placement) {
    return placement == Placement::Scaled || placement == Placement::Moved ||
           placement == Placement::OtherCount;
}

Rgb markerColour(Placement placement) {
    if (drawnOff(placement) || placement == Placement::Unread)
        return {.red = 170, .green = 0, .blue = 0};
    if (placement == Placement::NoNc1)
        return {.red = 90, .green = 90, .blue = 90};
    return {.red = 0, .green = 110, .blue = 0};
}

} // namespace fk::model
