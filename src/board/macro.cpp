// Evaluates aperture macros: variables and arithmetic in double, each primitive as polygons, exposure on
// added and exposure off removed in statement order (each run of one exposure united at once), rotation
// about the macro's origin.
#include "board/macro.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <numbers>

namespace fk::board {

namespace {

using ClipperLib::IntPoint;
using ClipperLib::Path;

std::vector<std::string_view> fieldsOf(std::string_view statement) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t i = 0; i <= statement.size(); ++i) {
        if (i == statement.size() || statement[i] == ',') {
            fields.push_back(statement.substr(start, i - start));
            start = i + 1;
        }
    }
    return fields;
}

IntPoint rotated(double x, double y, double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    const double c = std::cos(a), s = std::sin(a);
    return {ClipperLib::cInt(std::llround(x * c - y * s)), ClipperLib::cInt(std::llround(x * s + y * c))};
}

Path rectangle(double cx, double cy, double width, double height, double degrees) {
    const double w = std::abs(width) / 2, h = std::abs(height) / 2;
    return {rotated(cx - w, cy - h, degrees), rotated(cx + w, cy - h, degrees),
            rotated(cx + w, cy + h, degrees), rotated(cx - w, cy + h, degrees)};
}

Polygons rotatedCircle(double cx, double cy, double diameter, double degrees) {
    const IntPoint c = rotated(cx, cy, degrees);
    return circlePolygon({Length::fromCount(c.X), Length::fromCount(c.Y)},
                         Length::fromCount(std::llround(diameter / 2)));
}

// Each path turned counter-clockwise, so that a union of them fills each one.
Polygons filled(Polygons paths) {
    for (auto& p : paths) {
        if (!ClipperLib::Orientation(p))
            ClipperLib::ReversePath(p);
    }
    return paths;
}

struct Primitive {
    bool on = true;
    Polygons shape;
};

// Whether parameter `i` of a primitive is a size or place: counts (vertices, points, rings), exposures and
// rotations are not, and are checked on their own.
bool isLength(int code, std::size_t i, std::size_t count) {
    switch (code) {
    case 1:
        return i >= 1 && i <= 3;
    case 2:
    case 20:
        return i >= 1 && i <= 5;
    case 21:
    case 22:
        return i >= 1 && i <= 4;
    case 4:
        return i >= 2 && i + 1 < count;
    case 5:
        return i >= 2 && i <= 4;
    case 6:
        return i <= 4 || i == 6 || i == 7;
    case 7:
        return i <= 4;
    default:
        return false;
    }
}

Primitive primitiveOf(int code, const std::vector<double>& v, double unit, long line) {
    // Sizes and places within a metre: far beyond any aperture, and what keeps the polygons in range.
    for (std::size_t i = 0; i < v.size(); ++i)
        if (isLength(code, i, v.size()) && !(std::abs(v[i] * unit) <= 1e11))
            throw MacroError(line, "sizes within 1 m in primitive " + std::to_string(code));
    if (code == 6 && v.size() > 5 && !(v[5] >= 0 && v[5] <= 100))
        throw MacroError(line, "at most 100 rings in primitive 6");
    const auto need = [&](size_t count) {
        if (v.size() < count)
            throw MacroError(line, "primitive " + std::to_string(code) + " needs " + std::to_string(count) +
                                       " parameters, found " + std::to_string(v.size()));
    };
    const auto exposure = [&](double e) {
        if (e != 0 && e != 1)
            throw MacroError(line, "exposure 0 or 1, found " + std::to_string(e));
        return e == 1;
    };
    switch (code) {
    case 1: // circle: exposure, diameter, centre x, y[, rotation]
        need(4);
        return {exposure(v[0]),
                rotatedCircle(v[2] * unit, v[3] * unit, v[1] * unit, v.size() > 4 ? v[4] : 0)};
    case 2:
    case 20: { // vector line: exposure, width, start x, y, end x, y, rotation
        need(7);
        const double dx = v[4] - v[2], dy = v[5] - v[3], length = std::hypot(dx, dy);
        if (length == 0)
            return {exposure(v[0]), {}};
        const double nx = -dy / length * v[1] / 2 * unit, ny = dx / length * v[1] / 2 * unit;
        const double sx = v[2] * unit, sy = v[3] * unit, ex = v[4] * unit, ey = v[5] * unit;
        return {exposure(v[0]), filled({{rotated(sx + nx, sy + ny, v[6]), rotated(sx - nx, sy - ny, v[6]),
                                         rotated(ex - nx, ey - ny, v[6]), rotated(ex + nx, ey + ny, v[6])}})};
    }
    case 21: // centre line: exposure, width, height, centre x, y, rotation
        need(6);
        return {exposure(v[0]), {rectangle(v[3] * unit, v[4] * unit, v[1] * unit, v[2] * unit, v[5])}};
    case 22: // lower-left line: exposure, width, height, lower-left x, y, rotation
        need(6);
        return {
            exposure(v[0]),
            {rectangle((v[3] + v[1] / 2) * unit, (v[4] + v[2] / 2) * unit, v[1] * unit, v[2] * unit, v[5])}};
    case 4: { // outline: exposure, points, x0, y0, ..., xn, yn, rotation
        need(2);
        if (!(v[1] >= 1 && v[1] <= 100000))
            throw MacroError(line, "an outline of 1 to 100000 points");
        const int n = int(v[1]);
        if (double(n) != v[1] || v.size() != size_t(2 * n + 5))
            throw MacroError(line, "an outline of " + std::to_string(v[1]) + " points with " +
                                       std::to_string(2 * std::max(n, 0) + 5) + " parameters, found " +
                                       std::to_string(v.size()));
        Path path;
        for (int i = 0; i <= n; ++i)
            path.push_back(rotated(v[size_t(2 + 2 * i)] * unit, v[size_t(3 + 2 * i)] * unit, v.back()));
        Polygons simple;
        ClipperLib::SimplifyPolygon(path, simple, ClipperLib::pftNonZero);
        return {exposure(v[0]), filled(simple)};
    }
    case 5: { // polygon: exposure, vertices, centre x, y, diameter, rotation
        need(6);
        if (!(v[1] >= 3 && v[1] <= 12) || v[1] != std::floor(v[1]))
            throw MacroError(line, "a polygon of 3 to 12 vertices, found " + std::to_string(v[1]));
        const int n = int(v[1]);
        if (double(n) != v[1])
            throw MacroError(line, "a polygon of 3 to 12 vertices, found " + std::to_string(v[1]));
        Polygons shape = regularPolygon(0, 0, v[4] * unit, n, 0);
        for (auto& p : shape[0])
            p = rotated(double(p.X) + v[2] * unit, double(p.Y) + v[3] * unit, v[5]);
        return {exposure(v[0]), shape};
    }
    case 6: { // moiré: centre x, y, outer diameter, ring thickness, gap, rings, cross thickness, length,
              // rotation
        need(9);
        Polygons rings;
        double outer = v[2];
        for (int i = 0; i < int(v[5]) && outer > 0; ++i) {
            const double inner = outer - 2 * v[3];
            Polygons ring = rotatedCircle(v[0] * unit, v[1] * unit, outer * unit, v[8]);
            if (inner > 0)
                ring = combined(ring, rotatedCircle(v[0] * unit, v[1] * unit, inner * unit, v[8]),
                                ClipperLib::ctDifference);
            rings = combined(rings, ring, ClipperLib::ctUnion);
            outer = inner - 2 * v[4];
        }
        const Polygons cross{rectangle(v[0] * unit, v[1] * unit, v[7] * unit, v[6] * unit, v[8]),
                             rectangle(v[0] * unit, v[1] * unit, v[6] * unit, v[7] * unit, v[8])};
        return {true, combined(rings, cross, ClipperLib::ctUnion)};
    }
    case 7: { // thermal: centre x, y, outer diameter, inner diameter, gap, rotation
        need(6);
        if (!(v[3] > 0 && v[2] > v[3] && v[4] < v[2] / std::sqrt(2.0)))
            throw MacroError(line, "a thermal whose inner diameter lies between 0 and its outer one");
        Polygons ring =
            combined(rotatedCircle(v[0] * unit, v[1] * unit, v[2] * unit, v[5]),
                     rotatedCircle(v[0] * unit, v[1] * unit, v[3] * unit, v[5]), ClipperLib::ctDifference);
        const Polygons gaps{rectangle(v[0] * unit, v[1] * unit, v[2] * unit * 1.01, v[4] * unit, v[5]),
                            rectangle(v[0] * unit, v[1] * unit, v[4] * unit, v[2] * unit * 1.01, v[5])};
        return {true, combined(ring, gaps, ClipperLib::ctDifference)};
    }
    default:
        throw MacroError(line,
                         "a primitive code (1, 2, 4, 5, 6, 7, 20, 21, 22), found " + std::to_string(code));
    }
}

} // namespace

Polygons regularPolygon(double cx, double cy, double diameter, int vertices, double degrees) {
    Path path;
    for (int i = 0; i < vertices; ++i) {
        const double a = (degrees + 360.0 * i / vertices) * std::numbers::pi / 180;
        path.push_back({ClipperLib::cInt(std::llround(cx + diameter / 2 * std::cos(a))),
                        ClipperLib::cInt(std::llround(cy + diameter / 2 * std::sin(a)))});
    }
    return {path};
}

Polygons macroPolygons(const Macro& macro, const std::vector<double>& parameters, double countsPerUnit) {
    std::map<int, double> variables;
    for (size_t i = 0; i < parameters.size(); ++i)
        variables[int(i + 1)] = parameters[i];
    // Primitives of one exposure in a row are gathered and united with the shape at once: one union a
    // primitive would grow with the square of the primitives.
    Polygons shape, run;
    bool runOn = true;
    const auto flush = [&] {
        if (!run.empty())
            shape = combined(shape, run, runOn ? ClipperLib::ctUnion : ClipperLib::ctDifference);
        run.clear();
    };
    for (const auto& [line, statement] : macro.statements) {
        std::string text;
        for (char c : statement) {
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                text.push_back(c);
        }
        if (text.empty() || text[0] == '0')
            continue; // a comment
        if (text[0] == '$') {
            const size_t eq = text.find('=');
            if (eq == std::string::npos)
                throw MacroError(line, "'=' in the variable definition '" + text.substr(0, 72) + "'");
            const int n = std::atoi(text.substr(1, std::min<size_t>(eq - 1, 6)).c_str());
            variables[n] = macroValue(std::string_view(text).substr(eq + 1), variables, line);
            continue;
        }
        const auto fields = fieldsOf(text);
        std::vector<double> values;
        for (size_t i = 1; i < fields.size(); ++i)
            values.push_back(macroValue(fields[i], variables, line));
        const double code = macroValue(fields[0], variables, line);
        if (!(code >= 0 && code <= 99) || code != std::floor(code))
            throw MacroError(line, "a primitive code (1, 2, 4, 5, 6, 7, 20, 21, 22)");
        Primitive p = primitiveOf(int(code), values, countsPerUnit, line);
        if (p.on != runOn)
            flush();
        runOn = p.on;
        run.insert(run.end(), std::make_move_iterator(p.shape.begin()),
                   std::make_move_iterator(p.shape.end()));
    }
    flush();
    return shape;
}

} // namespace fk::board
