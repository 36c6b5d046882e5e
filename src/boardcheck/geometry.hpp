// Distances between holes, flashes and draws, and the uniform grid that finds what lies near a point.
// Positions and sizes are Lengths; a distance is computed in doubles of counts and returned as a Length.
#pragma once

#include "board/fabrication.hpp"
#include "board/image.hpp"
#include "board/limits.hpp"
#include "board/plot.hpp"

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

// Items by the cells of a uniform grid their boxes cover, in one array: memory grows with the items, not the
// board's area.
class Grid {
  public:
    Grid(const std::vector<Box>& boxes, Length cell);
    // Every item whose box may meet `box`, each once per cell it shares: callers judge by distance.
    template <class Visit> void near(const Box& box, Visit&& visit) const {
        if (items_.empty())
            return;
        for (std::int64_t y = cellY(box.bottom); y <= cellY(box.top); ++y)
            for (std::int64_t x = cellX(box.left); x <= cellX(box.right); ++x) {
                const auto c = static_cast<size_t>(y * columns_ + x);
                for (std::uint32_t k = start_[c]; k < start_[c + 1]; ++k)
                    visit(items_[k]);
            }
    }

  private:
    std::int64_t cellX(Length x) const;
    std::int64_t cellY(Length y) const;
    Length originX_{}, originY_{}, cell_{};
    std::int64_t columns_ = 1, rows_ = 1;
    std::vector<std::uint32_t> start_, items_;
};

} // namespace fk::boardcheck

namespace fk::boardcheck {
struct Finding;
using board::Limits;
// Stacked holes and webs below the minimum among all holes of the board, reported under `drillName`.
void checkHolePairs(const std::vector<board::Hole>& all, const Grid& holes, const Limits& limits,
                    std::vector<Finding>& findings, const std::string& drillName);
} // namespace fk::boardcheck

namespace fk::boardcheck {
// Whether a point lies on the copper of any copper layer that is no plane.
class CopperPoints {
  public:
    explicit CopperPoints(const board::Fabrication& board);
    ~CopperPoints();
    bool holds(Point p) const;

  private:
    struct Layers;
    std::unique_ptr<Layers> layers_;
    friend std::vector<Finding> checkFabrication(const board::Fabrication&, const CopperPoints&,
                                                 const Limits&);
};
// The readings of each drill file that put more of its holes on copper than its own (a drill-reading finding
// each); a file whose header leaves its format open is read again as the best of them.
std::vector<Finding> settleDrillReadings(board::Fabrication& board, const CopperPoints& copper);
} // namespace fk::boardcheck
