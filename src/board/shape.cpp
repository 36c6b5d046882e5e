// Each PCB.DFN aperture as its shape: the same kinds and derived sizes that Fab Export writes as RS-274-X.
#include "board/shape.hpp"

#include "app/context.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

namespace fk::board {

namespace {

[[noreturn]] void refuse(const DfnAperture& a, const std::string& dfnPath, const std::string& why,
                         std::string_view outcome) {
    throw app::JobStop{util::lines({"PCB.DFN line " + std::to_string(a.line) + " defines D" +
                                        std::to_string(a.dcode) + ", which " + why + ":",
                                    util::angled(dfnPath), a.text, outcome})};
}

void requireRound(const DfnAperture& a, const std::string& dfnPath, std::string_view outcome) {
    if (a.x != a.y)
        refuse(a, dfnPath, "is an ellipse of unequal sizes, which no Gerber aperture draws exactly", outcome);
}

// A donut's description, where it states sizes, must agree with them (an edited plane table may not).
void requireDescribedDonut(const DfnAperture& a, const std::string& dfnPath, std::string_view outcome) {
    const auto od = tagged(a.description, "OD");
    const auto id = tagged(a.description, "ID");
    if ((od && *od != a.x) || (id && *id != a.hole))
        refuse(a, dfnPath, "is a donut whose description's OD or ID differs from its sizes", outcome);
    if (a.hole >= a.x)
        refuse(a, dfnPath, "is a donut whose hole is as large as the pad", outcome);
}

// A thermal relief as its description gives it: a ring of outer and inner diameter, cut by four spokes.
void requireThermal(const DfnAperture& a, const std::string& dfnPath, std::string_view outcome) {
    const auto od = tagged(a.description, "OD"), id = tagged(a.description, "ID");
    const auto spoke = tagged(a.description, "SP"), turn = tagged(a.description, "AN");
    if (!od || !id || !spoke || !turn)
        refuse(a, dfnPath, "is a thermal whose description gives no OD, ID, SP and AN", outcome);
    if (*od != a.x || *od != a.y)
        refuse(a, dfnPath, "is a thermal whose description's OD differs from its sizes", outcome);
    // Primitive 7 needs a gap narrower than the outer diameter over the square root of two; weighed in
    // nano-inches, which a size in mils always is.
    const auto nanoInches = [](Length l) { return static_cast<double>(l.toInchDecimals(9)); };
    if (*id >= *od || *spoke == Length() || nanoInches(*spoke) * std::sqrt(2.0) >= nanoInches(*od))
        refuse(a, dfnPath, "is a thermal whose ring or spokes no thermal primitive draws", outcome);
}

Shape flash(const DfnAperture& a) {
    Shape s{.width = a.x, .height = a.y, .hole = a.hole};
    if (a.kind == "FLASH ELLIPSE" && a.hole > Length()) {
        s.kind = ShapeKind::Donut, s.inner = a.hole, s.hole = {};
    } else if (a.kind == "FLASH ELLIPSE" || (a.kind == "FLASH OVAL" && a.x == a.y)) {
        s.kind = ShapeKind::Circle;
    } else if (a.kind == "FLASH OVAL") {
        s.kind = ShapeKind::Obround;
    } else if (a.kind == "FLASH SQRECT") {
        s.kind = ShapeKind::Rectangle;
    } else if (a.kind == "FLASH RDRECT") {
        s.kind = ShapeKind::RoundedRectangle, s.corner = cornerRadiusOf(a.x, a.y);
    } else if (a.kind == "FLASH TARGET") {
        s.kind = ShapeKind::Target;
    } else if (a.kind == "FLASH MTHOLE") {
        s.kind = ShapeKind::Circle, s.mounting = true, s.hole = a.x;
    } else { // FLASH THERMAL, the only kind left that requireExact lets through
        s.kind = ShapeKind::Thermal, s.inner = *tagged(a.description, "ID");
        s.gap = *tagged(a.description, "SP");
        s.degrees = static_cast<int>(tagged(a.description, "AN")->toMilDecimals(0));
    }
    return s;
}

} // namespace

std::optional<std::string_view> tagText(std::string_view description, std::string_view tag) {
    for (size_t at = description.find(tag); at != std::string::npos; at = description.find(tag, at + 1)) {
        if (at > 0 && description[at - 1] != ' ' && description[at - 1] != '-')
            continue;
        const size_t from = at + tag.size();
        const size_t end = description.find(' ', from);
        return description.substr(from, end == std::string_view::npos ? end : end - from);
    }
    return std::nullopt;
}

std::optional<Length> tagged(std::string_view description, std::string_view tag) {
    const auto text = tagText(description, tag);
    return text ? milsText(*text) : std::nullopt;
}

void requireExact(const DfnAperture& a, const std::string& dfnPath, std::string_view outcome) {
    if (a.x == Length() || a.y == Length())
        refuse(a, dfnPath, "has no size", outcome);
    if (a.hole != Length() && a.kind != "FLASH ELLIPSE")
        refuse(a, dfnPath, "has a hole, which only a round flash (a donut) can have", outcome);
    if (a.kind == "FLASH ELLIPSE" || a.kind == "DRAW ELLIPSE" || a.kind == "FLASH MTHOLE" ||
        a.kind == "FLASH TARGET")
        requireRound(a, dfnPath, outcome);
    if (a.kind == "FLASH ELLIPSE" && a.hole != Length())
        requireDescribedDonut(a, dfnPath, outcome);
    if (a.kind == "FLASH THERMAL")
        requireThermal(a, dfnPath, outcome);
    static constexpr std::string_view kinds[] = {"FLASH ELLIPSE", "DRAW ELLIPSE", "FLASH MTHOLE",
                                                 "FLASH OVAL",    "FLASH SQRECT", "FLASH RDRECT",
                                                 "FLASH TARGET",  "FLASH THERMAL"};
    if (std::find(std::begin(kinds), std::end(kinds), a.kind) == std::end(kinds))
        refuse(a, dfnPath, "is of a kind no Gerber aperture is known for", outcome);
}

Shape shapeOf(const DfnAperture& a, const std::string& dfnPath) {
    requireExact(a, dfnPath, "Correct PCB.DFN and re-try.");
    if (a.kind == "DRAW ELLIPSE")
        return {.kind = ShapeKind::Circle, .width = a.x, .height = a.x, .draw = true};
    return flash(a);
}

} // namespace fk::board
