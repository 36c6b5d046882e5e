// The board picture as SVG, in mils with y up: copper plots in their true shapes, each plane as the board
// house makes it (copper everywhere but where it is drawn), holes over them, findings ringed in red.
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>

namespace fk::boardcheck {

namespace {

using board::ShapeKind;

const char* const copperColours[] = {"#b87333", "#3a7d44", "#8a5a9e", "#a08020"};
const char* const planeColour = "#4a78b8";
const char* const clearedColour = "#ffffff";

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

std::string ring(Point c, Length outer, Length inner, const std::string& colour) {
    return "<circle cx=\"" + n(c.x) + "\" cy=\"" + n(c.y) + "\" r=\"" + n((outer + inner) / 4) +
           "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" + n((outer - inner) / 2) + "\"/>";
}

std::string rect(Point c, Length w, Length h, Length corner, const std::string& fill, int degrees = 0) {
    std::string turn =
        degrees ? " transform=\"rotate(" + std::to_string(degrees) + " " + n(c.x) + " " + n(c.y) + ")\"" : "";
    return "<rect x=\"" + n(c.x - w / 2) + "\" y=\"" + n(c.y - h / 2) + "\" width=\"" + n(w) +
           "\" height=\"" + n(h) + "\" rx=\"" + n(corner) + "\" fill=\"" + fill + "\"" + turn + "/>";
}

// A flash in `ink`; `paper` is what shows through its openings.
std::string flash(const Shape& s, Point at, const std::string& ink, const std::string& paper) {
    switch (s.kind) {
    case ShapeKind::Rectangle:
        return rect(at, s.width, s.height, {}, ink);
    case ShapeKind::RoundedRectangle:
        return rect(at, s.width, s.height, s.corner, ink);
    case ShapeKind::Obround:
        return rect(at, s.width, s.height, std::min(s.width, s.height) / 2, ink);
    case ShapeKind::Target:
        return ring(at, s.width, s.width - 2 * board::targetBarOf(s.width), ink) +
               rect(at, s.width, board::targetBarOf(s.width), {}, ink) +
               rect(at, board::targetBarOf(s.width), s.width, {}, ink);
    case ShapeKind::Donut:
        return circle(at, s.width / 2, ink) + circle(at, s.inner / 2, paper);
    case ShapeKind::Thermal:
        return ring(at, s.width, s.inner, ink) + rect(at, s.width, s.gap, {}, paper, s.degrees) +
               rect(at, s.gap, s.width, {}, paper, s.degrees);
    default:
        return circle(at, s.width / 2, ink);
    }
}

void writePlot(platform::AtomicWriter& out, const board::Plot& plot, const std::string& ink,
               const std::string& paper) {
    out.writeLine("<g id=\"" + xml(util::fileNameOf(plot.path)) + "\" opacity=\"" +
                  (plot.plane ? "1" : "0.75") + "\">");
    for (const auto& f : plot.flashes)
        out.writeLine(flash(plot.shape(f.dcode), f.at, ink, paper));
    for (const auto& d : plot.draws)
        out.writeLine("<line x1=\"" + n(d.from.x) + "\" y1=\"" + n(d.from.y) + "\" x2=\"" + n(d.to.x) +
                      "\" y2=\"" + n(d.to.y) + "\" stroke=\"" + ink + "\" stroke-width=\"" +
                      n(plot.shape(d.dcode).width) + "\" stroke-linecap=\"round\"/>");
    out.writeLine("</g>");
}

Box extentOf(const Board& board) {
    std::vector<Box> boxes;
    for (const auto& plot : board.plots) {
        for (const auto& f : plot.flashes)
            boxes.push_back(boxOf(outlineOf(plot.shape(f.dcode), f.at)));
        for (const auto& d : plot.draws)
            boxes.push_back(boxOf(capsuleOf(plot.shape(d.dcode), d.from, d.to)));
    }
    for (const auto& h : board.holes)
        boxes.push_back(boxOf(Outline{h.at, {}, {}, h.diameter / 2}));
    if (boxes.empty())
        return {};
    Box all = boxes.front();
    for (const auto& b : boxes)
        all = {std::min(all.left, b.left), std::min(all.bottom, b.bottom), std::max(all.right, b.right),
               std::max(all.top, b.top)};
    return grown(all, mils(50));
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

void writeHolesAndFindings(platform::AtomicWriter& out, const std::vector<board::Hole>& holes,
                           const std::vector<Finding>& findings) {
    out.writeLine("<g id=\"holes\">");
    for (const auto& h : holes)
        out.writeLine(h.slot ? "<line x1=\"" + n(h.at.x) + "\" y1=\"" + n(h.at.y) + "\" x2=\"" + n(h.end.x) +
                                   "\" y2=\"" + n(h.end.y) + "\" stroke=\"#000000\" stroke-width=\"" +
                                   n(h.diameter) + "\" stroke-linecap=\"round\"/>"
                             : circle(h.at, h.diameter / 2, "#000000"));
    out.writeLine("</g>");
    out.writeLine("<g id=\"findings\" fill=\"none\" stroke=\"#e00000\" stroke-width=\"4\">");
    for (const auto& f : findings)
        if (f.kind != Kind::DrillReading)
            out.writeLine("<circle cx=\"" + n(f.at.x) + "\" cy=\"" + n(f.at.y) + "\" r=\"40\"><title>" +
                          kindName(f.kind) + " " + xml(f.plot) + "</title></circle>");
    out.writeLine("</g>");
}

// A plane's copper over the whole picture, before what it clears.
void planeUnder(platform::AtomicWriter& out, const Box& e) {
    out.writeLine("<rect x=\"" + n(e.left) + "\" y=\"" + n(e.bottom) + "\" width=\"" + n(e.right - e.left) +
                  "\" height=\"" + n(e.top - e.bottom) + "\" fill=\"" + planeColour + "\"/>");
}

void openSvg(platform::AtomicWriter& out, const Box& e) {
    const std::string area = "x=\"" + n(e.left) + "\" y=\"" + n(-e.top) + "\" width=\"" +
                             n(e.right - e.left) + "\" height=\"" + n(e.top - e.bottom) + "\"";
    out.writeLine("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"" + n(e.left) + " " + n(-e.top) + " " +
                  n(e.right - e.left) + " " + n(e.top - e.bottom) + "\" width=\"100%\" height=\"100%\">");
    out.writeLine("<rect " + area + " fill=\"" + clearedColour + "\"/>");
    out.writeLine("<g transform=\"scale(1,-1)\">");
}

} // namespace

void writeFabricationSvg(const board::Fabrication& board, const std::vector<Finding>& findings,
                         platform::AtomicWriter& out) {
    Box e = Box::nothing();
    for (const auto& layer : board.layers)
        e.include(layer.image.extent);
    for (const auto& h : board.holes)
        e.include(Box::around(h.at, h.diameter / 2));
    e = e.empty() ? Box{} : e.grown(mils(50));
    openSvg(out, e);
    // Planes first, the other layers seen through each other over them; masks, legends and paste are left
    // out.
    for (const auto& layer : board.layers)
        if (layer.plane) {
            planeUnder(out, e);
            writeLayer(out, layer, planeColour, clearedColour);
        }
    size_t copper = 0;
    for (const auto& layer : board.layers)
        if (!layer.plane && (board::isCopper(layer.role) || layer.role.layer == board::Layer::Outline))
            writeLayer(out, layer,
                       layer.role.layer == board::Layer::Outline ? "#404040" : copperColours[copper++ % 4],
                       clearedColour);
    writeHolesAndFindings(out, board.holes, findings);
    out.writeLine("</g>");
    out.writeLine("</svg>");
}

void writeBoardSvg(const Board& board, const std::vector<Finding>& findings, platform::AtomicWriter& out) {
    const Box e = extentOf(board);
    openSvg(out, e);
    // Planes first, copper plots seen through each other over them.
    for (const auto& plot : board.plots)
        if (plot.plane) {
            planeUnder(out, e);
            writePlot(out, plot, clearedColour, planeColour);
        }
    size_t copper = 0;
    for (const auto& plot : board.plots)
        if (!plot.plane)
            writePlot(out, plot, copperColours[copper++ % 4], clearedColour);
    writeHolesAndFindings(out, board.holes, findings);
    out.writeLine("</g>");
    out.writeLine("</svg>");
}

} // namespace fk::boardcheck
