// Distances between holes, flashes and draws, and the uniform grid that finds what lies near a point.
// Positions and sizes are Lengths; a distance is computed in doubles of counts and returned as a Length.
#pragma once

#include "board/fabrication.hpp"
#include "board/image.hpp"
#include "board/limits.hpp"
#include "board/plot.hpp"
#include "boardcheck/grid.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace fk::boardcheck {

using board::Point;
using board::Shape;
using util::Length;

// A box of half sizes grown by a radius: exactly a circle, rectangle, rounded rectangle or obround, and the
// outline of a target, donut or thermal (their outer circle).
struct Outline {
    Point centre;
    Length halfX{}, halfY{}, radius{};
};
// A draw: a circle of `radius` dragged from `from` to `to`.
struct Capsule {
    Point from, to;
    Length radius{};
};

Outline outlineOf(const Shape& shape, Point at);
Capsule capsuleOf(const Shape& shape, Point from, Point to);

// Signed distance from a point to the edge: negative inside, by how deep.
Length signedDistance(Point p, const Outline& o);
Length signedDistance(Point p, const Capsule& c);
// The gap between two pieces of copper: 0 or less when they touch.
Length gap(const Outline& a, const Outline& b);
Length gap(const Capsule& c, const Outline& o);
Length distance(Point a, Point b);

// The narrowest copper between a hole's edge and its pad's edge, negative when the hole leaves the pad. A
// donut's and a thermal's own opening counts as drilled.
Length ringWidth(const Shape& shape, Point pad, Point hole, Length holeDiameter);

using board::Box;
Box boxOf(const Outline& o);
Box boxOf(const Capsule& c);
Box grown(Box box, Length by);

} // namespace fk::boardcheck

namespace fk::boardcheck {
struct Finding;
using board::Limits;
// Stacked holes and webs below the minimum among all holes of the board, reported under `drillName`.
void checkHolePairs(const std::vector<board::Hole>& all, const Grid& holes, const Limits& limits,
                    std::vector<Finding>& findings, const std::string& drillName);
} // namespace fk::boardcheck

// The board's copper, built once for every check.
#include "boardcheck/boardcopper.hpp"

namespace fk::boardcheck {
// The readings of each drill file that put more of its holes on copper than its own (a drill-reading finding
// each); a file whose header leaves its format open is read again as the best of them.
std::vector<Finding> settleDrillReadings(board::Fabrication& board, const CopperPoints& copper);
} // namespace fk::boardcheck
