// Each PCB.DFN aperture as the RS-274-X aperture that draws exactly its shape: circle, rectangle and
// obround as standard apertures, donuts, rounded rectangles, targets and thermals as macros of their own.
// The shapes are pinned by test_fab.cpp ApertureMapping; a board house builds from them, so change them only
// with a test for the new rule.
#include "app/context.hpp"
#include "board/shape.hpp"
#include "fab/model.hpp"
#include "util/text.hpp"

#include <cmath>

namespace fk::fab {

namespace {

using board::tagged;
using board::tagText;

std::string dName(const DfnAperture& a) {
    return std::to_string(a.dcode);
}

GerberAperture standard(const DfnAperture& a, const std::string& shapeAndSizes) {
    return {.macro = {}, .definition = "%ADD" + dName(a) + shapeAndSizes + "*%"};
}

GerberAperture circle(const DfnAperture& a) {
    return standard(a, "C," + inches(a.x));
}

// A macro named after its shape and D-code, its primitives one to a line, the last one closing it.
GerberAperture macro(const DfnAperture& a, const std::string& shape, std::vector<std::string> primitives) {
    const std::string name = shape + dName(a);
    std::vector<std::string> lines{"%AM" + name + "*"};
    for (auto& p : primitives)
        lines.push_back(std::move(p) + "*");
    lines.back() += "%";
    return {.macro = std::move(lines), .definition = "%ADD" + dName(a) + name + "*%"};
}

// Primitive 1, circle: exposure, diameter, centre.
std::string circlePrimitive(bool exposed, Length diameter, Length x = {}, Length y = {}) {
    return std::string("1,") + (exposed ? "1," : "0,") + inches(diameter) + "," + inches(x) + "," + inches(y);
}

// Primitive 21, centre-line rectangle: exposure, width, height, centre, rotation.
std::string rectanglePrimitive(Length width, Length height) {
    return "21,1," + inches(width) + "," + inches(height) + ",0,0,0";
}

// A plane pad with a hole: the outer circle with the hole cleared, so that nothing below shows through.
GerberAperture donut(const DfnAperture& a) {
    return macro(a, "DONUT",
                 {"0 Donut: outer diameter " + inches(a.x) + ", hole " + inches(a.hole),
                  circlePrimitive(true, a.x), circlePrimitive(false, a.hole)});
}

// The corner radius PCB.DFN leaves open: a quarter of the shorter side (docs/limits.md, Fab Export).
GerberAperture roundedRectangle(const DfnAperture& a) {
    const Length r = board::cornerRadiusOf(a.x, a.y);
    const Length cx = a.x / 2 - r, cy = a.y / 2 - r;
    return macro(a, "RRECT",
                 {"0 Rounded rectangle " + inches(a.x) + " x " + inches(a.y) + ", corner radius " + inches(r),
                  rectanglePrimitive(a.x, a.y - 2 * r), rectanglePrimitive(a.x - 2 * r, a.y),
                  circlePrimitive(true, 2 * r, cx, cy), circlePrimitive(true, 2 * r, -cx, cy),
                  circlePrimitive(true, 2 * r, -cx, -cy), circlePrimitive(true, 2 * r, cx, -cy)});
}

// A registration target: a ring of a tenth of its size in width, crossed by two bars as long as the target
// and as wide as the ring (docs/limits.md, Fab Export).
GerberAperture target(const DfnAperture& a) {
    const Length bar = board::targetBarOf(a.x);
    return macro(a, "TARGET",
                 {"0 Target: diameter " + inches(a.x) + ", ring and bars " + inches(bar) + " wide",
                  circlePrimitive(true, a.x), circlePrimitive(false, a.x - 2 * bar),
                  rectanglePrimitive(a.x, bar), rectanglePrimitive(bar, a.x)});
}

// An angle in degrees as the description writes it, without leading zeros ("045" gives "45").
std::optional<std::string> degreesText(std::string_view description) {
    const auto text = tagText(description, "AN");
    if (!text || !milsText(*text))
        return std::nullopt;
    std::string degrees(*text);
    const size_t from = std::min(degrees.find_first_not_of('0'), degrees.size());
    degrees.erase(0, from);
    if (degrees.empty() || degrees[0] == '.')
        degrees.insert(0, "0");
    return degrees;
}

// A thermal relief as its description gives it: a ring of outer and inner diameter, cut by four spokes of
// the spoke width, turned by the angle.
GerberAperture thermal(const DfnAperture& a) {
    const auto od = tagged(a.description, "OD");
    const auto id = tagged(a.description, "ID");
    const auto spoke = tagged(a.description, "SP");
    const auto degrees = degreesText(a.description);
    return macro(a, "THERMAL",
                 {"0 Thermal: outer " + inches(*od) + ", inner " + inches(*id) + ", spokes " +
                      inches(*spoke) + " wide at " + *degrees + " degrees",
                  "7,0,0," + inches(*od) + "," + inches(*id) + "," + inches(*spoke) + "," + *degrees});
}

GerberAperture flashEllipse(const DfnAperture& a) {
    return a.hole == Length() ? circle(a) : donut(a);
}

// An aperture requireExact let through, by its kind.
GerberAperture byKind(const DfnAperture& a) {
    if (a.kind == "FLASH ELLIPSE")
        return flashEllipse(a);
    if (a.kind == "FLASH OVAL")
        return a.x == a.y ? circle(a) : standard(a, "O," + inches(a.x) + "X" + inches(a.y));
    if (a.kind == "FLASH SQRECT")
        return standard(a, "R," + inches(a.x) + "X" + inches(a.y));
    if (a.kind == "FLASH RDRECT")
        return roundedRectangle(a);
    if (a.kind == "FLASH TARGET")
        return target(a);
    if (a.kind == "FLASH THERMAL")
        return thermal(a);
    return circle(a); // a round draw or a mounting hole
}

} // namespace

GerberAperture gerberAperture(const DfnAperture& aperture, const std::string& dfnPath) {
    board::requireExact(aperture, dfnPath, "No file was written; correct PCB.DFN and re-try.");
    return byKind(aperture);
}

std::string inches(Length length) {
    if (length == Length())
        return "0";
    // Whole inches keep one decimal ("1.0"): an aperture's size reads as a decimal.
    const std::string text = util::shortDecimalText(length.toInchDecimals(inchDecimals), inchDecimals);
    return text.find('.') == std::string::npos ? text + ".0" : text;
}

} // namespace fk::fab
