// Each PCB.DFN aperture as its shape: the same kinds and derived sizes that Fab Export writes as RS-274-X.
#include "board/shape.hpp"

#include "app/context.hpp"
#include "util/text.hpp"

#include <optional>

namespace fk::board {

namespace {

[[noreturn]] void refuse(const DfnAperture& a, const std::string& dfnPath, const std::string& why) {
    throw app::JobStop{util::lines({"PCB.DFN line " + std::to_string(a.line) + " defines D" +
                                        std::to_string(a.dcode) + ", which " + why + ":",
                                    util::angled(dfnPath), a.text, "Correct PCB.DFN and re-try."})};
}

Shape thermal(const DfnAperture& a, const std::string& dfnPath) {
    const auto od = tagged(a.description, "OD"), id = tagged(a.description, "ID");
    const auto spoke = tagged(a.description, "SP"), turn = tagged(a.description, "AN");
    if (!od || !id || !spoke || !turn || *od != a.x || *id >= *od)
        refuse(a, dfnPath, "is a thermal without OD (its size), a smaller ID, SP and AN");
    return {.kind = ShapeKind::Thermal,
            .width = a.x,
            .height = a.x,
            .inner = *id,
            .gap = *spoke,
            .degrees = static_cast<int>(turn->toMilDecimals(0))};
}

Shape flash(const DfnAperture& a, const std::string& dfnPath) {
    const bool round = a.x == a.y;
    Shape s{.width = a.x, .height = a.y, .hole = a.hole};
    if (a.kind == "FLASH ELLIPSE" && round && a.hole > Length()) {
        s.kind = ShapeKind::Donut, s.inner = a.hole, s.hole = {};
    } else if ((a.kind == "FLASH ELLIPSE" || a.kind == "FLASH OVAL") && round) {
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
    } else if (a.kind == "FLASH THERMAL") {
        return thermal(a, dfnPath);
    } else {
        refuse(a, dfnPath, "has no shape a board house draws exactly");
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

Shape shapeOf(const DfnAperture& a, const std::string& dfnPath) {
    if (a.x <= Length() || a.y <= Length())
        refuse(a, dfnPath, "has a size of 0");
    if (a.kind == "DRAW ELLIPSE") {
        if (a.x != a.y)
            refuse(a, dfnPath, "draws with an ellipse of unequal sizes");
        return {.kind = ShapeKind::Circle, .width = a.x, .height = a.x, .draw = true};
    }
    if (a.kind == "FLASH ELLIPSE" && a.x != a.y)
        refuse(a, dfnPath, "is an ellipse of unequal sizes");
    return flash(a, dfnPath);
}

} // namespace fk::board
