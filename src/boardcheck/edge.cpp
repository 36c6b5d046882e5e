// Edge: copper closer than the limit to where the board is cut: the outline's centre line, and the edges of
// unplated holes and slots (plated ones are the hole checks'). Negative where copper crosses the edge.
#include "boardcheck/checkrows.hpp"
#include "boardcheck/places.hpp"
#include "platform/interrupt.hpp"

#include <algorithm>

namespace fk::boardcheck {

namespace {

// A stretch of the board's edge: a segment of the outline's centre line, or a hole's axis and radius.
struct Cut {
    Seg seg;
    double radius = 0;
    const board::Hole* hole = nullptr; // none for the outline
    std::string name;                  // where it comes from, for the message
};

std::vector<Cut> outlineCuts(const board::Fabrication& board) {
    std::vector<Cut> cuts;
    for (const auto& layer : board.layers) {
        if (layer.role.layer != board::Layer::Outline)
            continue;
        const board::Image& image = layer.image;
        for (const auto& o : image.objects) {
            const std::string name =
                "the outline (line " + std::to_string(o.line) + " of " + image.name + ")";
            if (o.kind == board::ObjectKind::Stroke ||
                (o.kind == board::ObjectKind::Outlines && o.dcode != 0)) {
                if (!o.flash && o.from != o.to)
                    cuts.push_back({{vecOf(o.from), vecOf(o.to)}, 0, nullptr, name});
                continue;
            }
            if (o.kind != board::ObjectKind::Outlines)
                continue;
            for (const auto& path : image.outlines[o.shape]) // a region: its edge is the board's
                for (size_t k = 0; k < path.size(); ++k) {
                    const auto& u = path[k];
                    const auto& v = path[(k + 1) % path.size()];
                    cuts.push_back(
                        {{{double(u.X), double(u.Y)}, {double(v.X), double(v.Y)}}, 0, nullptr, name});
                }
        }
    }
    return cuts;
}

std::vector<Cut> holeCuts(const board::Fabrication& board) {
    std::vector<Cut> cuts;
    for (const auto& h : board.holes) {
        if (h.plated)
            continue;
        for (const Seg& s : probeOf(h))
            cuts.push_back({s, double((h.diameter / 2).count()), &h,
                            std::string(h.slot ? "unplated slot" : "unplated hole") + " of line " +
                                std::to_string(h.line) + " (T" + std::to_string(h.tool) + ") of " +
                                board.drills[size_t(h.file)].name});
    }
    return cuts;
}

board::Box boxOf(const Cut& cut) {
    board::Box box = board::Box::around(pointOf(cut.seg.a), Length::fromCount(std::llround(cut.radius)));
    box.include(board::Box::around(pointOf(cut.seg.b), Length::fromCount(std::llround(cut.radius))));
    return box;
}

// The part of `edge` that lies closer than `limit` to the item, found from `near`, a point of it that does.
// Copper is convex piece by piece, so its distance falls and rises once along the line: each end by
// bisection.
Seg besideOf(const CopperLayer& layer, const Item& item, const Seg& edge, Vec near, double limit) {
    const auto within = [&](Vec p) { return layer.toItem({p, p}, item, limit).distance < limit; };
    const auto reach = [&](Vec end) {
        if (within(end))
            return end;
        Vec in = near, out = end;
        for (int step = 0; step < 40 /* to 0.01 mil */ && norm(out - in) > 25400.0; ++step) {
            const Vec mid = midpoint(in, out);
            (within(mid) ? in : out) = mid;
        }
        return in;
    };
    return {reach(edge.a), reach(edge.b)};
}

} // namespace

Coverage checkEdge(const BoardContext& c, std::vector<Finding>& findings) {
    std::vector<Cut> cuts = outlineCuts(c.board);
    const bool outline = !cuts.empty();
    const std::vector<Cut> holes = holeCuts(c.board);
    cuts.insert(cuts.end(), holes.begin(), holes.end());
    const double limit = double(c.limits.edge.count());
    for (const auto& layerPointer : c.copper.layers()) {
        const CopperLayer& layer = *layerPointer;
        Places near;
        for (size_t k = 0; k < cuts.size(); ++k) {
            if ((k & 255) == 0)
                platform::checkInterrupted();
            const Cut& cut = cuts[k];
            layer.forEachItem(boxOf(cut).grown(c.limits.edge), [&](std::uint32_t i) {
                const Item& item = layer.items()[i];
                if (cut.hole && ownSizeFlash(layer, item.piece, *cut.hole))
                    return; // drilled away whole: the hole check's
                const Closest at = layer.toItem(cut.seg, item);
                double measured = at.distance - cut.radius;
                // A line of the edge inside a large polygon meets no edge of it: the copper reaches that far
                // past.
                if (item.path >= 0 && at.distance > 0 && layer.holds(layer.pieces()[item.piece], cut.seg.a))
                    measured = -at.distance - cut.radius;
                if (measured >= limit || (cut.hole && measured < 0))
                    return;       // copper an unplated hole cuts is the unplated-copper finding's
                Vec edge = at.on; // on the hole's edge, toward the copper
                if (cut.radius > 0 && at.distance > 0)
                    edge = at.on + (at.other - at.on) * (cut.radius / at.distance);
                // Copper along the edge is one place however long: its stretch is the part of the edge's
                // line that the copper runs beside.
                const Seg along = cut.hole ? Seg{at.on, at.on} : besideOf(layer, item, cut.seg, at.on, limit);
                // One finding a piece of copper and what cuts it: separate pours are separate faults.
                const std::string key = (cut.hole ? cut.name : std::string("outline")) + "/" +
                                        std::to_string(layer.area(item.piece));
                near.add(key, {.measured = measured,
                               .place = at.other,
                               .from = at.other,
                               .to = edge,
                               .stretch = along,
                               .a = item.piece,
                               .b = std::uint32_t(k)});
            });
        }
        near.report(
            Kind::Edge, layer.image().name, c.limits.edge,
            [&](const Candidate& k) {
                return "copper of " + pieceName(layer, k.a) + " too close to " + cuts[k.b].name;
            },
            findings);
    }
    Coverage coverage{.ran = outline || !holes.empty()};
    if (!outline) {
        coverage.notRun = "the board's edge (no outline)";
        coverage.checked = "edge of unplated holes";
    }
    return coverage;
}

} // namespace fk::boardcheck
