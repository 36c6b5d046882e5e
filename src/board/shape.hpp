// The true shape of each PCB.DFN aperture, as Fab Export draws it and the board check measures it.
#pragma once

#include "board/dfn.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace fk::board {

enum class ShapeKind { Circle, Obround, Rectangle, RoundedRectangle, Target, Donut, Thermal };

// Sizes of one aperture. A draw is a circle dragged along its path.
struct Shape {
    ShapeKind kind = ShapeKind::Circle;
    Length width{}, height{};
    Length corner{};       // a rounded rectangle's corner radius
    Length inner{};        // a donut's hole, a thermal's inner diameter
    Length gap{};          // a thermal's spoke width
    int degrees = 0;       // a thermal's turn
    Length hole{};         // the drill size PCB.DFN states for the pad (0: none)
    bool mounting = false; // FLASH MTHOLE: an unplated hole, its flash the size of the hole
    bool draw = false;     // DRAW ELLIPSE
};

// The sizes PCB.DFN leaves open, decided once for every job that draws (docs/limits.md, Fab Export): a
// rounded rectangle's corner radius is a quarter of its shorter side; a target's ring and bars are a tenth of
// it wide.
inline Length cornerRadiusOf(Length width, Length height) {
    return std::min(width, height) / 4;
}
inline Length targetBarOf(Length size) {
    return size / 10;
}

// The text after a tag of a description ("070" after "OD" in "THERMAL-OD070 ID050"), the tag standing at the
// start, after a blank or after a dash, the text running to the next blank; and that text as mils.
std::optional<std::string_view> tagText(std::string_view description, std::string_view tag);
std::optional<Length> tagged(std::string_view description, std::string_view tag);

// The one rule of which PCB.DFN apertures draw exactly, for every job that draws with them (Fab Export, the
// board check): throws app::JobStop naming PCB.DFN's line and why, `outcome` as its last line.
void requireExact(const DfnAperture& aperture, const std::string& dfnPath, std::string_view outcome);
// The shape of a PCB.DFN aperture that requireExact lets through; throws app::JobStop for the others.
Shape shapeOf(const DfnAperture& aperture, const std::string& dfnPath);

} // namespace fk::board
