// Width: copper narrower than the limit. The width at a place is the widest circle of the united copper that
// holds it, so a thin draw inside a pour or a fill of overlapping draws is as wide as the pour, and the
// corner of a wide shape is not looked at. Looked at: draws and pads narrower than the limit, and where two
// edges of a region face each other closer than it (a neck).
#include "boardcheck/checkrows.hpp"
#include "boardcheck/places.hpp"
#include "platform/interrupt.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace fk::boardcheck {

namespace {

constexpr double touching = 10;

// The widest circle found: its diameter and centre.
struct Widest {
    double width = 0;
    Vec centre{};
};

class WidthSearch {
  public:
    WidthSearch(const CopperLayer& layer, double limit) : layer_(layer), limit_(limit) {}

    // The widest circle of the copper that holds `x`, searched from it across the copper (along `across`),
    // inward from its nearest edge, or every way where it stands on an edge; 0 where no copper holds it.
    // Stops once it reaches the limit.
    Widest at(Vec x, Vec across) const {
        const auto piece = layer_.pieceAt(x);
        if (!piece)
            return {};
        const std::uint32_t area = layer_.area(*piece);
        // Deeper than half the limit is wide enough; a neck inside a pour would otherwise search its
        // whole width.
        const Closest deepest = layer_.depth({{x, x}}, area, 0, limit_ / 2);
        double best = deepest.distance;
        Vec centre = x;
        std::vector<Vec> ways;
        if (norm(across) > 0)
            ways.push_back(across), ways.push_back(across * -1);
        if (deepest.distance > touching) {
            if (norm(x - deepest.other) > 0)
                ways.push_back(x - deepest.other);
        } else {
            for (int k = 0; k < 8; ++k)
                ways.push_back({std::cos(k * std::numbers::pi / 4), std::sin(k * std::numbers::pi / 4)});
        }
        for (const Vec way : ways) {
            const Vec n = way * (1 / norm(way));
            for (int k = 1; k <= 16 && 2 * best < limit_; ++k) {
                const double t = limit_ * k / 32;
                const Vec c = x + n * t;
                // Depth changes no faster than the centre moves: once a circle here misses x, or the way
                // leaves the copper, no circle farther along it can hold x.
                const auto held = layer_.pieceAt(c);
                if (!held || layer_.area(*held) != area)
                    break;
                const double d = layer_.depth({{c, c}}, area, 0, limit_ / 2).distance;
                if (d < t - touching)
                    break;
                if (d > best)
                    best = d, centre = c;
            }
        }
        return {2 * best, centre};
    }

  private:
    const CopperLayer& layer_;
    double limit_;
};

struct Edge {
    Seg seg;
    std::uint32_t piece, path, index;
};

// Two edges of a polygon's copper that face each other across it: each one's copper side toward the other,
// within 45 degrees.
bool facing(const Edge& e, const Edge& f, const Closest& c) {
    const Vec gap = c.other - c.on;
    const double length = norm(gap);
    if (length <= touching)
        return false;
    const auto inward = [](const Seg& s) {
        const Vec d = s.b - s.a;
        return Vec{-d.y, d.x} * (1 / norm(d));
    };
    const double cos45 = std::numbers::sqrt2 / 2;
    return dot(inward(e.seg), gap) >= cos45 * length && dot(inward(f.seg), gap * -1) >= cos45 * length;
}

// Whether two edges of one outline meet round a corner: the outline between the two nearest points runs no
// more than three times their distance. Across a neck or along a finger it runs much farther.
bool aroundCorner(const CopperLayer& layer, const Edge& e, const Edge& f, const Closest& gap) {
    if (e.piece != f.piece || e.path != f.path)
        return false;
    const auto& path = layer.polygons(layer.pieces()[e.piece])[e.path];
    const size_t n = path.size();
    const double most = 3 * gap.distance;
    const auto vertex = [&](size_t k) {
        const auto& v = path[k % n];
        return Vec{double(v.X), double(v.Y)};
    };
    // Forward from the point on one edge to the point on the other, each way round.
    const auto walk = [&](const Edge& from, Vec start, const Edge& to, Vec end) {
        double length = norm(vertex(from.index + 1) - start);
        for (size_t k = (from.index + 1) % n; k != to.index && length <= most; k = (k + 1) % n)
            length += norm(vertex(k + 1) - vertex(k));
        return from.index == to.index ? norm(end - start) : length + norm(end - vertex(to.index));
    };
    return walk(e, gap.on, f, gap.other) <= most || walk(f, gap.other, e, gap.on) <= most;
}

// Two edges that may bound a neck: near, turned against each other, not neighbours on their path.
template <class Consider>
void considerNeck(const CopperLayer& layer, const Edge& e, const Edge& f, bool sameItem, double limit,
                  Consider& consider) {
    if (sameItem && f.path == e.path && f.index <= e.index)
        return;
    if (dot(e.seg.b - e.seg.a, f.seg.b - f.seg.a) > 0) // copper sides that face each other run opposite ways
        return;
    const double gapX = std::max({0.0, std::min(f.seg.a.x, f.seg.b.x) - std::max(e.seg.a.x, e.seg.b.x),
                                  std::min(e.seg.a.x, e.seg.b.x) - std::max(f.seg.a.x, f.seg.b.x)});
    const double gapY = std::max({0.0, std::min(f.seg.a.y, f.seg.b.y) - std::max(e.seg.a.y, e.seg.b.y),
                                  std::min(e.seg.a.y, e.seg.b.y) - std::max(f.seg.a.y, f.seg.b.y)});
    if (gapX >= limit || gapY >= limit)
        return;
    const Closest gap = segmentSegment(e.seg, f.seg);
    if (gap.distance >= limit || !facing(e, f, gap) || aroundCorner(layer, e, f, gap))
        return;
    const double t0 = nearestParameter(e.seg, f.seg.a), t1 = nearestParameter(e.seg, f.seg.b);
    const Seg run{e.seg.at(std::min(t0, t1)), e.seg.at(std::max(t0, t1))};
    consider(midpoint(gap.on, gap.other), gap.other - gap.on, run, e.piece);
}

// Whether nothing but the piece itself lies within `limit` of `x`: then the copper there is the piece alone.
bool alone(const CopperLayer& layer, std::uint32_t piece, Vec x, double limit) {
    bool other = false;
    const Length reach = Length::fromCount(std::llround(limit));
    layer.forEachItem(board::Box::around(pointOf(x), reach),
                      [&](std::uint32_t j) { other = other || layer.items()[j].piece != piece; });
    return !other;
}

struct Neck {
    Vec x, across;
    Seg stretch;
    std::uint32_t piece;
};

// The necks searched narrowest first. One within 10 mil (or half the limit) of a neck already found is part
// of that neck, and one inside a circle already found wider than the limit is no neck: a pour between two
// many-sided outlines faces dozens of edge pairs, and each search would find the same.
template <class Consider> void searchNecks(std::vector<Neck>& necks, double limit, Consider& consider) {
    std::sort(necks.begin(), necks.end(),
              [](const Neck& a, const Neck& b) { return dot(a.across, a.across) < dot(b.across, b.across); });
    const double reach = std::min(limit / 2, double(mils(10).count()));
    struct Known {
        Vec centre;
        double radius;
    };
    std::unordered_map<std::int64_t, std::vector<Known>>
        known; // by the cell of width `limit` a point lies in
    const auto cell = [&](Vec v) {
        return std::pair{std::int64_t(std::floor(v.x / limit)), std::int64_t(std::floor(v.y / limit))};
    };
    const auto key = [](std::int64_t cx, std::int64_t cy) { return cx * 1000003 + cy; };
    const auto inKnown = [&](Vec x) {
        const auto [cx, cy] = cell(x);
        for (std::int64_t dx = -1; dx <= 1; ++dx)
            for (std::int64_t dy = -1; dy <= 1; ++dy)
                if (auto at = known.find(key(cx + dx, cy + dy)); at != known.end())
                    for (const Known& k : at->second)
                        if (norm(x - k.centre) <= k.radius)
                            return true;
        return false;
    };
    for (const Neck& n : necks) {
        if (inKnown(n.x))
            continue;
        const Widest w = consider(n.x, n.across, n.stretch, n.piece);
        const auto [cx, cy] = cell(n.x);
        if (w.width >= limit) // every point of that circle is as wide
            known[key(cx, cy)].push_back({w.centre, w.width / 2 - touching});
        else if (w.width > 0)
            known[key(cx, cy)].push_back({n.x, reach});
    }
}

} // namespace

Coverage checkWidth(const BoardContext& c, std::vector<Finding>& findings) {
    const double limit = double(c.limits.width.count());
    int layers = 0;
    for (const auto& layerPointer : c.copper.layers()) {
        const CopperLayer& layer = *layerPointer;
        ++layers;
        const WidthSearch search(layer, limit);
        Places narrow;
        const auto found = [&](Vec x, Vec across, const Seg& stretch, std::uint32_t piece, double w) {
            Vec n = norm(across) > 0 ? across * (1 / norm(across)) : Vec{0, 1};
            narrow.add("width", {.measured = w,
                                 .place = x,
                                 .from = x - n * (w / 2),
                                 .to = x + n * (w / 2),
                                 .stretch = stretch,
                                 .a = piece,
                                 .b = piece});
        };
        const auto consider = [&](Vec x, Vec across, const Seg& stretch, std::uint32_t piece) {
            const Widest w = search.at(x, across);
            if (w.width > 0 && w.width < limit)
                found(x, across, stretch, piece, w.width);
            return w;
        };
        const auto& pieces = layer.pieces();
        for (std::uint32_t i = 0; i < pieces.size(); ++i) {
            if ((i & 1023) == 0)
                platform::checkInterrupted();
            const Piece& p = pieces[i];
            const board::Object* o = layer.objectOf(p);
            if (p.kind == PieceKind::Capsule && 2 * p.radius < limit) {
                const Vec d = p.core.b - p.core.a, middle = midpoint(p.core.a, p.core.b);
                if (alone(layer, i, middle, limit)) // a track by itself is as wide as it is drawn
                    found(middle, {-d.y, d.x}, p.core, i, 2 * p.radius);
                else
                    consider(middle, {-d.y, d.x}, p.core, i);
            } else if (o && o->flash && p.kind == PieceKind::Disc && 2 * p.radius < limit) {
                consider(p.core.a, {}, {p.core.a, p.core.a}, i);
            } else if (o && o->flash && p.kind == PieceKind::Poly) {
                const Vec centre = vecOf(o->from);
                const double side =
                    double(std::min(p.box.right - p.box.left, p.box.top - p.box.bottom).count());
                if (side < limit ||
                    2 * layer.depth({{centre, centre}}, layer.area(i), 0, limit / 2).distance < limit)
                    consider(centre, {}, {centre, centre}, i);
            }
        }
        // Necks: edges of a region facing each other across its copper, closer than the limit.
        const auto& items = layer.items();
        std::vector<Edge> mine, theirs;
        std::vector<Neck> necks;
        const auto gather = [&](Vec x, Vec across, const Seg& stretch, std::uint32_t piece) {
            necks.push_back({x, across, stretch, piece});
        };
        for (std::uint32_t i = 0; i < items.size(); ++i) {
            if ((i & 255) == 0)
                platform::checkInterrupted();
            if (pieces[items[i].piece].kind != PieceKind::Poly)
                continue;
            mine.clear();
            forEachEdgeOf(layer, items[i], [&](const Seg& seg, std::uint32_t k, std::uint32_t e) {
                mine.push_back({seg, items[i].piece, k, e});
            });
            layer.forEachItem(items[i].box.grown(c.limits.width), [&](std::uint32_t j) {
                if (j < i || layer.area(items[j].piece) != layer.area(items[i].piece))
                    return;
                // Only edges within the limit of the other run's box can bound a neck with it.
                const Bounds nearMine = boundsOf(items[i].box).grown(limit);
                const Bounds nearTheirs = boundsOf(items[j].box).grown(limit);
                theirs.clear();
                forEachEdgeOf(layer, items[j], [&](const Seg& seg, std::uint32_t k, std::uint32_t e) {
                    if (nearMine.meets(Bounds::of(seg)))
                        theirs.push_back({seg, items[j].piece, k, e});
                });
                for (const Edge& e : mine)
                    if (nearTheirs.meets(Bounds::of(e.seg)))
                        for (const Edge& f : theirs)
                            considerNeck(layer, e, f, j == i, limit, gather);
            });
        }
        searchNecks(necks, limit, consider);
        narrow.report(
            Kind::Width, layer.image().name, c.limits.width,
            [&](const Candidate& k) { return pieceName(layer, k.a) + " narrower than the minimum"; },
            findings);
    }
    return {.layers = layers};
}

} // namespace fk::boardcheck
