// The copper layer's grid of pieces and edge runs, its areas (pieces that touch, joined once), and the
// measures between a probe, a piece and an item.
#include "boardcheck/copperlayer.hpp"
#include "app/context.hpp"
#include "platform/interrupt.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <array>
#include <numeric>

namespace fk::boardcheck {

namespace {

// Closer than this (0.1 nm) is touching: what floating point leaves of an exact contact.
constexpr double touching = 10;
// A large polygon's paths are indexed as runs of this many edges.
constexpr std::uint32_t runEdges = 32;

Seg edgeOf(const ClipperLib::Path& path, size_t i) {
    const auto& p = path[i];
    const auto& q = path[(i + 1) % path.size()];
    return {{double(p.X), double(p.Y)}, {double(q.X), double(q.Y)}};
}

board::Box boxOfEdges(const ClipperLib::Path& path, std::uint32_t first, std::uint32_t count) {
    board::Box box = board::Box::nothing();
    for (std::uint32_t k = first; k <= first + count; ++k) {
        const auto& p = path[k % path.size()];
        const auto x = util::Length::fromCount(p.X), y = util::Length::fromCount(p.Y);
        box.include({x, y, x, y});
    }
    return box;
}

// A nearest pair found from a centre line, moved out to the round shape's edge.
Closest outTo(Closest c, double radius) {
    const double d = c.distance;
    if (d > 0)
        c.other = c.other + (c.on - c.other) * (std::min(radius, d) / d);
    else
        c.other = c.on;
    c.distance = d - radius;
    return c;
}

Closest swapped(const Closest& c) {
    return {c.distance, c.other, c.on};
}

} // namespace

Probe probeOf(const board::Hole& hole) {
    const auto vec = [](board::Point p) { return Vec{double(p.x.count()), double(p.y.count())}; };
    if (!hole.path.empty()) {
        Probe probe;
        for (size_t i = 1; i < hole.path.size(); ++i)
            probe.push_back({vec(hole.path[i - 1]), vec(hole.path[i])});
        if (!probe.empty())
            return probe;
    }
    return {{vec(hole.at), vec(hole.slot ? hole.end : hole.at)}};
}

// The pairs of neighbouring shapes one layer may hold (see index()).
constexpr std::uint64_t crowdedPairs = 2'000'000'000;

void CopperLayer::index() {
    for (std::uint32_t i = 0; i < pieces_.size(); ++i) {
        const Piece& p = pieces_[i];
        if (!large(p)) {
            items_.push_back({i, -1, 0, 0, p.box});
            continue;
        }
        const auto& paths = polygons(p);
        for (std::uint32_t k = 0; k < paths.size(); ++k) {
            const auto n = std::uint32_t(paths[k].size());
            for (std::uint32_t first = 0; first < n; first += runEdges) {
                const std::uint32_t count = std::min(runEdges, n - first);
                items_.push_back({i, std::int32_t(k), first, count, boxOfEdges(paths[k], first, count)});
            }
        }
    }
    std::vector<board::Box> boxes;
    boxes.reserve(items_.size());
    for (const auto& item : items_)
        boxes.push_back(item.box);
    grid_ = std::make_unique<Grid>(boxes, mils(50));
    // Shapes piled on each other by the hundred thousand (a hostile file) would make every look at a shape's
    // neighbours cost them all: refused before that work, far above the densest real layer (12 million).
    if (grid_->crowding() > double(crowdedPairs))
        throw app::JobStop{util::lines(
            {"The copper of " + image().name + " is too crowded to check:",
             "its " + std::to_string(items_.size()) +
                 " shapes lie over each other so thickly that comparing each with its neighbours would take "
                 "more than " +
                 std::to_string(crowdedPairs) + " steps. Nothing was checked."})};
    stamps_.assign(items_.size(), 0);
    boxes.clear();
    for (std::uint32_t i = 0; i < pieces_.size(); ++i)
        if (large(pieces_[i]))
            largePieces_.push_back(i), boxes.push_back(pieces_[i].box);
    largeGrid_ = std::make_unique<Grid>(boxes, mils(500));
}

std::vector<std::uint32_t> CopperLayer::itemsNear(const board::Box& box) const {
    if (++stamp_ == 0) {
        std::fill(stamps_.begin(), stamps_.end(), 0);
        stamp_ = 1;
    }
    std::vector<std::uint32_t> found; // gathered first: a visit may search again
    grid_->visitNear(box, [&](std::uint32_t i) {
        if (stamps_[i] != stamp_ && items_[i].box.meets(box))
            found.push_back(i);
        stamps_[i] = stamp_;
    });
    return found;
}

bool CopperLayer::holds(const Piece& piece, Vec p) const {
    switch (piece.kind) {
    case PieceKind::Disc:
        return norm(p - piece.core.a) <= piece.radius + touching;
    case PieceKind::Capsule:
        return pointSegment(p, piece.core).distance <= piece.radius + touching;
    case PieceKind::Poly:
        break;
    }
    if (large(piece))
        return insideLarge(piece, p);
    const ClipperLib::IntPoint at{std::llround(p.x), std::llround(p.y)};
    int winding = 0;
    for (const auto& path : polygons(piece)) {
        const int in = ClipperLib::PointInPolygon(at, path);
        if (in == -1)
            return true; // on its edge: the shape is closed
        if (in == 1)
            winding += ClipperLib::Orientation(path) ? 1 : -1;
    }
    return winding != 0;
}

// The side of the nearest edge tells: a large polygon is cleaned, its copper on the left of every edge.
bool CopperLayer::insideLarge(const Piece& piece, Vec p) const {
    const board::Box& b = piece.box;
    if (p.x < double(b.left.count()) || p.x > double(b.right.count()) || p.y < double(b.bottom.count()) ||
        p.y > double(b.top.count()))
        return false;
    const auto index = std::uint32_t(&piece - pieces_.data());
    const auto& paths = polygons(piece);
    for (double reach = double(mils(50).count());; reach *= 4) {
        const auto r = util::Length::fromCount(std::llround(reach));
        const board::Point at{util::Length::fromCount(std::llround(p.x)),
                              util::Length::fromCount(std::llround(p.y))};
        double best = INFINITY;
        size_t bestPath = 0, bestEdge = 0;
        double bestT = 0;
        // Runs and edges whose box lies farther than the nearest edge so far are passed over.
        const auto farther = [&](const Bounds& u) {
            const double dx = std::max({u.left - p.x, p.x - u.right, 0.0});
            const double dy = std::max({u.bottom - p.y, p.y - u.top, 0.0});
            return dx * dx + dy * dy > best * best;
        };
        forEachItem(board::Box::around(at, r), [&](std::uint32_t i) {
            const Item& item = items_[i];
            if (item.piece != index || farther(boundsOf(item.box)))
                return;
            const auto& path = paths[size_t(item.path)];
            for (std::uint32_t e = item.first; e < item.first + item.count; ++e) {
                const Seg s = edgeOf(path, e);
                if (farther(Bounds::of(s)))
                    continue;
                const double t = nearestParameter(s, p);
                const double d = norm(p - s.at(t));
                if (d < best)
                    best = d, bestPath = size_t(item.path), bestEdge = e, bestT = t;
            }
        });
        if (best <= touching)
            return true;
        if (best <= reach)
            return leftOfNearest(piece, bestPath, bestEdge, bestT, p);
        if (reach > double((b.right - b.left).count() + (b.top - b.bottom).count()))
            return false;
    }
}

bool CopperLayer::leftOfNearest(const Piece& piece, size_t pathIndex, size_t edge, double t, Vec p) const {
    const auto& path = polygons(piece)[pathIndex];
    const size_t n = path.size();
    const Seg e = edgeOf(path, edge);
    if (t > 0 && t < 1)
        return cross(e.b - e.a, p - e.a) > 0;
    // At a corner: inside both edges' copper sides where it turns toward the copper, either where it turns
    // away.
    const size_t v = t <= 0 ? edge : (edge + 1) % n;
    const Seg in = edgeOf(path, (v + n - 1) % n), out = edgeOf(path, v);
    const bool leftIn = cross(in.b - in.a, p - in.a) > 0, leftOut = cross(out.b - out.a, p - out.a) > 0;
    return cross(in.b - in.a, out.b - out.a) > 0 ? leftIn && leftOut : leftIn || leftOut;
}

std::optional<std::uint32_t> CopperLayer::pieceAt(Vec p) const {
    const board::Point at{util::Length::fromCount(std::llround(p.x)),
                          util::Length::fromCount(std::llround(p.y))};
    std::optional<std::uint32_t> found;
    const auto consider = [&](std::uint32_t piece) {
        if ((!found || piece < *found) && holds(pieces_[piece], p))
            found = piece;
    };
    forEachItem(board::Box::around(at, util::Length()), [&](std::uint32_t i) {
        if (items_[i].path < 0)
            consider(items_[i].piece);
    });
    // A large polygon's edges may all lie far from the point: its box decides whether to ask it.
    forEachLarge(board::Box::around(at, util::Length()), consider);
    return found;
}

void CopperLayer::forEachLarge(const board::Box& box, const std::function<void(std::uint32_t)>& visit) const {
    std::vector<std::uint32_t> found;
    largeGrid_->visitNear(box, [&](std::uint32_t i) {
        if (pieces_[largePieces_[i]].box.meets(box))
            found.push_back(largePieces_[i]);
    });
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    for (const std::uint32_t piece : found)
        visit(piece);
}

Closest CopperLayer::toItem(const Seg& s, const Item& item, double reach) const {
    const Piece& piece = pieces_[item.piece];
    if (piece.kind != PieceKind::Poly)
        return outTo(segmentSegment(s, piece.core), piece.radius);
    const auto& paths = polygons(piece);
    Closest best;
    const Bounds near = Bounds::of(s).grown(reach);
    const auto edges = [&](const ClipperLib::Path& path, std::uint32_t first, std::uint32_t count) {
        for (std::uint32_t e = first; e < first + count; ++e) {
            const Seg edge = edgeOf(path, e);
            if (!near.meets(Bounds::of(edge)))
                continue; // farther than the reach
            const Closest c = segmentSegment(s, edge);
            if (c.distance < best.distance)
                best = c;
        }
    };
    if (item.path >= 0) {
        edges(paths[size_t(item.path)], item.first, item.count);
        return best;
    }
    for (const Vec end : {s.a, s.b}) {
        if (holds(piece, end))
            return {0, end, end};
    }
    for (const auto& path : paths)
        edges(path, 0, std::uint32_t(path.size()));
    return best;
}

Closest CopperLayer::itemItem(const Item& a, const Item& b, double reach) const {
    return boardcheck::between(*this, a, *this, b, reach);
}

bool CopperLayer::touch(const Item& a, const Item& b) const {
    return itemItem(a, b, touching).distance <= touching;
}

Closest between(const CopperLayer& la, const Item& a, const CopperLayer& lb, const Item& b, double reach) {
    const Piece& pa = la.pieces()[a.piece];
    const Piece& pb = lb.pieces()[b.piece];
    if (pa.kind != PieceKind::Poly)
        return swapped(outTo(swapped(lb.toItem(pa.core, b, reach + pa.radius)), pa.radius));
    if (pb.kind != PieceKind::Poly)
        return outTo(swapped(la.toItem(pb.core, a, reach + pb.radius)), pb.radius);
    Closest best;
    const Bounds nearB = boundsOf(b.box).grown(reach);
    forEachEdgeOf(la, a, [&](const Seg& e, std::uint32_t, std::uint32_t) {
        if (!nearB.meets(Bounds::of(e)))
            return; // farther than the reach from all of b
        const Closest c = lb.toItem(e, b, reach);
        if (c.distance < best.distance)
            best = c;
    });
    if (best.distance > 0 && a.path < 0 && b.path < 0) { // one small polygon inside the other
        const auto first = [](const CopperLayer& l, const Piece& p) {
            const auto& v = l.polygons(p).front().front();
            return Vec{double(v.X), double(v.Y)};
        };
        if (lb.holds(pb, first(la, pa)))
            return {0, first(la, pa), first(la, pa)};
        if (la.holds(pa, first(lb, pb)))
            return {0, first(lb, pb), first(lb, pb)};
    }
    return best;
}

std::optional<Closest> CopperLayer::nearest(const Probe& probe, double within,
                                            const std::function<bool(std::uint32_t)>& accept) const {
    board::Box box = board::Box::nothing();
    for (const Seg& s : probe)
        for (const Vec v : {s.a, s.b}) {
            const board::Point p{util::Length::fromCount(std::llround(v.x)),
                                 util::Length::fromCount(std::llround(v.y))};
            box.include(board::Box::around(p, util::Length::fromCount(std::llround(within))));
        }
    std::optional<Closest> best;
    forEachItem(box, [&](std::uint32_t i) {
        if (!accept(areas_[items_[i].piece]))
            return;
        for (const Seg& s : probe) {
            const Closest c = toItem(s, items_[i], within);
            if (c.distance < within && (!best || c.distance < best->distance))
                best = c;
        }
    });
    return best;
}

Closest CopperLayer::between(std::uint32_t a, std::uint32_t b) const {
    Closest best;
    const auto itemsOf = [&](std::uint32_t piece, const board::Box& near) {
        std::vector<std::uint32_t> found;
        forEachItem(near, [&](std::uint32_t i) {
            if (items_[i].piece == piece)
                found.push_back(i);
        });
        return found;
    };
    const auto ia = itemsOf(a, pieces_[b].box.grown(mils(1000)));
    const auto ib = itemsOf(b, pieces_[a].box.grown(mils(1000)));
    for (const std::uint32_t i : ia)
        for (const std::uint32_t j : ib) {
            const Closest c = itemItem(items_[i], items_[j]);
            if (c.distance < best.distance)
                best = c;
        }
    return best;
}

void CopperLayer::joinAreas() {
    UnionFind areas(pieces_.size());
    for (std::uint32_t i = 0; i < items_.size(); ++i) {
        if ((i & 1023) == 0)
            platform::checkInterrupted();
        const Item& item = items_[i];
        forEachItem(item.box.grown(util::Length::fromCount(std::int64_t(touching))), [&](std::uint32_t j) {
            const Item& other = items_[j];
            if (j <= i || other.piece == item.piece || areas.find(item.piece) == areas.find(other.piece))
                return;
            if (touch(item, other))
                areas.unite(item.piece, other.piece);
        });
    }
    // A piece inside a large polygon may meet none of its edges.
    for (const std::uint32_t l : largePieces_) {
        const Piece& outer = pieces_[l];
        forEachItem(outer.box, [&](std::uint32_t j) {
            const std::uint32_t p = items_[j].piece;
            if (p == l || areas.find(p) == areas.find(l))
                return;
            const Piece& inner = pieces_[p];
            Vec at = inner.core.a;
            if (inner.kind == PieceKind::Poly) {
                const auto& v = polygons(inner).front().front();
                at = {double(v.X), double(v.Y)};
            }
            if (insideLarge(outer, at))
                areas.unite(p, l);
        });
    }
    areas_.assign(pieces_.size(), 0);
    std::vector<std::uint32_t> number(pieces_.size(), UINT32_MAX);
    for (std::uint32_t i = 0; i < pieces_.size(); ++i) {
        const std::uint32_t root = areas.find(i);
        if (number[root] == UINT32_MAX)
            number[root] = areaCount_++;
        areas_[i] = number[root];
    }
    areaBoxes_.assign(areaCount_, board::Box::nothing());
    for (std::uint32_t i = 0; i < pieces_.size(); ++i)
        areaBoxes_[areas_[i]].include(pieces_[i].box);
}

} // namespace fk::boardcheck
