// Regions of a Gerber file (G36 to G37): their contours, straight and curved, filled as one outline.
#include "board/gerberreader.hpp"

namespace fk::board {

// A contour split at every point it passes twice into the loops it is made of. A CAD tool draws a pour's
// holes into its one contour by cut lines, out along an edge and back along the same edge: split there, the
// cut line falls away and each hole is a loop of its own, turning the other way. Every point keeps its
// winding (the windings of the loops add up to the contour's), so the fill is the same; Clipper would get
// there too, but in time that grows with the square of the holes.
Polygons loopsOf(const ClipperLib::Path& contour) {
    if (contour.empty())
        return {};
    // Where each point stands on the walk, in an open-addressed table: a pour's contour has a point for
    // every clearance it cuts to, millions on a large board. An entry whose place the walk has since left
    // (or now holds another point) is stale and taken as absent, so closing a loop erases nothing.
    std::size_t capacity = 16;
    while (capacity < 2 * contour.size() + 2)
        capacity *= 2;
    struct Entry {
        ClipperLib::IntPoint point;
        std::size_t at = SIZE_MAX;
    };
    std::vector<Entry> table(capacity);
    ClipperLib::Path walk;
    walk.reserve(contour.size());
    const auto slotOf = [&](const ClipperLib::IntPoint& p) -> Entry& {
        std::uint64_t h =
            std::uint64_t(p.X) * 0x9E3779B97F4A7C15ULL ^ std::uint64_t(p.Y) * 0xC2B2AE3D27D4EB4FULL;
        for (std::size_t i = std::size_t(h ^ (h >> 29)) & (capacity - 1);; i = (i + 1) & (capacity - 1)) {
            Entry& e = table[i];
            if (e.at == SIZE_MAX || e.point == p)
                return e;
        }
    };
    Polygons loops;
    for (std::size_t i = 0; i <= contour.size(); ++i) {
        const auto& p = contour[i % contour.size()];
        Entry& e = slotOf(p);
        if (e.at < walk.size() && walk[e.at] == p) { // back at a point of the walk: a loop closes
            ClipperLib::Path loop(walk.begin() + std::ptrdiff_t(e.at), walk.end());
            walk.resize(e.at + 1);
            if (loop.size() >= 3 && ClipperLib::Area(loop) != 0)
                loops.push_back(std::move(loop));
            continue;
        }
        e.point = p;
        e.at = walk.size();
        walk.push_back(p);
    }
    if (walk.size() >= 3 && ClipperLib::Area(walk) != 0)
        loops.push_back(walk);
    return loops;
}

void GerberReader::openRegion(std::string_view word) {
    if (regionOpen_)
        fail(word, "G37 closing the region before another G36");
    regionOpen_ = true;
    regionLine_ = wordLine_;
    regionVertices_ = 0;
    contours_.clear();
}

void GerberReader::regionOperation(std::string_view word, int d, Point from, Point to, Length i, Length j) {
    if (d == 3)
        fail(word, "no flash inside a region (G36 to G37)");
    std::vector<Point> points;
    if (d == 1 && interpolation_ != Interpolation::Linear)
        points = arc(word, from, to, i, j);
    // The points this operation adds, counted before they take memory.
    const std::size_t adding =
        d == 2 ? 1
               : (interpolation_ == Interpolation::Linear ? 1 : points.size()) + (contours_.empty() ? 1 : 0);
    if (regionVertices_ + adding > budgets_.regionVertices)
        fail(word, "at most " + std::to_string(budgets_.regionVertices) + " vertices in one region");
    regionVertices_ += adding;
    if (d == 2) {
        contours_.push_back({to});
        return;
    }
    if (contours_.empty())
        contours_.push_back({from});
    auto& contour = contours_.back();
    if (interpolation_ == Interpolation::Linear)
        contour.push_back(to);
    else
        contour.insert(contour.end(), points.begin(), points.end());
}

void GerberReader::closeRegion(std::string_view word) {
    if (!regionOpen_)
        fail(word, "G36 opening a region before G37");
    regionOpen_ = false;
    Polygons paths;
    for (const auto& contour : contours_) {
        if (contour.size() < 3)
            continue;
        ClipperLib::Path path;
        path.reserve(contour.size());
        for (const Point& p : contour)
            path.push_back({p.x.count(), p.y.count()});
        if (!ClipperLib::Orientation(path))
            ClipperLib::ReversePath(path);
        paths.push_back(std::move(path));
    }
    contours_.clear();
    Polygons shape;
    if (paths.size() == 1) {
        shape = loopsOf(paths[0]);
    } else {
        ClipperLib::Clipper clipper; // overlapping contours become one outline
        clipper.AddPaths(paths, ClipperLib::ptSubject, true);
        clipper.Execute(ClipperLib::ctUnion, shape, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    }
    if (shape.empty())
        return;
    Object o{.kind = ObjectKind::Outlines, .clear = clear_, .line = regionLine_};
    o.shape = addOutlines(std::move(shape));
    o.box = boxOf(image_.outlines.back());
    add(o);
}

} // namespace fk::board
