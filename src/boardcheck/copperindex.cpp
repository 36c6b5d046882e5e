// The copper layer's index: items in a grid, long paths cut into pieces with Clipper, and the measures of an
// object near a point.
#include "boardcheck/copperindex.hpp"

#include <algorithm>
#include <cmath>

namespace fk::boardcheck {

namespace {

using board::Object;
using board::ObjectKind;

// Paths longer than this are cut into pieces no wider than pieceSize, so that a hole's neighbourhood takes
// only the pieces near it.
constexpr size_t pieceVertices = 200;
const Length pieceSize = mils(250);

board::Box boundsOf(const ClipperLib::Path& path) {
    board::Box box = board::Box::nothing();
    for (const auto& p : path) {
        const Length x = Length::fromCount(p.X), y = Length::fromCount(p.Y);
        box.include({x, y, x, y});
    }
    return box;
}

board::Box boundsOf(const Polygons& polygons) {
    board::Box box = board::Box::nothing();
    for (const auto& path : polygons)
        box.include(boundsOf(path));
    return box;
}

size_t verticesOf(const Polygons& polygons) {
    size_t n = 0;
    for (const auto& p : polygons)
        n += p.size();
    return n;
}

} // namespace

Polygons clipped(const Polygons& polygons, const board::Box& box) {
    const ClipperLib::Path rect{{box.left.count(), box.bottom.count()},
                                {box.right.count(), box.bottom.count()},
                                {box.right.count(), box.top.count()},
                                {box.left.count(), box.top.count()}};
    ClipperLib::Clipper clipper;
    clipper.AddPaths(polygons, ClipperLib::ptSubject, true);
    clipper.AddPath(rect, ClipperLib::ptClip, true);
    Polygons out;
    clipper.Execute(ClipperLib::ctIntersection, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return out;
}

namespace {

bool crosses(const Segment& a, const Segment& b) {
    const auto side = [](double ax, double ay, double bx, double by, double px, double py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    const double d1 = side(a.ax, a.ay, a.bx, a.by, b.ax, b.ay), d2 = side(a.ax, a.ay, a.bx, a.by, b.bx, b.by);
    const double d3 = side(b.ax, b.ay, b.bx, b.by, a.ax, a.ay), d4 = side(b.ax, b.ay, b.bx, b.by, a.bx, a.by);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != 0 && d2 != 0 && d3 != 0 && d4 != 0;
}

double squared(double dx, double dy) {
    return dx * dx + dy * dy;
}

// Squared distances: compared among themselves, the root taken once for the least.
double pointSegmentSquared(double px, double py, const Segment& s) {
    const double dx = s.bx - s.ax, dy = s.by - s.ay, len = dx * dx + dy * dy;
    double t = len > 0 ? ((px - s.ax) * dx + (py - s.ay) * dy) / len : 0;
    t = std::clamp(t, 0.0, 1.0);
    return squared(px - (s.ax + t * dx), py - (s.ay + t * dy));
}

double segmentSquared(const Segment& a, const Segment& b) {
    if (crosses(a, b))
        return 0;
    return std::min({pointSegmentSquared(a.ax, a.ay, b), pointSegmentSquared(a.bx, a.by, b),
                     pointSegmentSquared(b.ax, b.ay, a), pointSegmentSquared(b.bx, b.by, a)});
}

Segment segmentOf(const Object& o) {
    return {double(o.from.x.count()), double(o.from.y.count()), double(o.to.x.count()),
            double(o.to.y.count())};
}

} // namespace

double pointSegment(double px, double py, const Segment& s) {
    return std::sqrt(pointSegmentSquared(px, py, s));
}

double pathDistance(const ClipperLib::Path& path, const Segment& s) {
    const double left = std::min(s.ax, s.bx), right = std::max(s.ax, s.bx);
    const double bottom = std::min(s.ay, s.by), top = std::max(s.ay, s.by);
    const bool point = s.ax == s.bx && s.ay == s.by; // a round hole's centre
    // The nearest corner bounds the distance from above, so that most edges are passed over by their box.
    double least = INFINITY;
    for (const auto& p : path)
        least = std::min(least, pointSegmentSquared(double(p.X), double(p.Y), s));
    for (size_t i = 0; i < path.size(); ++i) {
        const auto& p = path[i];
        const auto& q = path[(i + 1) % path.size()];
        const double px = double(p.X), py = double(p.Y), qx = double(q.X), qy = double(q.Y);
        // An edge whose box lies no nearer than the least so far cannot be nearer itself.
        const double gx = std::max({0.0, std::min(px, qx) - right, left - std::max(px, qx)});
        const double gy = std::max({0.0, std::min(py, qy) - top, bottom - std::max(py, qy)});
        if (squared(gx, gy) >= least)
            continue;
        const Segment edge{px, py, qx, qy};
        least = std::min(least, point ? pointSegmentSquared(s.ax, s.ay, edge) : segmentSquared(edge, s));
    }
    return std::sqrt(least);
}

LayerIndex::LayerIndex(const board::BoardLayer& layer) : layer_(layer) {
    for (const Object& o : layer.image.objects) {
        const Polygons* outlines = o.kind == ObjectKind::Outlines ? &layer.image.outlines[o.shape] : nullptr;
        if (!outlines || verticesOf(*outlines) <= pieceVertices) {
            items_.push_back({&o, -1, -1, o.box});
            continue;
        }
        for (size_t i = 0; i < outlines->size(); ++i) {
            const auto& path = (*outlines)[i];
            if (path.size() <= pieceVertices) {
                items_.push_back({&o, std::int32_t(i), -1, boundsOf(path)});
                continue;
            }
            // A hole is cut as the outline it bounds, its pieces turned back into holes.
            const bool hole = !ClipperLib::Orientation(path);
            ClipperLib::Path filled = path;
            if (hole)
                ClipperLib::ReversePath(filled);
            cut(o, std::int32_t(i), {filled}, boundsOf(path), hole);
        }
    }
    std::vector<Box> boxes;
    boxes.reserve(items_.size());
    for (const auto& item : items_)
        boxes.push_back(item.box);
    grid_ = std::make_unique<Grid>(boxes, mils(100));
}

// Halves a long path along its longer side until each piece is short or small.
void LayerIndex::cut(const Object& o, std::int32_t path, const Polygons& polygons, const board::Box& box,
                     bool hole) {
    if (polygons.empty())
        return;
    if (verticesOf(polygons) <= pieceVertices ||
        (box.right - box.left <= pieceSize && box.top - box.bottom <= pieceSize)) {
        Polygons piece = polygons;
        if (hole)
            ClipperLib::ReversePaths(piece);
        items_.push_back({&o, path, std::int32_t(pieces_.size()), boundsOf(piece)});
        pieces_.push_back(std::move(piece));
        return;
    }
    board::Box a = box, b = box;
    if (box.right - box.left >= box.top - box.bottom)
        a.right = b.left = box.left + (box.right - box.left) / 2;
    else
        a.top = b.bottom = box.bottom + (box.top - box.bottom) / 2;
    cut(o, path, clipped(polygons, a), a, hole);
    cut(o, path, clipped(polygons, b), b, hole);
}

NearbyList LayerIndex::near(const board::Box& box) const {
    std::vector<std::uint32_t> found;
    grid_->near(box, [&](std::uint32_t i) {
        if (items_[i].box.meets(box))
            found.push_back(i);
    });
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    NearbyList list;
    list.items_.reserve(found.size());
    for (std::uint32_t i : found)
        list.items_.push_back(&items_[i]);
    // Items of one object stand together (the index holds them in file order): each run is one Nearby.
    for (size_t i = 0, first = 0; i < list.items_.size(); ++i)
        if (i + 1 == list.items_.size() || list.items_[i + 1]->object != list.items_[i]->object) {
            list.objects_.push_back(
                {list.items_[i]->object,
                 std::span<const Item* const>(list.items_).subspan(first, i + 1 - first)});
            first = i + 1;
        }
    return list;
}

template <class Visit> void LayerIndex::forEachPath(const Item& item, Visit visit) const {
    if (item.piece >= 0) {
        for (const auto& p : pieces_[size_t(item.piece)])
            visit(p);
        return;
    }
    const auto& outlines = image().outlines[item.object->shape];
    if (item.path >= 0)
        return visit(outlines[size_t(item.path)]);
    for (const auto& p : outlines)
        visit(p);
}

Polygons LayerIndex::polygons(const Item& item) const {
    if (item.object->kind != ObjectKind::Outlines)
        return board::polygonsOf(image(), *item.object);
    Polygons out;
    forEachPath(item, [&](const ClipperLib::Path& p) { out.push_back(p); });
    return out;
}

bool LayerIndex::holds(const Nearby& n, Point p) const {
    const Object& o = *n.object;
    const double px = double(p.x.count()), py = double(p.y.count());
    if (o.kind == ObjectKind::Circle)
        return std::sqrt(squared(px - double(o.from.x.count()), py - double(o.from.y.count()))) <=
               double(o.radius.count());
    if (o.kind == ObjectKind::Stroke)
        return pointSegment(px, py, segmentOf(o)) <= double(o.radius.count());
    const ClipperLib::IntPoint c{p.x.count(), p.y.count()};
    int winding = 0;
    for (const Item* item : n.items) {
        if (p.x < item->box.left || p.x > item->box.right || p.y < item->box.bottom || p.y > item->box.top)
            continue;
        forEachPath(*item, [&](const ClipperLib::Path& path) {
            if (ClipperLib::PointInPolygon(c, path) != 0)
                winding += ClipperLib::Orientation(path) ? 1 : -1;
        });
    }
    return winding > 0;
}

double LayerIndex::edgeDistance(const Nearby& n, Point p) const {
    const Object& o = *n.object;
    const double px = double(p.x.count()), py = double(p.y.count());
    if (o.kind == ObjectKind::Circle)
        return std::abs(std::sqrt(squared(px - double(o.from.x.count()), py - double(o.from.y.count()))) -
                        double(o.radius.count()));
    if (o.kind == ObjectKind::Stroke)
        return std::abs(pointSegment(px, py, segmentOf(o)) - double(o.radius.count()));
    double least = INFINITY;
    const Segment at{px, py, px, py};
    for (const Item* item : n.items)
        forEachPath(*item,
                    [&](const ClipperLib::Path& path) { least = std::min(least, pathDistance(path, at)); });
    return least;
}

std::vector<Point> LayerIndex::corners(const Nearby& n) const {
    const Object& o = *n.object;
    if (o.kind != ObjectKind::Outlines)
        return {o.from, o.to};
    std::vector<Point> points;
    for (const Item* item : n.items)
        forEachPath(*item, [&](const ClipperLib::Path& path) {
            for (const auto& v : path)
                points.push_back({Length::fromCount(v.X), Length::fromCount(v.Y)});
        });
    return points;
}

} // namespace fk::boardcheck
