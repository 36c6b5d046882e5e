// The checks of every hole against the copper of every layer as the board house etches it, measured on the
// layer's pieces built once: the area a hole lies in, how deep (its ring), and the nearest copper of another
// area (its clearance). A plane is the copper its frame keeps.
#include "boardcheck/checkrows.hpp"
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"
#include "platform/interrupt.hpp"

#include <algorithm>
#include <cmath>

namespace fk::boardcheck {

namespace {

using board::Fabrication;
using board::Hole;
using board::Object;

// How far beyond the limits a plane's relief around a hole is looked for.
const Length lookBeyond = mils(100);
// Two sizes or places this close are one (Altium writes an unplated hole's copper as a flash of its size).
const double alike = double(Length::perMil) / 100;

Length counts(double value) {
    return Length::fromCount(std::llround(value));
}

Point pointOf(Vec v) {
    return {counts(v.x), counts(v.y)};
}

// A hole's name in a finding, made only when one is reported.
struct HoleName {
    const Fabrication& board;
    const Hole& h;
    std::string operator()() const {
        return std::string(h.plated ? "" : "unplated ") + (h.slot ? "slot" : "hole") + " of line " +
               std::to_string(h.line) + " (T" + std::to_string(h.tool) + ") of " +
               board.drills[size_t(h.file)].name;
    }
};

// The flashed pad whose shape holds the hole's centre nearest its own centre.
const Object* padOf(const CopperLayer& layer, Vec c) {
    const Object* best = nullptr;
    double nearest = 0;
    layer.forEachItem(board::Box::around(pointOf(c), Length()), [&](std::uint32_t i) {
        const Piece& p = layer.pieces()[layer.items()[i].piece];
        const Object* o = layer.objectOf(p);
        if (!o || !o->flash || !layer.holds(p, c))
            return;
        const double off = norm(c - Vec{double(o->from.x.count()), double(o->from.y.count())});
        if (!best || off < nearest)
            best = o, nearest = off;
    });
    return best;
}

void checkRegistration(const CopperLayer& layer, const Hole& h, const Limits& limits, const HoleName& name,
                       const Reporter& report) {
    if (h.slot)
        return;
    const Vec c{double(h.at.x.count()), double(h.at.y.count())};
    const Object* pad = padOf(layer, c);
    if (!pad)
        return;
    const Length off = distance(h.at, pad->from);
    if (off > limits.registration)
        report(Kind::Registration, h.at, off, limits.registration,
               name() + " off the centre of its pad D" + std::to_string(pad->dcode) + " (line " +
                   std::to_string(pad->line) + ")");
}

struct Held {
    std::uint32_t area;
    double depth;
    std::uint32_t piece;
    Vec edge; // the nearest point of its copper's edge
};

std::optional<Held> heldBy(const CopperLayer& layer, const Probe& probe) {
    const auto piece = layer.pieceAt(probe.front().a);
    if (!piece)
        return std::nullopt;
    const std::uint32_t area = layer.area(*piece);
    // A round piece holding the probe is at least this deep: where the search for the area's edge starts.
    const Piece& p = layer.pieces()[*piece];
    double own = p.kind == PieceKind::Poly ? 0 : INFINITY;
    if (p.kind != PieceKind::Poly)
        for (const Seg& s : probe)
            for (const Vec end : {s.a, s.b})
                own = std::min(own, p.radius - pointSegment(end, p.core).distance);
    own = std::max(own, 0.0);
    const auto quick = layer.ownEdge(probe, *piece);
    const Closest edge = quick ? *quick : layer.depth(probe, area, own);
    return Held{area, edge.distance, *piece, edge.other};
}

// Whether a point lies on the edge of a plane's frame, the board's edge: no relief of the hole's.
bool onFrame(const board::Box& frame, Vec p) {
    const double near = 1;
    return std::abs(p.x - double(frame.left.count())) <= near ||
           std::abs(p.x - double(frame.right.count())) <= near ||
           std::abs(p.y - double(frame.bottom.count())) <= near ||
           std::abs(p.y - double(frame.top.count())) <= near;
}

void checkPlaneHole(const CopperLayer& layer, const board::Box& frame, const Hole& h, const Limits& limits,
                    const HoleName& name, const Reporter& report) {
    const Probe probe = probeOf(h);
    const double r = double((h.diameter / 2).count());
    const Length reach = std::max(limits.ring, limits.clearance) + lookBeyond;
    if (const auto held = heldBy(layer, probe)) {
        const Length ring = counts(held->depth - r);
        if (!h.plated)
            report(Kind::UnplatedCopper, h.at, ring, std::nullopt,
                   name() + " cuts the plane: drilled through bare, the hole is to be plated or cleared");
        else if (ring >= reach || onFrame(frame, held->edge))
            report(Kind::PlaneSolid, h.at, std::nullopt, std::nullopt,
                   name() + " in the plane with neither thermal nor clearance");
        else if (ring < limits.ring)
            report(Kind::PlaneClearance, h.at, ring, limits.ring,
                   name() + ": thermal ring below the minimum");
        return;
    }
    const double within = r + double(limits.clearance.count());
    if (const auto near = layer.nearest(probe, within, [](std::uint32_t) { return true; })) {
        const Length gap = counts(near->distance - r);
        if (gap < limits.clearance)
            report(Kind::PlaneClearance, h.at, gap, limits.clearance,
                   name() + ": clearance below the minimum");
    }
}

// Copper an unplated hole cuts is drilled through bare: measured as a ring is, negative where the hole
// swallows it.
void checkUnplatedHole(const CopperLayer& layer, const Hole& h, const HoleName& name,
                       const Reporter& report) {
    const Probe probe = probeOf(h);
    const double r = double((h.diameter / 2).count());
    std::optional<Length> ring;
    if (const auto held = heldBy(layer, probe)) {
        if (ownSizeFlash(layer, held->piece, h) && std::abs(held->depth - r) <= alike)
            return;
        ring = counts(held->depth - r);
    } else if (const auto near = layer.nearest(probe, r, [](std::uint32_t) { return true; })) {
        ring = counts(near->distance - r);
    }
    if (ring)
        report(Kind::UnplatedCopper, h.at, *ring, std::nullopt,
               name() + " cuts copper: drilled through bare, the hole is to be plated or the copper cleared");
}

void checkHole(const Fabrication& board, const CopperLayer& layer, const board::Box& frame, const Hole& h,
               const Limits& limits, const Reporter& report) {
    const HoleName name{board, h};
    if (layer.inverted())
        return checkPlaneHole(layer, frame, h, limits, name, report);
    if (!h.plated)
        return checkUnplatedHole(layer, h, name, report);
    const Probe probe = probeOf(h);
    const double r = double((h.diameter / 2).count());
    const auto held = heldBy(layer, probe);
    if (!held) {
        const auto near = layer.nearest(probe, r, [](std::uint32_t) { return true; });
        if (near && near->distance < r)
            return report(Kind::Breakout, h.at, counts(near->distance - r), limits.ring,
                          name() + " leaves the copper it lies in");
        return report(Kind::NoPad, h.at, std::nullopt, std::nullopt, name() + " lies on no copper");
    }
    const Length ring = counts(held->depth - r);
    if (ring < Length()) {
        report(Kind::Breakout, h.at, ring, limits.ring, name() + " leaves the copper it lies in");
    } else {
        checkRegistration(layer, h, limits, name, report);
        if (ring < limits.ring)
            report(Kind::Ring, h.at, ring, limits.ring, name() + ": annular ring below the minimum");
    }
    const double within = r + double(limits.clearance.count());
    const auto other = layer.nearest(probe, within, [&](std::uint32_t area) { return area != held->area; });
    if (!other)
        return;
    const Length gap = counts(other->distance - r);
    if (gap < limits.clearance)
        report(Kind::Clearance, h.at, gap, limits.clearance, name() + ": copper of another area too close");
}

// Pads the files say need a hole (X2 ComponentPad or ViaPad), with none drilled in them.
void checkPadsWithoutHoles(const Fabrication& board, const CopperLayer& layer, const Grid& holes,
                           const Reporter& report) {
    for (const Object& o : layer.image().objects) {
        if (!o.flash || o.clear ||
            (o.function != board::PadFunction::ComponentPad && o.function != board::PadFunction::ViaPad))
            continue;
        bool drilled = false;
        holes.visitNear(o.box, [&](std::uint32_t i) {
            const Hole& h = board.holes[i];
            drilled = drilled || (h.at.x >= o.box.left && h.at.x <= o.box.right && h.at.y >= o.box.bottom &&
                                  h.at.y <= o.box.top);
        });
        if (!drilled)
            report(Kind::PadWithoutHole, o.from, std::nullopt, std::nullopt,
                   std::string(o.function == board::PadFunction::ViaPad ? "via pad" : "component pad") +
                       " D" + std::to_string(o.dcode) + " (line " + std::to_string(o.line) +
                       ") needs a hole by its X2 function and none is drilled");
    }
}

} // namespace

bool ownSizeFlash(const CopperLayer& layer, std::uint32_t piece, const Hole& h) {
    const Piece& p = layer.pieces()[piece];
    const Object* o = layer.objectOf(p);
    return !h.slot && o && o->flash && p.kind == PieceKind::Disc &&
           std::abs(2 * p.radius - double(h.diameter.count())) <= alike &&
           norm(p.core.a - Vec{double(h.at.x.count()), double(h.at.y.count())}) <= alike;
}

Coverage checkHoles(const BoardContext& c, std::vector<Finding>& findings) {
    const Fabrication& board = c.board;
    std::vector<Box> holeBoxes;
    holeBoxes.reserve(board.holes.size());
    for (const auto& h : board.holes)
        holeBoxes.push_back(board::Box::around(h.at, h.diameter / 2));
    const Grid holes(holeBoxes, mils(50));
    int layers = 0;
    for (const auto& layer : c.copper.layers()) {
        const Reporter report{findings, layer->image().name};
        for (size_t k = 0; k < board.holes.size(); ++k) {
            if ((k & 255) == 0)
                platform::checkInterrupted();
            checkHole(board, *layer, c.copper.frame(), board.holes[k], c.limits, report);
        }
        if (!layer->inverted())
            checkPadsWithoutHoles(board, *layer, holes, report);
        ++layers;
    }
    checkHolePairs(board.holes, holes, c.limits, findings,
                   board.drills.size() == 1 ? board.drills[0].name : "the drill files");
    return {.layers = layers};
}

} // namespace fk::boardcheck
