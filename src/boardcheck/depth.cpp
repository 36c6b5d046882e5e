// How deep a probe lies in an area's copper: the nearest point of the area's edge. The edge of united copper
// is made of its pieces' edges where no other piece covers them, so each piece edge near the probe is cut
// where the others cross it, and the nearest uncovered stretch is measured: exact for round shapes, no union
// built.
#include "app/context.hpp"
#include "boardcheck/copperlayer.hpp"
#include "boardcheck/nearedges.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cstdio>
#include <map>
#include <numbers>

namespace fk::boardcheck {

// The steps one place's measure may take (see DepthSearch::spend).
constexpr std::uint64_t depthSteps = 1'000'000'000;

namespace {

constexpr double touching = 10; // as the layer's pieces touch
// How far outside an edge "just outside" is: 0.1 mil. A crack narrower than that between pieces of one area
// (regions a CAD tool wrote side by side, a micron apart) is no edge of the copper: no board house etches it.
constexpr double beyond = 254'000;
constexpr double pi = std::numbers::pi;

// A stretch of a piece's edge: a segment, or an arc (a disc's circle, a round draw's end).
struct Element {
    bool isArc = false;
    Seg seg{};
    Arc arc{};
    std::uint32_t piece = 0;
    double bound = 0; // its distance from the probe, covered or not
};

// The unit normal pointing away from the element's copper: copper lies on the left of every segment.
Vec outward(const Element& e, Vec at) {
    if (e.isArc) {
        const Vec d = at - e.arc.centre;
        const double n = norm(d);
        return n > 0 ? d * (1 / n) : Vec{};
    }
    const Vec d = e.seg.b - e.seg.a;
    const double n = norm(d);
    return n > 0 ? Vec{d.y / n, -d.x / n} : Vec{};
}

Closest probeTo(const Probe& probe, const Element& e) {
    Closest best;
    for (const Seg& s : probe) {
        const Closest c = e.isArc ? segmentArc(s, e.arc) : segmentSegment(s, e.seg);
        if (c.distance < best.distance)
            best = c;
    }
    return best;
}

bool inBox(const board::Box& box, Vec v) {
    return v.x >= double(box.left.count()) && v.x <= double(box.right.count()) &&
           v.y >= double(box.bottom.count()) && v.y <= double(box.top.count());
}

// The part of a segment inside a box (Liang-Barsky); none when it stays outside.
std::optional<Seg> clippedTo(const Seg& s, double left, double bottom, double right, double top) {
    double t0 = 0, t1 = 1;
    const Vec d = s.b - s.a;
    const double p[] = {-d.x, d.x, -d.y, d.y};
    const double q[] = {s.a.x - left, right - s.a.x, s.a.y - bottom, top - s.a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return std::nullopt;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return std::nullopt;
    return Seg{s.at(t0), s.at(t1)};
}

} // namespace

// One search of an area's edge around a probe, widened until the nearest uncovered edge lies within it.
class DepthSearch {
  public:
    DepthSearch(const CopperLayer& layer, const Probe& probe, std::uint32_t area)
        : layer_(layer), probe_(probe), area_(area) {}

    Closest run(double atLeast, double enough) {
        const board::Box& extent = layer_.areaBox(area_);
        const double span =
            double((extent.right - extent.left).count() + (extent.top - extent.bottom).count());
        for (double reach = std::max(double(mils(20).count()), atLeast * 1.25);; reach *= 4) {
            const Closest found = within(reach);
            if (found.distance <= reach || reach > span)
                return found;
            if (reach >= enough) { // deeper than all that was asked
                const Vec at = probe_.front().a;
                return {reach, at, at};
            }
        }
    }

  private:
    static board::Point pointOf(Vec v) {
        return {util::Length::fromCount(std::llround(v.x)), util::Length::fromCount(std::llround(v.y))};
    }

    Closest within(double reach) {
        box_ = board::Box::nothing();
        for (const Seg& s : probe_)
            for (const Vec v : {s.a, s.b})
                box_.include(board::Box::around(pointOf(v), util::Length::fromCount(std::llround(reach))));
        gather();
        std::sort(elements_.begin(), elements_.end(),
                  [](const Element& a, const Element& b) { return a.bound < b.bound; });
        Closest best;
        for (const Element& e : elements_) {
            if (e.bound >= best.distance)
                break;
            const Closest c = uncoveredNearest(e);
            if (c.distance < best.distance)
                best = c;
        }
        return best;
    }

    // The area's pieces near the probe and the stretches of their edges inside the search box.
    void gather() {
        elements_.clear();
        coverers_.clear();
        localEdges_.clear();
        nearEdges_.clear();
        uniform_.clear();
        const double left = double(box_.left.count()), right = double(box_.right.count());
        const double bottom = double(box_.bottom.count()), top = double(box_.top.count());
        const auto addSeg = [&](const Seg& s, std::uint32_t piece) {
            if (const auto inside = clippedTo(s, left, bottom, right, top)) {
                Element e{.seg = *inside, .piece = piece};
                e.bound = probeTo(probe_, e).distance;
                elements_.push_back(e);
            }
        };
        const auto addArc = [&](const Arc& a, std::uint32_t piece) {
            Element e{.isArc = true, .arc = a, .piece = piece};
            e.bound = probeTo(probe_, e).distance;
            elements_.push_back(e);
        };
        layer_.forEachItem(box_, [&](std::uint32_t i) {
            const Item& item = layer_.items()[i];
            if (layer_.area(item.piece) != area_)
                return;
            coverers_.push_back(item.piece);
            const Piece& p = layer_.pieces()[item.piece];
            if (p.kind == PieceKind::Poly)
                localEdges_.push_back(i);
            if (p.kind == PieceKind::Disc)
                return addArc({p.core.a, p.radius, 0, 2 * pi}, item.piece);
            if (p.kind == PieceKind::Capsule) {
                const Vec d = p.core.b - p.core.a;
                const Vec n = Vec{-d.y, d.x} * (p.radius / norm(d));
                addSeg({p.core.b + n, p.core.a + n}, item.piece); // copper on the left, as a polygon's
                addSeg({p.core.a - n, p.core.b - n}, item.piece);
                const double heading = std::atan2(d.y, d.x);
                addArc({p.core.b, p.radius, heading - pi / 2, pi}, item.piece);
                addArc({p.core.a, p.radius, heading + pi / 2, pi}, item.piece);
                return;
            }
            forEachEdgeOf(layer_, item,
                          [&](const Seg& seg, std::uint32_t, std::uint32_t) { addSeg(seg, item.piece); });
        });
        // The polygons' edges around the search box as far again, so that the nearest of them to a point in
        // the box is known to be its nearest at all.
        const Length wider = (box_.right - box_.left) / 2;
        layer_.forEachItem(box_.grown(wider), [&](std::uint32_t i) {
            const Item& item = layer_.items()[i];
            const Piece& p = layer_.pieces()[item.piece];
            if (p.kind != PieceKind::Poly || layer_.area(item.piece) != area_)
                return;
            forEachEdgeOf(layer_, item, [&](const Seg& seg, std::uint32_t k, std::uint32_t e) {
                nearEdges_.add({item.piece, k, e, seg});
            });
        });
        const board::Box over = box_.grown(wider);
        nearEdges_.index(boundsOf(over));
        // A large polygon with no edge near may still cover all of this place.
        layer_.forEachLarge(box_, [&](std::uint32_t piece) {
            if (layer_.area(piece) == area_)
                coverers_.push_back(piece);
        });
        std::sort(coverers_.begin(), coverers_.end());
        coverers_.erase(std::unique(coverers_.begin(), coverers_.end()), coverers_.end());
    }

    bool covered(Vec x, std::uint32_t own) const {
        spend(coverers_.size());
        for (const std::uint32_t piece : coverers_) {
            if (piece == own)
                continue;
            const Piece& p = layer_.pieces()[piece];
            if (!inBox(p.box, x))
                continue;
            if (p.kind == PieceKind::Poly ? insideNear(piece, x) : layer_.holds(p, x))
                return true;
        }
        return false;
    }

    // Whether a polygon's copper holds a point of the search, told by its edges near: the nearest of them is
    // its nearest edge at all where no edge beyond the search box can be nearer. Without an edge near, the
    // whole box lies in or out of it.
    bool insideNear(std::uint32_t piece, Vec x) const {
        std::uint64_t steps = 0;
        const auto found = nearEdges_.nearest(piece, x, steps);
        spend(steps);
        const Piece& p = layer_.pieces()[piece];
        if (!found) {
            const auto known = uniform_.find(piece);
            if (known != uniform_.end())
                return known->second;
            return uniform_[piece] = layer_.holds(p, x);
        }
        const double nearest = found->distance;
        if (nearest <= touching)
            return true;
        const double wider = double((box_.right - box_.left).count()) / 2;
        const double margin =
            wider + std::min({x.x - double(box_.left.count()), double(box_.right.count()) - x.x,
                              x.y - double(box_.bottom.count()), double(box_.top.count()) - x.y});
        if (nearest > margin)
            return layer_.holds(p, x);
        return layer_.leftOfNearest(p, found->edge->path, found->edge->index, found->t, x);
    }

    // Where the other pieces' edges cross the element, as parameters along it (0 to 1) or angles.
    std::vector<double> breakpoints(const Element& e) const {
        std::vector<double> at;
        // Only shapes whose box meets the element's can cross it.
        const Bounds reach = (e.isArc ? Bounds{e.arc.centre.x - e.arc.radius, e.arc.centre.y - e.arc.radius,
                                               e.arc.centre.x + e.arc.radius, e.arc.centre.y + e.arc.radius}
                                      : Bounds::of(e.seg))
                                 .grown(touching);
        for (const std::uint32_t piece : coverers_) {
            const Piece& p = layer_.pieces()[piece];
            if (piece == e.piece || !reach.meets(boundsOf(p.box)))
                continue;
            const auto circle = [&](Vec c, double r) {
                if (e.isArc)
                    circleCircleAngles(e.arc, c, r, at);
                else
                    segmentCircleCrossings(e.seg, c, r, at);
            };
            const auto edge = [&](const Seg& s) {
                if (!reach.meets(Bounds::of(s)))
                    return;
                if (e.isArc)
                    circleSegmentAngles(e.arc, s, at);
                else
                    segmentSegmentCrossing(e.seg, s, at);
            };
            if (p.kind == PieceKind::Disc) {
                circle(p.core.a, p.radius);
                continue;
            }
            if (p.kind == PieceKind::Capsule) {
                circle(p.core.a, p.radius);
                circle(p.core.b, p.radius);
                const Vec d = p.core.b - p.core.a;
                const Vec n = Vec{-d.y, d.x} * (p.radius / norm(d));
                edge({p.core.a + n, p.core.b + n});
                edge({p.core.a - n, p.core.b - n});
                continue;
            }
            // A polygon's edges near the search: the place this element is cut lies inside it.
            for (const std::uint32_t i : localEdges_) {
                const Item& item = layer_.items()[i];
                if (item.piece != piece || !reach.meets(boundsOf(item.box)))
                    continue;
                const auto& paths = layer_.polygons(p);
                const auto cutBy = [&](const ClipperLib::Path& path, size_t first, size_t count) {
                    for (size_t k = first; k < first + count; ++k) {
                        const auto& u = path[k % path.size()];
                        const auto& v = path[(k + 1) % path.size()];
                        edge({{double(u.X), double(u.Y)}, {double(v.X), double(v.Y)}});
                    }
                };
                if (item.path >= 0)
                    cutBy(paths[size_t(item.path)], item.first, item.count);
                else
                    for (const auto& path : paths)
                        cutBy(path, 0, path.size());
            }
        }
        return at;
    }

    // Whether a point of the element is the area's edge: just outside it no other piece has copper. So the
    // edges of two pieces that meet side by side fall away, and edges that run together on one side stay.
    bool open(const Element& e, Vec at) const { return !covered(at + outward(e, at) * beyond, e.piece); }

    Vec pointAt(const Element& e, double u) const { return e.isArc ? e.arc.at(u) : e.seg.at(u); }

    // The nearest point of the element that no other piece of the area covers. Coverage changes only where
    // another piece's edge meets the element: those points are looked at themselves, and each stretch
    // between two of them by its middle.
    Closest uncoveredNearest(const Element& e) const {
        std::vector<double> cuts = breakpoints(e);
        const double start = e.isArc ? e.arc.from : 0, end = e.isArc ? e.arc.from + e.arc.sweep : 1;
        cuts.push_back(start);
        cuts.push_back(end);
        for (double& u : cuts)
            u = std::clamp(u, start, end);
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        Closest best;
        const auto consider = [&](const Element& part) {
            const Closest c = probeTo(probe_, part);
            if (c.distance < best.distance)
                best = c;
        };
        for (const double u : cuts) {
            const Vec p = pointAt(e, u);
            if (open(e, p))
                consider(Element{.seg = {p, p}, .piece = e.piece});
        }
        for (size_t i = 0; i + 1 < cuts.size(); ++i) {
            const double a = cuts[i], b = cuts[i + 1];
            if (b <= a || !open(e, pointAt(e, (a + b) / 2)))
                continue;
            Element part = e;
            if (e.isArc)
                part.arc = {e.arc.centre, e.arc.radius, a, b - a};
            else
                part.seg = {e.seg.at(a), e.seg.at(b)};
            const Closest c = probeTo(probe_, part);
            if (c.distance >= best.distance)
                continue;
            if (open(e, c.other)) {
                best = c;
                continue;
            }
            // A crossing the arithmetic missed: the stretch is looked at point by point.
            for (int k = 1; k < 16; ++k) {
                const Vec p = pointAt(e, a + (b - a) * k / 16);
                if (open(e, p))
                    consider(Element{.seg = {p, p}, .piece = e.piece});
            }
        }
        return best;
    }

    const CopperLayer& layer_;
    const Probe& probe_;
    std::uint32_t area_;
    board::Box box_{};
    std::vector<Element> elements_;
    std::vector<std::uint32_t> coverers_;
    std::vector<std::uint32_t> localEdges_;         // the items of polygons near the probe
    NearEdges nearEdges_;                           // their edges, whole
    mutable std::map<std::uint32_t, bool> uniform_; // polygons with no edge near: in or out of all of it
    mutable std::uint64_t steps_ = 0;

    // Work on one place is bounded: shapes of one area piled on each other by the hundreds (a mangled file)
    // would make it grow with their cube. The densest real boards measured take under 4 million steps.
    void spend(std::size_t steps) const {
        steps_ += steps;
        if (steps_ <= depthSteps)
            return;
        const auto inches = [](double v) {
            char text[32];
            std::snprintf(text, sizeof text, "%.4f", v / double(util::Length::perMil) / 1000);
            return std::string(text);
        };
        const Vec at = probe_.front().a;
        throw app::JobStop{
            util::lines({"The copper of " + layer_.image().name + " is too dense to measure near X " +
                             inches(at.x) + " Y " + inches(at.y) + " in:",
                         "its shapes overlap there so deeply that one place would take more than " +
                             std::to_string(depthSteps) + " steps. Nothing was checked."})};
    }
};

Closest CopperLayer::depth(const Probe& probe, std::uint32_t area, double atLeast, double enough) const {
    return DepthSearch(*this, probe, area).run(atLeast, enough);
}

} // namespace fk::boardcheck

namespace fk::boardcheck {

namespace {

// The points of a round piece's edge nearest a point inside it: one, or eight round a circle's centre.
std::vector<std::pair<Vec, Vec>> nearestEdgePoints(const Piece& p, Vec at) {
    const Vec foot = p.core.at(nearestParameter(p.core, at));
    const Vec away = at - foot;
    const double d = norm(away);
    std::vector<std::pair<Vec, Vec>> points; // (point, outward)
    if (d > touching) {
        const Vec n = away * (1 / d);
        points.push_back({foot + n * p.radius, n});
        return points;
    }
    const Vec along = p.core.b - p.core.a;
    const double length = norm(along);
    for (int k = 0; k < 8; ++k) {
        Vec n{std::cos(k * pi / 4), std::sin(k * pi / 4)};
        if (length > 0) // a draw: only square to it, its sides
            n = k % 2 ? Vec{along.y / length, -along.x / length} : Vec{-along.y / length, along.x / length};
        points.push_back({foot + n * p.radius, n});
        if (length > 0 && k == 1)
            break;
    }
    return points;
}

} // namespace

std::optional<Closest> CopperLayer::ownEdge(const Probe& probe, std::uint32_t piece) const {
    const Piece& p = pieces_[piece];
    if (p.kind == PieceKind::Poly || probe.size() != 1 || !(probe.front().a == probe.front().b))
        return std::nullopt;
    const Vec at = probe.front().a;
    const std::uint32_t area = areas_[piece];
    for (const auto& [point, outward] : nearestEdgePoints(p, at)) {
        const Vec out = point + outward * beyond;
        const board::Point where{util::Length::fromCount(std::llround(out.x)),
                                 util::Length::fromCount(std::llround(out.y))};
        bool covered = false;
        for (const std::uint32_t i : itemsNear(board::Box::around(where, util::Length())))
            covered = covered || (items_[i].piece != piece && areas_[items_[i].piece] == area &&
                                  holds(pieces_[items_[i].piece], out));
        forEachLarge(board::Box::around(where, util::Length()), [&](std::uint32_t other) {
            covered = covered || (other != piece && areas_[other] == area && holds(pieces_[other], out));
        });
        if (!covered)
            return Closest{norm(point - at), at, point};
    }
    return std::nullopt;
}

} // namespace fk::boardcheck
