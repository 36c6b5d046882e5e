// The board picture as SVG, in mils with y up: copper plots in their true shapes, each plane as the board
// house makes it (copper everywhere but where it is drawn), holes over them, findings ringed in red.
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>

namespace fk::boardcheck {

namespace {

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
    // A design's plots drawn as any board's layers: planes, and every other plot as copper.
    board::Fabrication drawn;
    for (const auto& plot : board.plots)
        drawn.layers.push_back({.role = {.layer = plot.plane ? board::Layer::Plane : board::Layer::TopCopper},
                                .image = board::imageOf(plot),
                                .plane = plot.plane});
    drawn.holes = board.holes;
    writeFabricationSvg(drawn, findings, out);
}

} // namespace fk::boardcheck
