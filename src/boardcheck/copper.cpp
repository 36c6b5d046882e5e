// The checks of every hole against the copper of every layer as the board house etches it. The usual hole is
// settled from the objects near it; any other has the copper near it united (and cleared) in file order with
// Clipper, and is measured against the copper area it lies in and against the others.
#include "boardcheck/copperindex.hpp"
#include "boardcheck/model.hpp"
#include "platform/interrupt.hpp"

#include <algorithm>
#include <cmath>
#include <set>

namespace fk::boardcheck {

namespace {

using board::Fabrication;
using board::Hole;
using board::Object;

// How far beyond the limits the copper around a hole is looked at: a plane's thermal relief must lie within
// it, and copper that joins farther away counts as another area.
const Length lookBeyond = mils(100);

Length counts(double value) {
    return Length::fromCount(std::llround(value));
}

// A copper area near a hole: its outline and holes.
struct Area {
    const ClipperLib::Path* outer = nullptr;
    std::vector<const ClipperLib::Path*> holes;
};

double areaDistance(const Area& area, const Segment& s) {
    double least = pathDistance(*area.outer, s);
    for (const auto* h : area.holes)
        least = std::min(least, pathDistance(*h, s));
    return least;
}

bool areaHolds(const Area& area, const ClipperLib::IntPoint& p) {
    if (ClipperLib::PointInPolygon(p, *area.outer) == 0)
        return false;
    return std::none_of(area.holes.begin(), area.holes.end(),
                        [&](const ClipperLib::Path* h) { return ClipperLib::PointInPolygon(p, *h) == 1; });
}

// The copper in a window around a hole, as the board house etches it: each run of objects of one polarity
// united with what lies below or taken from it, in file order, then cut to the window (beyond it, a pour's
// piece may stand without the piece of its hole). A plane (a negative image) starts as copper over the
// window.
class Neighbourhood {
  public:
    Neighbourhood(const LayerIndex& index, const board::Box& window)
        : frame_{{window.left.count(), window.bottom.count()},
                 {window.right.count(), window.bottom.count()},
                 {window.right.count(), window.top.count()},
                 {window.left.count(), window.top.count()}} {
        Polygons copper;
        const bool plane = index.layer().plane;
        if (plane)
            copper.push_back(frame_);
        const auto near = index.near(window);
        for (size_t i = 0; i < near.size();) {
            const bool adds = near[i].object->clear == plane;
            Polygons group;
            for (; i < near.size() && (near[i].object->clear == plane) == adds; ++i) {
                for (const Item* item : near[i].items) {
                    // What reaches beyond the window is cut to it first: a large round aperture dragged
                    // along an arc is hundreds of outlines of thousands of points, nearly all far away.
                    // (A round object is one outline: cut alone it keeps its fill; a hole of a pour would
                    // not.)
                    const bool inside = item->box.left >= window.left && item->box.right <= window.right &&
                                        item->box.bottom >= window.bottom && item->box.top <= window.top;
                    const bool round = item->object->kind != board::ObjectKind::Outlines;
                    const Polygons p =
                        inside || !round ? index.polygons(*item) : clipped(index.polygons(*item), window);
                    group.insert(group.end(), p.begin(), p.end());
                }
            }
            ClipperLib::Clipper clipper;
            clipper.AddPaths(copper, ClipperLib::ptSubject, true);
            clipper.AddPaths(group, ClipperLib::ptClip, true);
            // Positive: a hole of a pour whose outline lies outside the window adds nothing.
            clipper.Execute(adds ? ClipperLib::ctUnion : ClipperLib::ctDifference, copper,
                            ClipperLib::pftPositive, ClipperLib::pftPositive);
        }
        ClipperLib::Clipper clipper;
        clipper.AddPaths(copper, ClipperLib::ptSubject, true);
        clipper.AddPath(frame_, ClipperLib::ptClip, true);
        clipper.Execute(ClipperLib::ctIntersection, tree_, ClipperLib::pftPositive, ClipperLib::pftPositive);
        for (const ClipperLib::PolyNode* node = tree_.GetFirst(); node; node = node->GetNext()) {
            if (node->IsHole())
                continue;
            Area area{&node->Contour, {}};
            for (const auto* child : node->Childs)
                area.holes.push_back(&child->Contour);
            areas_.push_back(std::move(area));
        }
    }
    const std::vector<Area>& areas() const { return areas_; }

  private:
    ClipperLib::Path frame_;
    ClipperLib::PolyTree tree_;
    std::vector<Area> areas_;
};

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

// How far a point lies outside the boxes of an object's items near it (0 inside one): no part of the
// object is nearer.
double boxGap(const Nearby& n, Point p) {
    double least = INFINITY;
    for (const Item* item : n.items) {
        const double gx = double(std::max({Length(), item->box.left - p.x, p.x - item->box.right}).count());
        const double gy = double(std::max({Length(), item->box.bottom - p.y, p.y - item->box.top}).count());
        least = std::min(least, gx * gx + gy * gy);
    }
    return std::sqrt(least);
}

// The usual hole on a copper layer, settled without uniting the copper: no clear object near it, the hole
// deep enough inside one object (its ring at least the minimum), and every other object nearer than the
// clearance joined to that copper. False when only the united copper can tell.
bool settledQuickly(const LayerIndex& index, const Hole& h, const board::Box& window, const Limits& limits) {
    if (h.slot || !h.plated)
        return false;
    const double r = double((h.diameter / 2).count());
    std::vector<Nearby> holding, others;
    double deepest = 0;
    const double reach = r + double(limits.clearance.count());
    const NearbyList near = index.near(window); // `holding` points into it
    for (const Nearby& n : near) {
        if (n.object->clear)
            return false;
        if (boxGap(n, h.at) > reach + 1)
            continue; // farther than any copper that matters here: neither holding nor near
        const double sd = index.signedDistance(n, h.at);
        if (sd < 0)
            deepest = std::max(deepest, -sd), holding.push_back(n);
        else if (sd - r < double(limits.clearance.count()))
            others.push_back(n);
    }
    if (holding.empty() || deepest - r < double(limits.ring.count()))
        return false;
    const auto joined = [&](const Nearby& n) {
        const auto corners = index.corners(n);
        return std::any_of(corners.begin(), corners.end(), [&](Point p) {
            return std::any_of(holding.begin(), holding.end(),
                               [&](const Nearby& hold) { return index.holds(hold, p); });
        });
    };
    return std::all_of(others.begin(), others.end(), joined);
}

// In a plane (a negative image) with no clear object near the hole: the plane's copper around the hole ends
// at the nearest thing drawn, exactly; a hole inside a drawn clearance is settled when the deepest one alone
// leaves enough. False when only the united copper can tell.
bool planeSettledQuickly(const LayerIndex& index, const Hole& h, const board::Box& window,
                         const Limits& limits, Length reach, const HoleName& name, const Reporter& report) {
    if (h.slot || !h.plated)
        return false;
    const double r = double((h.diameter / 2).count());
    double nearest = INFINITY, deepest = 0;
    for (const Nearby& n : index.near(window)) {
        // A large outline cut into pieces has edges along the cuts that are no edges of copper.
        const bool cut =
            std::any_of(n.items.begin(), n.items.end(), [](const Item* i) { return i->piece >= 0; });
        if (n.object->clear || cut)
            return false;
        const double sd = index.signedDistance(n, h.at);
        if (sd < 0)
            deepest = std::max(deepest, -sd);
        else
            nearest = std::min(nearest, sd);
    }
    if (deepest > 0)
        return deepest - r >= double(limits.clearance.count());
    const Length ring = counts(std::min(nearest, 1e18)) - h.diameter / 2;
    if (ring >= reach)
        report(Kind::PlaneSolid, h.at, std::nullopt, std::nullopt,
               name() + " in the plane with neither thermal nor clearance");
    else if (ring < limits.ring)
        report(Kind::PlaneClearance, h.at, ring, limits.ring, name() + ": thermal ring below the minimum");
    return true;
}

// The flashed pad whose shape holds the hole's centre nearest its own centre.
const Object* padOf(const LayerIndex& index, const Hole& h) {
    const Object* best = nullptr;
    Length nearest{};
    for (const Nearby& n : index.near(board::Box::around(h.at, Length()))) {
        if (!n.object->flash || n.object->clear || !index.holds(n, h.at))
            continue;
        const Length off = distance(h.at, n.object->from);
        if (!best || off < nearest)
            best = n.object, nearest = off;
    }
    return best;
}

void checkRegistration(const LayerIndex& index, const Hole& h, const Limits& limits, const HoleName& name,
                       const Reporter& report) {
    const Object* pad = h.slot ? nullptr : padOf(index, h);
    if (!pad)
        return;
    const Length off = distance(h.at, pad->from);
    if (off > limits.registration)
        report(Kind::Registration, h.at, off, limits.registration,
               name() + " off the centre of its pad D" + std::to_string(pad->dcode) + " (line " +
                   std::to_string(pad->line) + ")");
}

// A hole inside copper: its ring, or in a plane its thermal; unplated holes need none.
void checkHeldHole(const LayerIndex& index, const Hole& h, Length ring, Length reach, const Limits& limits,
                   const HoleName& name, const Reporter& report) {
    if (!h.plated)
        return;
    if (index.layer().plane) {
        if (ring >= reach)
            report(Kind::PlaneSolid, h.at, std::nullopt, std::nullopt,
                   name() + " in the plane with neither thermal nor clearance");
        else if (ring < limits.ring)
            report(Kind::PlaneClearance, h.at, ring, limits.ring,
                   name() + ": thermal ring below the minimum");
        return;
    }
    if (ring < Length())
        return report(Kind::Breakout, h.at, ring, limits.ring, name() + " leaves the copper it lies in");
    checkRegistration(index, h, limits, name, report);
    if (ring < limits.ring)
        report(Kind::Ring, h.at, ring, limits.ring, name() + ": annular ring below the minimum");
}

// Where the files name nets (X2 %TO.N): copper of two nets both under the hole is one area on the board, a
// short (a pour that swallowed a pad's clearance). Without net names such copper is one area like any other.
void checkNets(const LayerIndex& index, const Hole& h, const Limits& limits, const HoleName& name,
               const Reporter& report) {
    const auto& nets = index.image().nets;
    std::uint32_t first = 0;
    for (const Nearby& n : index.near(board::Box::around(h.at, Length()))) {
        if (n.object->clear || n.object->net == 0 || !index.holds(n, h.at))
            continue;
        if (first == 0) {
            first = n.object->net;
        } else if (n.object->net != first) {
            report(Kind::Clearance, h.at, Length(), limits.clearance,
                   name() + ": copper of nets " + nets[first - 1] + " and " + nets[n.object->net - 1] +
                       " meets under it (line " + std::to_string(n.object->line) + ")");
            return;
        }
    }
}

void checkHole(const Fabrication& board, const LayerIndex& index, const Hole& h, const Limits& limits,
               const Reporter& report) {
    const Length r = h.diameter / 2;
    const bool plane = index.layer().plane;
    const Length reach = std::max(limits.ring, limits.clearance) + (plane ? lookBeyond : mils(2));
    const board::Box holeBox{std::min(h.at.x, h.end.x) - r, std::min(h.at.y, h.end.y) - r,
                             std::max(h.at.x, h.end.x) + r, std::max(h.at.y, h.end.y) + r};
    const HoleName name{board, h};
    if (!plane && !index.image().nets.empty())
        checkNets(index, h, limits, name, report);
    if (plane && planeSettledQuickly(index, h, holeBox.grown(reach), limits, reach, name, report))
        return;
    if (!plane && settledQuickly(index, h, holeBox.grown(reach), limits))
        return checkRegistration(index, h, limits, name, report);
    const Neighbourhood copper(index, holeBox.grown(plane ? reach : reach + lookBeyond));
    const Segment axis{double(h.at.x.count()), double(h.at.y.count()), double(h.end.x.count()),
                       double(h.end.y.count())};
    const ClipperLib::IntPoint centre{h.at.x.count(), h.at.y.count()};
    const Area* holding = nullptr;
    double other = INFINITY;
    for (const Area& area : copper.areas()) {
        if (!holding && areaHolds(area, centre))
            holding = &area;
        else
            other = std::min(other, areaDistance(area, axis));
    }
    if (holding) {
        // An unplated hole through copper (a pad of its own size, as Altium draws them) needs no ring; its
        // gap to other copper counts all the same.
        if (h.plated)
            checkHeldHole(index, h, counts(areaDistance(*holding, axis)) - r, reach, limits, name, report);
    } else if (h.plated && !plane) {
        if (other < double(r.count()))
            return report(Kind::Breakout, h.at, counts(other) - r, limits.ring,
                          name() + " leaves the copper it lies in");
        return report(Kind::NoPad, h.at, std::nullopt, std::nullopt, name() + " lies on no copper");
    }
    if (other == INFINITY)
        return;
    const Length gap = counts(other) - r;
    if (gap < limits.clearance)
        report(plane ? Kind::PlaneClearance : Kind::Clearance, h.at, gap, limits.clearance,
               plane ? name() + ": clearance below the minimum"
                     : name() + ": copper of another area too close");
}

// Pads the files say need a hole (X2 ComponentPad or ViaPad), with none drilled in them.
void checkPadsWithoutHoles(const Fabrication& board, const LayerIndex& index, const Grid& holes,
                           const Reporter& report) {
    for (const Object& o : index.image().objects) {
        if (!o.flash || o.clear ||
            (o.function != board::PadFunction::ComponentPad && o.function != board::PadFunction::ViaPad))
            continue;
        bool drilled = false;
        holes.near(o.box, [&](std::uint32_t i) {
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

struct CopperPoints::Layers {
    std::vector<std::unique_ptr<LayerIndex>> indexes; // of every copper layer, planes too
};

CopperPoints::CopperPoints(const Fabrication& board) : layers_(std::make_unique<Layers>()) {
    for (const auto& layer : board.layers) {
        if (board::isCopper(layer.role))
            layers_->indexes.push_back(std::make_unique<LayerIndex>(layer));
    }
}

CopperPoints::~CopperPoints() = default;

// The last object in file order that holds the point decides: dark is copper, clear is none.
bool CopperPoints::holds(Point p) const {
    for (const auto& index : layers_->indexes) {
        if (index->layer().plane)
            continue;
        const auto near = index->near(board::Box::around(p, Length()));
        for (auto n = near.rbegin(); n != near.rend(); ++n) {
            if (index->holds(*n, p)) {
                if (!n->object->clear)
                    return true;
                break;
            }
        }
    }
    return false;
}

std::vector<Finding> checkFabrication(const Fabrication& board, const CopperPoints& copper,
                                      const Limits& limits) {
    std::vector<Box> holeBoxes;
    holeBoxes.reserve(board.holes.size());
    for (const auto& h : board.holes)
        holeBoxes.push_back(board::Box::around(h.at, h.diameter / 2));
    const Grid holes(holeBoxes, mils(50));
    std::vector<Finding> findings;
    for (const auto& index : copper.layers_->indexes) {
        platform::checkInterrupted(); // a stop asked for ends the check between layers
        const Reporter report{findings, index->image().name};
        for (const auto& h : board.holes)
            checkHole(board, *index, h, limits, report);
        if (!index->layer().plane)
            checkPadsWithoutHoles(board, *index, holes, report);
    }
    checkHolePairs(board.holes, holes, limits, findings,
                   board.drills.size() == 1 ? board.drills[0].name : "the drill files");
    return findings;
}

} // namespace fk::boardcheck

namespace fk::boardcheck {

namespace {

bool isPadKind(Kind kind) {
    return kind == Kind::NoPad || kind == Kind::Breakout || kind == Kind::Ring;
}

} // namespace

std::vector<Finding> onEtchedCopper(const Board& board, std::vector<Finding> findings, const Limits& limits) {
    // Only the plots with a pad finding are filled and united: a clean design costs nothing more.
    std::set<std::string> weighed;
    for (const auto& f : findings)
        if (isPadKind(f.kind))
            weighed.insert(f.plot);
    if (weighed.empty())
        return findings;
    Fabrication etched;
    etched.drills.push_back({.name = board.drillPath.substr(board.drillPath.find_last_of('\\') + 1),
                             .text = {},
                             .plated = true,
                             .format = board.drillFormat});
    for (const auto& plot : board.plots)
        if (plot.copper && !plot.plane &&
            weighed.contains(plot.path.substr(plot.path.find_last_of('\\') + 1)))
            etched.layers.push_back(
                {.role = {.layer = board::Layer::TopCopper}, .image = board::imageOf(plot), .plane = false});
    etched.holes = board.holes;
    const CopperPoints copper(etched);
    const std::vector<Finding> measured = checkFabrication(etched, copper, limits);
    std::vector<Finding> kept;
    for (auto& f : findings) {
        if (!isPadKind(f.kind)) {
            kept.push_back(std::move(f));
            continue;
        }
        const auto same = std::find_if(measured.begin(), measured.end(), [&](const Finding& g) {
            return isPadKind(g.kind) && g.plot == f.plot && g.at == f.at;
        });
        if (same == measured.end())
            continue; // the copper around the hole is enough: a track, a fill or pads that overlap
        if (same->kind != f.kind)
            kept.push_back(*same);
        else
            f.measured = same->measured, kept.push_back(std::move(f));
    }
    return kept;
}

} // namespace fk::boardcheck
