// Signed distances of the shapes every aperture draws, and the grid that keeps the checks near linear.
#include "boardcheck/geometry.hpp"

#include <algorithm>
#include <cmath>

namespace fk::boardcheck {

namespace {

double counts(Length l) {
    return static_cast<double>(l.count());
}

Length ofCounts(double c) {
    return Length::fromCount(static_cast<Length::Count>(std::llround(c)));
}

// Distance from a point to a segment, in counts.
double segmentDistance(double px, double py, Point a, Point b) {
    const double ax = counts(a.x), ay = counts(a.y), dx = counts(b.x) - ax, dy = counts(b.y) - ay;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

// Distance from a point to a box of half sizes (0 inside), in counts.
double boxDistance(double px, double py, const Outline& o) {
    const double qx = std::abs(px - counts(o.centre.x)) - counts(o.halfX);
    const double qy = std::abs(py - counts(o.centre.y)) - counts(o.halfY);
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
}

bool segmentsCross(Point a, Point b, Point c, Point d) {
    auto side = [](Point p, Point q, Point r) {
        const double v = (counts(q.x) - counts(p.x)) * (counts(r.y) - counts(p.y)) -
                         (counts(q.y) - counts(p.y)) * (counts(r.x) - counts(p.x));
        return (v > 0) - (v < 0);
    };
    return side(a, b, c) * side(a, b, d) < 0 && side(c, d, a) * side(c, d, b) < 0;
}

} // namespace

Outline outlineOf(const Shape& s, Point at) {
    using board::ShapeKind;
    switch (s.kind) {
    case ShapeKind::Rectangle:
        return {at, s.width / 2, s.height / 2, {}};
    case ShapeKind::RoundedRectangle:
        return {at, s.width / 2 - s.corner, s.height / 2 - s.corner, s.corner};
    case ShapeKind::Obround:
        if (s.height > s.width)
            return {at, {}, (s.height - s.width) / 2, s.width / 2};
        return {at, (s.width - s.height) / 2, {}, s.height / 2};
    default:
        return {at, {}, {}, s.width / 2};
    }
}

Capsule capsuleOf(const Shape& s, Point from, Point to) {
    return {from, to, s.width / 2};
}

Length signedDistance(Point p, const Outline& o) {
    const double qx = std::abs(counts(p.x) - counts(o.centre.x)) - counts(o.halfX);
    const double qy = std::abs(counts(p.y) - counts(o.centre.y)) - counts(o.halfY);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return ofCounts(outside + std::min(std::max(qx, qy), 0.0)) - o.radius;
}

Length signedDistance(Point p, const Capsule& c) {
    return ofCounts(segmentDistance(counts(p.x), counts(p.y), c.from, c.to)) - c.radius;
}

Length gap(const Outline& a, const Outline& b) {
    const double dx = std::abs(counts(a.centre.x) - counts(b.centre.x)) - counts(a.halfX) - counts(b.halfX);
    const double dy = std::abs(counts(a.centre.y) - counts(b.centre.y)) - counts(a.halfY) - counts(b.halfY);
    return ofCounts(std::hypot(std::max(dx, 0.0), std::max(dy, 0.0))) - a.radius - b.radius;
}

// The segment meets the box, or the nearest pair is an end of the segment or a corner of the box.
Length gap(const Capsule& c, const Outline& o) {
    const Point corners[] = {{o.centre.x - o.halfX, o.centre.y - o.halfY},
                             {o.centre.x + o.halfX, o.centre.y - o.halfY},
                             {o.centre.x + o.halfX, o.centre.y + o.halfY},
                             {o.centre.x - o.halfX, o.centre.y + o.halfY}};
    double nearest = std::min(boxDistance(counts(c.from.x), counts(c.from.y), o),
                              boxDistance(counts(c.to.x), counts(c.to.y), o));
    for (int i = 0; i < 4; ++i) {
        nearest =
            std::min(nearest, segmentDistance(counts(corners[i].x), counts(corners[i].y), c.from, c.to));
        if (segmentsCross(c.from, c.to, corners[i], corners[(i + 1) % 4]))
            nearest = 0;
    }
    return ofCounts(nearest) - c.radius - o.radius;
}

Length distance(Point a, Point b) {
    return ofCounts(std::hypot(counts(a.x) - counts(b.x), counts(a.y) - counts(b.y)));
}

Length ringWidth(const Shape& s, Point pad, Point hole, Length holeDiameter) {
    const Length depth = -signedDistance(hole, outlineOf(s, pad));
    const bool opened = s.kind == board::ShapeKind::Donut || s.kind == board::ShapeKind::Thermal;
    return depth - std::max(holeDiameter / 2, opened ? s.inner / 2 : Length());
}

Box boxOf(const Outline& o) {
    const Length x = o.halfX + o.radius, y = o.halfY + o.radius;
    return {o.centre.x - x, o.centre.y - y, o.centre.x + x, o.centre.y + y};
}

Box boxOf(const Capsule& c) {
    return {std::min(c.from.x, c.to.x) - c.radius, std::min(c.from.y, c.to.y) - c.radius,
            std::max(c.from.x, c.to.x) + c.radius, std::max(c.from.y, c.to.y) + c.radius};
}

Box grown(Box b, Length by) {
    return {b.left - by, b.bottom - by, b.right + by, b.top + by};
}

} // namespace fk::boardcheck

namespace fk::boardcheck {

// At most about two cells per item (and at least 1024 cells): bounded memory for any board size.
Grid::Grid(const std::vector<Box>& boxes, Length cell)
    : cell_(std::max(cell, Length::fromMilDecimals(1, 0))) {
    if (boxes.empty()) {
        start_.assign(2, 0);
        return;
    }
    Box all = boxes.front();
    for (const auto& b : boxes)
        all = {std::min(all.left, b.left), std::min(all.bottom, b.bottom), std::max(all.right, b.right),
               std::max(all.top, b.top)};
    originX_ = all.left, originY_ = all.bottom;
    const double width = counts(all.right - all.left) + 1, height = counts(all.top - all.bottom) + 1;
    const double cells = std::max(1024.0, 2.0 * static_cast<double>(boxes.size()));
    cell_ = std::max(cell_, ofCounts(std::ceil(std::sqrt(width * height / cells))));
    // A long thin board (or one far-off hole) would still make many cells: coarser until the count fits.
    do {
        columns_ = (all.right - originX_).count() / cell_.count() + 1;
        rows_ = (all.top - originY_).count() / cell_.count() + 1;
        if (static_cast<double>(columns_) * static_cast<double>(rows_) > 4 * cells)
            cell_ = cell_ * 2;
        else
            break;
    } while (true);
    start_.assign(static_cast<size_t>(columns_ * rows_ + 1), 0);
    auto eachCell = [&](const Box& b, auto&& f) {
        for (std::int64_t y = cellY(b.bottom); y <= cellY(b.top); ++y)
            for (std::int64_t x = cellX(b.left); x <= cellX(b.right); ++x)
                f(static_cast<size_t>(y * columns_ + x));
    };
    for (const auto& b : boxes)
        eachCell(b, [&](size_t c) { ++start_[c + 1]; });
    for (size_t c = 1; c < start_.size(); ++c)
        start_[c] += start_[c - 1];
    items_.resize(start_.back());
    std::vector<std::uint32_t> fill(start_.begin(), start_.end() - 1);
    for (std::uint32_t i = 0; i < boxes.size(); ++i)
        eachCell(boxes[i], [&](size_t c) { items_[fill[c]++] = i; });
}

std::int64_t Grid::cellX(Length x) const {
    return std::clamp<std::int64_t>((x - originX_).count() / cell_.count(), 0, columns_ - 1);
}

std::int64_t Grid::cellY(Length y) const {
    return std::clamp<std::int64_t>((y - originY_).count() / cell_.count(), 0, rows_ - 1);
}

} // namespace fk::boardcheck
