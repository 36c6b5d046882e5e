// Aperture macros: their statements, arithmetic and primitives, evaluated into polygons for one aperture.
#pragma once

#include "board/image.hpp"

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fk::board {

struct Macro {
    std::string name;
    std::vector<std::pair<long, std::string>> statements; // (line, text without its '*')
};

// What a macro statement holds that cannot be evaluated: its line and the reason.
struct MacroError : std::runtime_error {
    MacroError(long at, const std::string& what) : std::runtime_error(what), line(at) {}
    long line;
};

// The value of a macro's arithmetic (+ - x / and parentheses over numbers and $n variables). Throws
// MacroError.
double macroValue(std::string_view text, const std::map<int, double>& variables, long line);

// The macro's shape with these parameters, in Length counts; `countsPerUnit` converts the file's unit.
// Throws MacroError.
Polygons macroPolygons(const Macro& macro, const std::vector<double>& parameters, double countsPerUnit);

// A regular polygon of `vertices` corners on a circle of `diameter` (counts), the first at `degrees`.
Polygons regularPolygon(double cx, double cy, double diameter, int vertices, double degrees);

} // namespace fk::board
