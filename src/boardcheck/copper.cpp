// The checks of every hole against the copper of every layer as the board house etches it: the objects near
// the hole united (and cleared) in file order with Clipper, then the hole measured against the copper area it
// lies in and against the others.
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"
#include "platform/interrupt.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cmath>

namespace fk::boardcheck {

namespace {

using board::Fabrication;
using board::Hole;
using board::Image;
using board::Object;
using board::ObjectKind;
using board::Polygons;

// Larger outlines (pours) are cut into pieces of about this size, so that a hole's neighbourhood takes only
// the pieces near it.
const Length pieceSize = mils(250);
constexpr size_t pieceVertices = 400;
// How far beyond the limits the copper around a hole is looked at: what joins two areas farther away is not
// seen, and a plane's relief must lie within it.
const Length lookBeyond = mils(50);

Box boxOf(const board::Box& b) {
    return {b.left, b.bottom, b.right, b.top};
}

board::Box boundsOf(const Polygons& polygons) {
    board::Box box = board::Box::nothing();
    for (const auto& path : polygons) {
        for (const auto& p : path) {
            const Length x = Length::fromCount(p.X), y = Length::fromCount(p.Y);
            box.include({x, y, x, y});
        }
    }
    return box;
}

size_t verticesOf(const Polygons& polygons) {
    size_t n = 0;
    for (const auto& p : polygons)
        n += p.size();
    return n;
}

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

// One thing on a layer in file order: an object, or a piece of a large one.
struct Item {
    const Object* object = nullptr;
    std::int32_t piece = -1; // in the layer's pieces, for a piece of a large outline
    board::Box box{};
};

class LayerIndex {
  public:
    explicit LayerIndex(const board::BoardLayer& layer) : layer_(layer) {
        for (const Object& o : layer.image.objects) {
            if (o.kind == ObjectKind::Outlines && verticesOf(layer.image.outlines[o.shape]) > pieceVertices)
                cut(o, layer.image.outlines[o.shape], o.box);
            else
                items_.push_back({&o, -1, o.box});
        }
        std::vector<Box> boxes;
        boxes.reserve(items_.size());
        for (const auto& item : items_)
            boxes.push_back(boxOf(item.box));
        grid_ = std::make_unique<Grid>(boxes, mils(100));
    }

    const board::BoardLayer& layer() const { return layer_; }
    const Image& image() const { return layer_.image; }
    const Item& item(std::uint32_t i) const { return items_[i]; }

    // The items that may meet the box, in file order.
    std::vector<std::uint32_t> near(const board::Box& box) const {
        std::vector<std::uint32_t> found;
        grid_->near(boxOf(box), [&](std::uint32_t i) {
            if (items_[i].box.meets(box))
                found.push_back(i);
        });
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    }

    Polygons polygons(const Item& item) const {
        return item.piece >= 0 ? pieces_[size_t(item.piece)] : board::polygonsOf(image(), *item.object);
    }

  private:
    // Halves a large outline along its longer side until each piece is small.
    void cut(const Object& o, const Polygons& polygons, const board::Box& box) {
        if (polygons.empty())
            return;
        const bool small = verticesOf(polygons) <= pieceVertices ||
                           (box.right - box.left <= pieceSize && box.top - box.bottom <= pieceSize);
        if (small) {
            items_.push_back({&o, std::int32_t(pieces_.size()), boundsOf(polygons)});
            pieces_.push_back(polygons);
            return;
        }
        board::Box a = box, b = box;
        if (box.right - box.left >= box.top - box.bottom)
            a.right = b.left = box.left + (box.right - box.left) / 2;
        else
            a.top = b.bottom = box.bottom + (box.top - box.bottom) / 2;
        cut(o, clipped(polygons, a), a);
        cut(o, clipped(polygons, b), b);
    }

    const board::BoardLayer& layer_;
    std::vector<Item> items_;
    std::vector<Polygons> pieces_;
    std::unique_ptr<Grid> grid_;
};

// A copper area near a hole: its outline and holes.
struct Area {
    const ClipperLib::Path* outer = nullptr;
    std::vector<const ClipperLib::Path*> holes;
};

struct Segment {
    double ax, ay, bx, by;
};

double pointSegment(double px, double py, const Segment& s) {
    const double dx = s.bx - s.ax, dy = s.by - s.ay, len = dx * dx + dy * dy;
    double t = len > 0 ? ((px - s.ax) * dx + (py - s.ay) * dy) / len : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (s.ax + t * dx), py - (s.ay + t * dy));
}

bool crosses(const Segment& a, const Segment& b) {
    const auto side = [](double ax, double ay, double bx, double by, double px, double py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    const double d1 = side(a.ax, a.ay, a.bx, a.by, b.ax, b.ay), d2 = side(a.ax, a.ay, a.bx, a.by, b.bx, b.by);
    const double d3 = side(b.ax, b.ay, b.bx, b.by, a.ax, a.ay), d4 = side(b.ax, b.ay, b.bx, b.by, a.bx, a.by);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != 0 && d2 != 0 && d3 != 0 && d4 != 0;
}

double segmentDistance(const Segment& a, const Segment& b) {
    if (crosses(a, b))
        return 0;
    return std::min({pointSegment(a.ax, a.ay, b), pointSegment(a.bx, a.by, b), pointSegment(b.ax, b.ay, a),
                     pointSegment(b.bx, b.by, a)});
}

double pathDistance(const ClipperLib::Path& path, const Segment& s) {
    double least = INFINITY;
    for (size_t i = 0; i < path.size(); ++i) {
        const auto& p = path[i];
        const auto& q = path[(i + 1) % path.size()];
        least = std::min(least, segmentDistance({double(p.X), double(p.Y), double(q.X), double(q.Y)}, s));
    }
    return least;
}

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

// The copper near a hole, as the board house etches it.
class Neighbourhood {
  public:
    Neighbourhood(const LayerIndex& index, const board::Box& window) {
        Polygons copper;
        if (index.layer().plane) // a negative image: copper everywhere but where it draws
            copper.push_back({{window.left.count(), window.bottom.count()},
                              {window.right.count(), window.bottom.count()},
                              {window.right.count(), window.top.count()},
                              {window.left.count(), window.top.count()}});
        const auto near = index.near(window);
        for (size_t i = 0; i < near.size();) {
            const bool adds = index.item(near[i]).object->clear == index.layer().plane;
            Polygons group;
            for (; i < near.size() && (index.item(near[i]).object->clear == index.layer().plane) == adds;
                 ++i) {
                const Polygons p = index.polygons(index.item(near[i]));
                group.insert(group.end(), p.begin(), p.end());
            }
            ClipperLib::Clipper clipper;
            clipper.AddPaths(copper, ClipperLib::ptSubject, true);
            clipper.AddPaths(group, ClipperLib::ptClip, true);
            clipper.Execute(adds ? ClipperLib::ctUnion : ClipperLib::ctDifference, copper,
                            ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        }
        ClipperLib::Clipper clipper;
        clipper.AddPaths(copper, ClipperLib::ptSubject, true);
        clipper.Execute(ClipperLib::ctUnion, tree_, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
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
    ClipperLib::PolyTree tree_;
    std::vector<Area> areas_;
};

std::string holeName(const Fabrication& board, const Hole& h) {
    return std::string(h.plated ? "" : "unplated ") + (h.slot ? "slot" : "hole") + " of line " +
           std::to_string(h.line) + " (T" + std::to_string(h.tool) + ") of " +
           board.drills[size_t(h.file)].name;
}

struct Reporter {
    std::vector<Finding>& out;
    std::string plot;
    void operator()(Kind kind, Point at, std::optional<Length> measured, std::optional<Length> limit,
                    std::string message) const {
        out.push_back({kind, plot, at, measured, limit, std::move(message)});
    }
};

Length counts(double value) {
    return Length::fromCount(std::llround(value));
}

// The flashed pad whose shape holds the hole's centre nearest its own centre.
const Object* padOf(const LayerIndex& index, const Hole& h) {
    const Object* best = nullptr;
    Length nearest{};
    const ClipperLib::IntPoint c{h.at.x.count(), h.at.y.count()};
    for (std::uint32_t i : index.near(board::Box::around(h.at, Length()))) {
        const Object* o = index.item(i).object;
        if (!o->flash || o->clear)
            continue;
        bool holds = false;
        if (o->kind == ObjectKind::Circle) {
            holds = distance(h.at, o->from) <= o->radius;
        } else {
            int winding = 0;
            for (const auto& path : index.image().outlines[o->shape])
                winding +=
                    ClipperLib::PointInPolygon(c, path) != 0 ? (ClipperLib::Orientation(path) ? 1 : -1) : 0;
            holds = winding > 0;
        }
        const Length off = distance(h.at, o->from);
        if (holds && (!best || off < nearest))
            best = o, nearest = off;
    }
    return best;
}

void checkHole(const Fabrication& board, const LayerIndex& index, const Hole& h, const Limits& limits,
               const Reporter& report) {
    const Length r = h.diameter / 2;
    const Length reach = std::max(limits.ring, limits.clearance) + lookBeyond;
    const board::Box holeBox{std::min(h.at.x, h.end.x) - r, std::min(h.at.y, h.end.y) - r,
                             std::max(h.at.x, h.end.x) + r, std::max(h.at.y, h.end.y) + r};
    const Neighbourhood copper(index, holeBox.grown(reach));
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
    const std::string name = holeName(board, h);
    const bool plane = index.layer().plane;
    if (holding) {
        const Length ring = counts(areaDistance(*holding, axis)) - r;
        if (!h.plated)
            return; // an unplated hole in copper: drilled through a pad of its own
        if (plane) {
            if (ring >= reach - mils(1))
                return report(Kind::PlaneSolid, h.at, std::nullopt, std::nullopt,
                              name + " in the plane with neither thermal nor clearance");
            if (ring < limits.ring)
                report(Kind::PlaneClearance, h.at, ring, limits.ring,
                       name + ": thermal ring below the minimum");
            return;
        }
        if (ring < Length())
            return report(Kind::Breakout, h.at, ring, limits.ring, name + " leaves the copper it lies in");
        if (const Object* pad = padOf(index, h); pad && !h.slot) {
            const Length off = distance(h.at, pad->from);
            if (off > limits.registration)
                report(Kind::Registration, h.at, off, limits.registration,
                       name + " off the centre of its pad D" + std::to_string(pad->dcode) + " (line " +
                           std::to_string(pad->line) + ")");
        }
        if (ring < limits.ring)
            report(Kind::Ring, h.at, ring, limits.ring, name + ": annular ring below the minimum");
    } else if (other < double(r.count())) {
        if (h.plated && !plane)
            return report(Kind::Breakout, h.at, counts(other) - r, limits.ring,
                          name + " leaves the copper it lies in");
    } else if (h.plated && !plane) {
        return report(Kind::NoPad, h.at, std::nullopt, std::nullopt, name + " lies on no copper");
    }
    if (other == INFINITY)
        return;
    const Length gap = counts(other) - r;
    if (gap < limits.clearance)
        report(plane ? Kind::PlaneClearance : Kind::Clearance, h.at, gap, limits.clearance,
               plane ? name + ": clearance below the minimum" : name + ": copper of another area too close");
}

void checkPadsWithoutHoles(const Fabrication& board, const LayerIndex& index, const Grid& holes,
                           const Reporter& report) {
    for (const Object& o : index.image().objects) {
        if (!o.flash || o.clear ||
            (o.function != board::PadFunction::ComponentPad && o.function != board::PadFunction::ViaPad))
            continue;
        bool drilled = false;
        holes.near(boxOf(o.box), [&](std::uint32_t i) {
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

bool objectHoldsPiece(const Polygons& polygons, Point p) {
    const ClipperLib::IntPoint c{p.x.count(), p.y.count()};
    int winding = 0;
    for (const auto& path : polygons)
        winding += ClipperLib::PointInPolygon(c, path) != 0 ? (ClipperLib::Orientation(path) ? 1 : -1) : 0;
    return winding > 0;
}

// Whether an object's own shape holds the point (clear objects included).
bool objectHolds(const Image& image, const Object& o, Point p) {
    switch (o.kind) {
    case ObjectKind::Circle:
        return distance(p, o.from) <= o.radius;
    case ObjectKind::Stroke:
        return pointSegment(double(p.x.count()), double(p.y.count()),
                            {double(o.from.x.count()), double(o.from.y.count()), double(o.to.x.count()),
                             double(o.to.y.count())}) <= double(o.radius.count());
    case ObjectKind::Outlines:
        break;
    }
    const ClipperLib::IntPoint c{p.x.count(), p.y.count()};
    int winding = 0;
    for (const auto& path : image.outlines[o.shape])
        winding += ClipperLib::PointInPolygon(c, path) != 0 ? (ClipperLib::Orientation(path) ? 1 : -1) : 0;
    return winding > 0;
}

} // namespace

struct CopperPoints::Layers {
    std::vector<std::unique_ptr<LayerIndex>> indexes;
};

CopperPoints::CopperPoints(const Fabrication& board) : layers_(std::make_unique<Layers>()) {
    for (const auto& layer : board.layers) {
        if (board::isCopper(layer.role) && !layer.plane)
            layers_->indexes.push_back(std::make_unique<LayerIndex>(layer));
    }
}

CopperPoints::~CopperPoints() = default;

// The last object in file order that holds the point decides: dark is copper, clear is none.
bool CopperPoints::holds(Point p) const {
    for (const auto& index : layers_->indexes) {
        const auto near = index->near(board::Box::around(p, Length()));
        for (auto i = near.rbegin(); i != near.rend(); ++i) {
            const Item& item = index->item(*i);
            const bool inside = item.piece >= 0 ? objectHoldsPiece(index->polygons(item), p)
                                                : objectHolds(index->image(), *item.object, p);
            if (inside) {
                if (!item.object->clear)
                    return true;
                break;
            }
        }
    }
    return false;
}

std::vector<Finding> checkFabrication(const Fabrication& board, const Limits& limits) {
    std::vector<Box> holeBoxes;
    holeBoxes.reserve(board.holes.size());
    for (const auto& h : board.holes)
        holeBoxes.push_back(boxOf(board::Box::around(h.at, h.diameter / 2)));
    const Grid holes(holeBoxes, mils(50));
    std::vector<Finding> findings;
    for (const auto& layer : board.layers) {
        platform::checkInterrupted();
        if (!board::isCopper(layer.role))
            continue;
        const LayerIndex index(layer);
        const Reporter report{findings, layer.image.name};
        for (const auto& h : board.holes)
            checkHole(board, index, h, limits, report);
        if (!layer.plane)
            checkPadsWithoutHoles(board, index, holes, report);
    }
    checkHolePairs(board.holes, holes, limits, findings,
                   board.drills.size() == 1 ? board.drills[0].name : "the drill files");
    return findings;
}

} // namespace fk::boardcheck
