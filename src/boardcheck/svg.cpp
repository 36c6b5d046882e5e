// The board picture as SVG, in mils with y up: copper plots in their true shapes, each plane as the board
// house makes it (copper everywhere but where it is drawn), holes over them, findings ringed in red.
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cmath>

namespace fk::boardcheck {

namespace {

const char* const copperColours[] = {"#b87333", "#3a7d44", "#8a5a9e", "#a08020"};
const char* const planeColour = "#4a78b8";
const char* const clearedColour = "#ffffff";
const char* const findingColour = "#e00000";

std::string xml(std::string_view text) {
    std::string out;
    for (char c : text)
        out += c == '&'   ? "&amp;"
               : c == '<' ? "&lt;"
               : c == '>' ? "&gt;"
               : c == '"' ? "&quot;"
                          : std::string(1, c);
    return out;
}

// Mils with up to two decimals, trailing zeros left out.
std::string n(Length l) {
    return util::shortDecimalText(l.toMilDecimals(2), 2);
}

std::string circle(Point c, Length r, const std::string& fill) {
    return "<circle cx=\"" + n(c.x) + "\" cy=\"" + n(c.y) + "\" r=\"" + n(r) + "\" fill=\"" + fill + "\"/>";
}

// An outline as a path: every polygon of it, holes and all, filled by the nonzero rule as Gerber fills them.
std::string pathOf(const board::Polygons& polygons, const std::string& fill) {
    std::string d;
    for (const auto& p : polygons) {
        for (size_t i = 0; i < p.size(); ++i)
            d += (i ? " L" : "M") + n(Length::fromCount(p[i].X)) + " " + n(Length::fromCount(p[i].Y));
        d += " Z ";
    }
    return "<path d=\"" + d + "\" fill=\"" + fill + "\" fill-rule=\"nonzero\"/>";
}

// A layer's objects in file order, dark in `ink` and clear in `paper` (for a negative image the other way).
void writeLayer(platform::AtomicWriter& out, const board::BoardLayer& layer, const std::string& ink,
                const std::string& paper) {
    out.writeLine("<g id=\"" + xml(layer.image.name) + "\" opacity=\"" + (layer.plane ? "1" : "0.75") +
                  "\">");
    for (const auto& o : layer.image.objects) {
        const std::string& fill = o.clear == layer.plane ? ink : paper;
        if (o.kind == board::ObjectKind::Circle)
            out.writeLine(circle(o.from, o.radius, fill));
        else if (o.kind == board::ObjectKind::Stroke)
            out.writeLine("<line x1=\"" + n(o.from.x) + "\" y1=\"" + n(o.from.y) + "\" x2=\"" + n(o.to.x) +
                          "\" y2=\"" + n(o.to.y) + "\" stroke=\"" + fill + "\" stroke-width=\"" +
                          n(o.radius * 2) + "\" stroke-linecap=\"round\"/>");
        else
            out.writeLine(pathOf(layer.image.outlines[o.shape], fill));
    }
    out.writeLine("</g>");
}

void writeHoles(platform::AtomicWriter& out, const std::vector<board::Hole>& holes) {
    out.writeLine("<g id=\"holes\">");
    for (const auto& h : holes)
        out.writeLine(h.slot ? "<line x1=\"" + n(h.at.x) + "\" y1=\"" + n(h.at.y) + "\" x2=\"" + n(h.end.x) +
                                   "\" y2=\"" + n(h.end.y) + "\" stroke=\"#000000\" stroke-width=\"" +
                                   n(h.diameter) + "\" stroke-linecap=\"round\"/>"
                             : circle(h.at, h.diameter / 2, "#000000"));
    out.writeLine("</g>");
}

// Text in the picture's own frame (y down), `size` high, drawn over a white edge so that it reads on
// anything.
std::string label(Length x, Length y, Length size, const std::string& colour, const std::string& text) {
    return "<text x=\"" + n(x) + "\" y=\"" + n(y) + "\" font-family=\"sans-serif\" font-size=\"" + n(size) +
           "\" fill=\"" + colour + "\" stroke=\"#ffffff\" stroke-width=\"" + n(size / 5) +
           "\" paint-order=\"stroke\">" + xml(text) + "</text>";
}

// Each finding ringed round its hole over a white halo, its kind beside it: the picture reads without the
// log. A finding between two places (a gap, a width, copper to the edge) is drawn as the segment measured,
// named with its measure.
void writeFindings(platform::AtomicWriter& out, const std::vector<board::Hole>& holes,
                   const std::vector<Finding>& findings, const Box& e, Length unit) {
    out.writeLine("<g id=\"findings\">");
    for (const auto& f : findings) {
        if (f.kind == Kind::DrillReading)
            continue;
        const auto hole =
            std::find_if(holes.begin(), holes.end(), [&](const board::Hole& h) { return h.at == f.at; });
        const Length r = std::max(2 * unit, (hole == holes.end() ? Length() : hole->diameter / 2) + unit);
        std::string name = kindName(f.kind);
        if (f.from && f.to) {
            const std::string ends = "x1=\"" + n(f.from->x) + "\" y1=\"" + n(-f.from->y) + "\" x2=\"" +
                                     n(f.to->x) + "\" y2=\"" + n(-f.to->y) + "\"";
            out.writeLine("<line " + ends + " stroke=\"#ffffff\" stroke-width=\"" + n(unit * 4 / 5) +
                          "\" stroke-linecap=\"round\"/>");
            out.writeLine("<line " + ends + " stroke=\"" + findingColour + "\" stroke-width=\"" +
                          n(unit * 2 / 5) + "\" stroke-linecap=\"round\"><title>" + name + " " + xml(f.plot) +
                          "</title></line>");
            if (f.measured)
                name += " " + util::decimalText(f.measured->toMilDecimals(2), 2) + " mil";
        }
        const std::string centre = "cx=\"" + n(f.at.x) + "\" cy=\"" + n(-f.at.y) + "\" r=\"" + n(r) + "\"";
        out.writeLine("<circle " + centre + " fill=\"none\" stroke=\"#ffffff\" stroke-width=\"" +
                      n(unit * 4 / 5) + "\"/>");
        out.writeLine("<circle " + centre + " fill=\"none\" stroke=\"" + findingColour +
                      "\" stroke-width=\"" + n(unit * 2 / 5) + "\"><title>" + kindName(f.kind) + " " +
                      xml(f.plot) + "</title></circle>");
        // Beside the mark, on its left where the name would run off the board's right edge.
        const bool left = f.at.x + r + unit * Length::Count(name.size() * 11 / 10 + 1) > e.right;
        std::string text = label(left ? f.at.x - r - unit / 2 : f.at.x + r + unit / 2, -f.at.y + unit * 3 / 5,
                                 unit * 9 / 5, findingColour, name);
        if (left)
            text.insert(5, " text-anchor=\"end\"");
        out.writeLine(text);
    }
    out.writeLine("</g>");
}

// A bar of a round length (1, 2 or 5 times a power of ten mils) about a fifth of the board's width.
void writeScaleBar(platform::AtomicWriter& out, const Box& e, Length unit) {
    const double wanted = double((e.right - e.left).count()) / 5 / double(Length::perMil);
    double step = std::pow(10.0, std::floor(std::log10(std::max(wanted, 1e-3))));
    for (double factor : {5.0, 2.0, 1.0})
        if (step * factor <= wanted) {
            step *= factor;
            break;
        }
    const Length bar = Length::fromCount(std::llround(step * double(Length::perMil)));
    const Length y = -e.bottom + unit * 4;
    out.writeLine("<g id=\"scale\">");
    out.writeLine("<line x1=\"" + n(e.left + unit) + "\" y1=\"" + n(y) + "\" x2=\"" + n(e.left + unit + bar) +
                  "\" y2=\"" + n(y) + "\" stroke=\"#000000\" stroke-width=\"" + n(unit * 2 / 5) + "\"/>");
    out.writeLine(label(e.left + unit, y - unit, unit * 9 / 5, "#000000",
                        util::shortDecimalText(bar.toMilDecimals(3), 3) + " mil (" +
                            util::shortDecimalText(bar.toMillimetreDecimals(3), 3) + " mm)"));
    out.writeLine("</g>");
}

struct LegendItem {
    std::string colour, text;
};

// A plane's copper over the whole picture, before what it clears.
void planeUnder(platform::AtomicWriter& out, const Box& e) {
    out.writeLine("<rect x=\"" + n(e.left) + "\" y=\"" + n(e.bottom) + "\" width=\"" + n(e.right - e.left) +
                  "\" height=\"" + n(e.top - e.bottom) + "\" fill=\"" + planeColour + "\"/>");
}

// The board `e` with a band above it for the title, the limits and the legend, and one below for the scale.
// The unit of the header's text: the board's unit, smaller where the longest line would not fit its width (a
// letter takes about 1.2 units at the sizes used).
Length textUnitOf(const Box& e, Length unit, const std::vector<std::string>& head) {
    size_t longest = 1;
    for (const auto& line : head)
        longest = std::max(longest, line.size());
    const Length fits = (e.right - e.left) * 10 / Length::Count(longest * 13 + 20);
    return std::max(std::min(unit, fits), Length::fromCount(1));
}

// The board `e` with a band above it for the title, the limits and the legend (wrapped to the board's width),
// and one below for the scale.
void openSvg(platform::AtomicWriter& out, const Box& e, Length unit, const std::vector<std::string>& head,
             const std::vector<LegendItem>& legend) {
    const Length t = textUnitOf(e, unit, head);
    // Where each legend item stands: a swatch and a name, as wide as their letters, rows as the width allows.
    std::vector<std::pair<Length, int>> places;
    Length x = e.left + t;
    int row = 0;
    for (const auto& item : legend) {
        const Length wide = t * (4 + Length::Count(item.text.size()) * 6 / 5);
        if (x > e.left + t && x + wide > e.right)
            x = e.left + t, ++row;
        places.push_back({x, row});
        x = x + wide;
    }
    const Length top = e.top + t * (3 * Length::Count(head.size()) + 3 * (row + 1) + 1);
    const Length bottom = e.bottom - unit * 6;
    const std::string area = "x=\"" + n(e.left) + "\" y=\"" + n(-top) + "\" width=\"" + n(e.right - e.left) +
                             "\" height=\"" + n(top - bottom) + "\"";
    out.writeLine("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"" + n(e.left) + " " + n(-top) + " " +
                  n(e.right - e.left) + " " + n(top - bottom) + "\" width=\"100%\" height=\"100%\">");
    out.writeLine("<rect " + area + " fill=\"" + clearedColour + "\"/>");
    out.writeLine("<g id=\"title\">");
    Length y = -top + t * 3;
    for (const auto& line : head) {
        out.writeLine(label(e.left + t, y, t * (line == head.front() ? 5 : 4) / 2, "#000000", line));
        y = y + t * 3;
    }
    for (size_t k = 0; k < legend.size(); ++k) {
        const auto [at, line] = places[k];
        const Length base = y + t * 3 * line;
        out.writeLine("<rect x=\"" + n(at) + "\" y=\"" + n(base - t * 3 / 2) + "\" width=\"" + n(t * 3 / 2) +
                      "\" height=\"" + n(t * 3 / 2) + "\" fill=\"" + legend[k].colour +
                      "\" stroke=\"#000000\" stroke-width=\"" + n(t / 10) + "\"/>");
        out.writeLine(label(at + t * 2, base, t * 9 / 5, "#000000", legend[k].text));
    }
    out.writeLine("</g>");
    out.writeLine("<g transform=\"scale(1,-1)\">");
}

} // namespace

void writeFabricationSvg(const board::Fabrication& board, const std::vector<Finding>& findings,
                         const std::string& title, const Limits& limits, platform::AtomicWriter& out) {
    Box e = Box::nothing();
    for (const auto& layer : board.layers)
        e.include(layer.image.extent);
    for (const auto& h : board.holes)
        e.include(Box::around(h.at, h.diameter / 2));
    e = e.empty() ? Box{} : e.grown(mils(50));
    // Text and marks in a hundredth of the board's larger side: they read at the size the board is shown.
    const Length unit = std::max(mils(1), std::max(e.right - e.left, e.top - e.bottom) / 100);
    // Planes first, the other layers seen through each other over them; masks, legends and paste are left
    // out.
    std::vector<const board::BoardLayer*> planes, others;
    std::vector<LegendItem> legend;
    for (const auto& layer : board.layers)
        if (layer.plane)
            planes.push_back(&layer), legend.push_back({planeColour, layer.image.name + " (plane)"});
    std::vector<std::string> inks;
    size_t copper = 0;
    for (const auto& layer : board.layers)
        if (!layer.plane && (board::isCopper(layer.role) || layer.role.layer == board::Layer::Outline)) {
            others.push_back(&layer);
            inks.push_back(layer.role.layer == board::Layer::Outline ? "#404040"
                                                                     : copperColours[copper++ % 4]);
            legend.push_back({inks.back(), layer.image.name});
        }
    legend.push_back({"#000000", "hole"});
    legend.push_back({findingColour, "finding"});
    std::string limitsText = "Limits:";
    for (const auto& row : board::limitRows)
        limitsText += std::string(&row == board::limitRows ? " " : ", ") + row.option + " " +
                      util::decimalText((limits.*row.field).toMilDecimals(2), 2) + " mil";
    limitsText += "; " + std::to_string(findings.size()) + (findings.size() == 1 ? " finding" : " findings");
    openSvg(out, e, unit, {title, limitsText}, legend);
    for (const auto* layer : planes) {
        planeUnder(out, e);
        writeLayer(out, *layer, planeColour, clearedColour);
    }
    for (size_t i = 0; i < others.size(); ++i)
        writeLayer(out, *others[i], inks[i], clearedColour);
    writeHoles(out, board.holes);
    out.writeLine("</g>");
    writeFindings(out, board.holes, findings, e, unit);
    writeScaleBar(out, e, unit);
    out.writeLine("</svg>");
}

void writeBoardSvg(const Board& board, const std::vector<Finding>& findings, const std::string& title,
                   const Limits& limits, platform::AtomicWriter& out) {
    // A design's plots drawn as any board's layers: planes, and every other plot as copper.
    board::Fabrication drawn;
    for (const auto& plot : board.plots)
        drawn.layers.push_back({.role = {.layer = plot.plane ? board::Layer::Plane : board::Layer::TopCopper},
                                .image = board::imageOf(plot),
                                .plane = plot.plane});
    drawn.holes = board.holes;
    writeFabricationSvg(drawn, findings, title, limits, out);
}

} // namespace fk::boardcheck
