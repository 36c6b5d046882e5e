// Apertures of a Gerber file: the standard templates (circle, rectangle, obround, polygon, each with an
// optional hole) and aperture macros, each shape made once when its aperture is defined.
#include "board/gerberreader.hpp"

#include <cmath>

namespace fk::board {

namespace {

Polygons rectanglePolygon(Length w, Length h) {
    const auto x = (w / 2).count(), y = (h / 2).count();
    return {{{-x, -y}, {x, -y}, {x, y}, {-x, y}}};
}

Polygons obroundPolygon(Length w, Length h) {
    if (w == h)
        return circlePolygon({}, w / 2);
    const bool wide = w > h;
    const Length r = (wide ? h : w) / 2, reach = (wide ? w : h) / 2 - r;
    const Point a = wide ? Point{-reach, {}} : Point{{}, -reach};
    const Point b = wide ? Point{reach, {}} : Point{{}, reach};
    return strokePolygon(a, b, r);
}

} // namespace

void GerberReader::apertureDefinition(std::string_view p) {
    const auto read = rs274x::readApertureDefinition(p);
    if (!read.value)
        fail("%" + std::string(p) + "%", std::string(read.expected));
    Aperture a = standardAperture(p, *read.value);
    a.function = function_;
    a.line = wordLine_;
    a.points = pointsOf(a.shape);
    apertures_[read.value->number] = std::move(a);
}

Aperture GerberReader::standardAperture(std::string_view p, const rs274x::ApertureDefinition& d) {
    const std::string found = "%" + std::string(p) + "%";
    const auto& params = d.parameters;
    const auto length = [&](std::size_t k) { return unitLength(params[k], found); };
    const auto count = [&](std::size_t low, std::size_t high) {
        if (params.size() < low || params.size() > high)
            fail(found, "an aperture of " + std::to_string(low) + " to " + std::to_string(high) + " sizes");
    };
    Aperture a;
    // The hole of a standard aperture: one size for a round hole, two (the deprecated form older tools
    // write, as Fritzing's legends hold) for a rectangular one.
    std::optional<Length> hole, holeHeight;
    const auto holeFrom = [&](std::size_t k) {
        if (params.size() > k)
            hole = length(k);
        if (params.size() > k + 1)
            holeHeight = length(k + 1);
    };
    if (d.name == "C") {
        count(1, 3);
        a.radius = length(0) / 2;
        if (a.radius < Length())
            fail(found, "a diameter of 0 or more");
        a.shape = circlePolygon({}, a.radius);
        holeFrom(1);
        a.round = !hole;
    } else if (d.name == "R" || d.name == "O") {
        count(2, 4);
        const Length w = length(0), h = length(1);
        if (w <= Length() || h <= Length())
            fail(found, "a width and a height above 0");
        holeFrom(2);
        a.shape = d.name == "R" ? rectanglePolygon(w, h) : obroundPolygon(w, h);
        a.convex = true;
    } else if (d.name == "P") {
        count(2, 5);
        const Length diameter = length(0);
        const double vertices = unitValue(params[1], found);
        if (diameter <= Length() || vertices < 3 || vertices > 12 || vertices != std::floor(vertices))
            fail(found, "a diameter above 0 and 3 to 12 vertices");
        const double degrees = params.size() > 2 ? unitValue(params[2], found) : 0;
        holeFrom(3);
        a.shape = regularPolygon(0, 0, double(diameter.count()), int(vertices), degrees);
        a.convex = true;
    } else {
        const auto macro = macros_.find(d.name);
        if (macro == macros_.end())
            fail(found, "a standard aperture (C, R, O, P) or a macro defined before it");
        std::vector<double> values;
        for (const auto& parameter : params)
            values.push_back(unitValue(parameter, found));
        if (!units_)
            fail("a macro aperture before the unit", "%MOIN% or %MOMM% before the first aperture");
        auto key = std::pair{std::string(d.name), std::move(values)};
        auto shape = macroShapes_.find(key);
        if (shape == macroShapes_.end())
            shape =
                macroShapes_.emplace(key, macroPolygons(macro->second, key.second, double(*units_))).first;
        a.shape = shape->second;
    }
    if (hole) {
        if (*hole <= Length() || (holeHeight && *holeHeight <= Length()))
            fail(found, "a hole above 0");
        const Polygons cut = holeHeight ? rectanglePolygon(*hole, *holeHeight) : circlePolygon({}, *hole / 2);
        a.shape = combined(a.shape, cut, ClipperLib::ctDifference);
        a.convex = false;
    }
    return a;
}

// %AM: a macro of this name from here on, its primitives the statements of its block.
void GerberReader::macroDefinition(std::string_view p) {
    const std::string_view name = rs274x::macroName(p);
    auto [at, _] = macros_.insert_or_assign(std::string(name), Macro{std::string(name), {}});
    macro_ = &at->second;
    std::erase_if(macroShapes_, [&](const auto& entry) { return entry.first.first == name; });
}

void GerberReader::macroPrimitive(const rs274x::Statement& s) {
    if (!macro_)
        fail(s.text, "a primitive inside an aperture macro's block");
    if (macro_->statements.size() >= budgets_.macroPrimitives)
        fail("primitive " + std::to_string(macro_->statements.size() + 1) + " of the aperture macro " +
                 macro_->name,
             "at most " + std::to_string(budgets_.macroPrimitives) + " primitives in one aperture macro");
    macro_->statements.emplace_back(s.line, std::string(s.text));
}

} // namespace fk::board
