// The pieces of a copper layer from its image: each dark object a piece, each run of clear objects taken out
// of the pieces below it with Clipper (in file order, so that later copper stays), and a plane's copper as
// its frame with what it draws taken out. Regions are cleaned into simple outlines once.
#include "boardcheck/copperlayer.hpp"
#include "platform/interrupt.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <map>
#include <optional>

namespace fk::boardcheck {

namespace {

using board::Object;
using board::ObjectKind;
using board::Polygons;

Vec vecOf(board::Point p) {
    return {double(p.x.count()), double(p.y.count())};
}

board::Box boundsOf(const Polygons& polygons) {
    board::Box box = board::Box::nothing();
    for (const auto& path : polygons)
        for (const auto& p : path) {
            const auto x = util::Length::fromCount(p.X), y = util::Length::fromCount(p.Y);
            box.include({x, y, x, y});
        }
    return box;
}

size_t verticesOf(const Polygons& polygons) {
    size_t n = 0;
    for (const auto& p : polygons)
        n += p.size();
    return n;
}

board::Box boxOfPath(const ClipperLib::Path& path) {
    board::Box box = board::Box::nothing();
    for (const auto& p : path) {
        const auto x = util::Length::fromCount(p.X), y = util::Length::fromCount(p.Y);
        box.include({x, y, x, y});
    }
    return box;
}

bool within(const board::Box& inner, const board::Box& outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.bottom >= outer.bottom &&
           inner.top <= outer.top;
}

// Whether a large region's loops are as a pour's are: one outline counter-clockwise and holes clockwise
// inside it, no two holes' boxes meeting. Then no loop runs over another, and the loops are its copper's
// edges as they stand; anything else, and every small region, is cleaned.
bool plainPour(const Polygons& polygons) {
    std::vector<board::Box> holes;
    std::optional<board::Box> outer;
    for (const auto& path : polygons) {
        if (!ClipperLib::Orientation(path)) {
            holes.push_back(boxOfPath(path));
            continue;
        }
        if (outer)
            return false;
        outer = boxOfPath(path);
    }
    if (!outer)
        return false;
    std::sort(holes.begin(), holes.end(),
              [](const board::Box& a, const board::Box& b) { return a.left < b.left; });
    for (size_t i = 0; i < holes.size(); ++i) {
        if (!within(holes[i], *outer))
            return false;
        for (size_t j = i + 1; j < holes.size() && holes[j].left <= holes[i].right; ++j)
            if (holes[j].meets(holes[i]))
                return false;
    }
    return true;
}

// A region's outline as simple paths, counter-clockwise outside and clockwise round holes, none crossing.
Polygons cleaned(const Polygons& polygons) {
    Polygons out;
    ClipperLib::SimplifyPolygons(polygons, out, ClipperLib::pftNonZero);
    return out;
}

// How far a round shape's centre line stays from a box (0 where it enters it).
double boxDistance(const board::Box& box, const Seg& core) {
    const Vec corners[] = {{double(box.left.count()), double(box.bottom.count())},
                           {double(box.right.count()), double(box.bottom.count())},
                           {double(box.right.count()), double(box.top.count())},
                           {double(box.left.count()), double(box.top.count())}};
    const auto inside = [&](Vec v) {
        return v.x >= corners[0].x && v.x <= corners[2].x && v.y >= corners[0].y && v.y <= corners[2].y;
    };
    if (inside(core.a) || inside(core.b))
        return 0;
    double least = INFINITY;
    for (int i = 0; i < 4; ++i)
        least = std::min(least, segmentSegment(core, {corners[i], corners[(i + 1) % 4]}).distance);
    return least;
}

// Whether a round shape covers the whole box: every corner within its radius of its centre line.
bool boxInside(const board::Box& box, const Seg& core, double radius) {
    for (const Vec v : {Vec{double(box.left.count()), double(box.bottom.count())},
                        Vec{double(box.right.count()), double(box.bottom.count())},
                        Vec{double(box.right.count()), double(box.top.count())},
                        Vec{double(box.left.count()), double(box.top.count())}})
        if (pointSegment(v, core).distance > radius)
            return false;
    return true;
}

} // namespace

// Fills a layer's pieces and polygons; the polygons of untouched objects are the image's own.
class LayerBuilder {
  public:
    LayerBuilder(CopperLayer& layer, const board::Box& frame) : layer_(layer), frame_(frame) {}

    void build() {
        const board::Image& image = layer_.image();
        const bool plane = layer_.inverted();
        if (plane)
            addFrame();
        const auto& objects = image.objects;
        alive_.assign(objects.size(), noPiece);
        std::optional<Grid> grid;
        for (size_t k = 0; k < objects.size();) {
            if ((k & 1023) == 0)
                platform::checkInterrupted();
            const bool dark = objects[k].clear == plane;
            if (dark) {
                if (!firstDrawn(objects, std::uint32_t(k))) {
                    ++k; // drawn again where it already stands: no more copper, and no work per copy
                    continue;
                }
                alive_[k] = std::uint32_t(layer_.pieces_.size());
                layer_.pieces_.push_back(pieceOf(objects[k], std::uint32_t(k)));
                ++k;
                continue;
            }
            if (!grid)
                grid.emplace(boxesOf(objects), mils(50));
            size_t end = k;
            while (end < objects.size() && (objects[end].clear == plane) == false)
                ++end;
            clearRun(*grid, k, end);
            forgetDrawn(); // what is drawn after a clear adds copper again
            k = end;
        }
        compact();
    }

  private:
    static constexpr std::uint32_t noPiece = UINT32_MAX;

    static std::vector<board::Box> boxesOf(const std::vector<Object>& objects) {
        std::vector<board::Box> boxes;
        boxes.reserve(objects.size());
        for (const auto& o : objects)
            boxes.push_back(o.box);
        return boxes;
    }

    std::uint32_t ownPolygons(Polygons polygons) {
        layer_.polys_.push_back(std::make_shared<Polygons>(std::move(polygons)));
        return std::uint32_t(layer_.polys_.size() - 1);
    }

    void addFrame() {
        const board::Box& f = frame_;
        Polygons frame{{{f.left.count(), f.bottom.count()},
                        {f.right.count(), f.bottom.count()},
                        {f.right.count(), f.top.count()},
                        {f.left.count(), f.top.count()}}};
        framePiece_ = std::uint32_t(layer_.pieces_.size());
        layer_.pieces_.push_back(
            {.kind = PieceKind::Poly, .poly = ownPolygons(std::move(frame)), .object = noObject, .box = f});
    }

    Piece pieceOf(const Object& o, std::uint32_t index) {
        Piece p{.object = index, .box = o.box};
        switch (o.kind) {
        case ObjectKind::Circle:
            p.kind = PieceKind::Disc;
            p.core = {vecOf(o.from), vecOf(o.from)};
            p.radius = double(o.radius.count());
            return p;
        case ObjectKind::Stroke:
            p.kind = o.from == o.to ? PieceKind::Disc : PieceKind::Capsule;
            p.core = {vecOf(o.from), vecOf(o.to)};
            p.radius = double(o.radius.count());
            return p;
        case ObjectKind::Outlines:
            break;
        }
        p.kind = PieceKind::Poly;
        const Polygons& outlines = layer_.image().outlines[o.shape];
        // A region may run over itself or hold its holes by cut lines: cleaned, its edges are copper's edges.
        const size_t vertices = verticesOf(outlines);
        if (o.dcode == 0 && (outlines.size() > 1 || vertices > 4) &&
            (vertices <= 4096 || !plainPour(outlines)))
            p.poly = ownPolygons(cleaned(outlines));
        else
            p.poly = imagePolygons(o.shape);
        return p;
    }

    std::uint32_t imagePolygons(std::uint32_t shape) {
        const auto [at, added] = shared_.try_emplace(shape, std::uint32_t(layer_.polys_.size()));
        if (added) // shared, not copied: the image outlives the layer
            layer_.polys_.push_back(std::shared_ptr<const Polygons>(std::shared_ptr<const Polygons>(),
                                                                    &layer_.image().outlines[shape]));
        return at->second;
    }

    // Takes a run of clear objects out of every piece below them that they meet, one Clipper call a piece.
    void clearRun(const Grid& grid, size_t first, size_t end) {
        const auto& objects = layer_.image().objects;
        std::map<std::uint32_t, std::vector<size_t>> cut; // piece: the clear objects that meet it
        for (size_t k = first; k < end; ++k) {
            grid.visitNear(objects[k].box, [&](std::uint32_t j) {
                if (j < first && alive_[j] != noPiece && objects[j].box.meets(objects[k].box))
                    cut[alive_[j]].push_back(k);
            });
            if (framePiece_ != noPiece && layer_.pieces_[framePiece_].box.meets(objects[k].box))
                cut[framePiece_].push_back(k);
        }
        for (auto& [piece, clears] : cut) {
            std::sort(clears.begin(), clears.end());
            clears.erase(std::unique(clears.begin(), clears.end()), clears.end());
            Piece& p = layer_.pieces_[piece];
            if (p.box.empty())
                continue; // cleared away by an earlier run
            if (piece == framePiece_ && !frameCut_) {
                frameCut_ = true;
                cutFrame(p, clears);
                continue;
            }
            // Only the part of each clear object over the piece matters: a large round one that covers the
            // piece whole takes it away, one that misses it is passed over, the rest are cut to the piece's
            // box.
            Polygons clip;
            bool whole = false;
            for (const size_t k : clears) {
                const Object& o = objects[k];
                if (o.kind != ObjectKind::Outlines) {
                    const Seg core{vecOf(o.from), vecOf(o.to)};
                    const double r = double(o.radius.count());
                    if (boxDistance(p.box, core) > r)
                        continue;
                    if (boxInside(p.box, core, r)) {
                        whole = true;
                        break;
                    }
                }
                const Polygons part =
                    board::boxClipped(board::polygonsOf(layer_.image(), o), p.box.grown(mils(1)));
                clip.insert(clip.end(), part.begin(), part.end());
            }
            if (whole || clip.empty()) {
                if (whole)
                    p.box = board::Box::nothing();
                continue;
            }
            Polygons left = board::combined(polygonsOf(p), clip, ClipperLib::ctDifference);
            if (left.empty()) {
                p.box = board::Box::nothing(); // gone: dropped when the pieces are compacted
                continue;
            }
            p.box = boundsOf(left);
            p.kind = PieceKind::Poly;
            p.poly = ownPolygons(std::move(left));
        }
    }

    // A plane's first cut: its frame less clear objects that stand apart inside it is the frame with their
    // outlines as holes, made without one cut of the whole board (which took most of the time and memory of
    // a plane with ten thousand reliefs). Objects whose boxes meet are united first, and those that reach the
    // frame's edge are cut from it the ordinary way.
    void cutFrame(Piece& p, const std::vector<size_t>& clears) {
        const auto& objects = layer_.image().objects;
        std::vector<board::Box> boxes;
        for (const size_t k : clears)
            boxes.push_back(objects[k].box);
        UnionFind groups(clears.size());
        const Grid grid(boxes, mils(50));
        for (std::uint32_t i = 0; i < clears.size(); ++i)
            grid.visitNear(boxes[i], [&](std::uint32_t j) {
                if (j > i && boxes[i].meets(boxes[j]))
                    groups.unite(i, j);
            });
        std::map<std::uint32_t, std::vector<size_t>> members;
        for (std::uint32_t i = 0; i < clears.size(); ++i)
            members[groups.find(i)].push_back(clears[i]);
        const board::Box& f = p.box;
        Polygons reaching, holes;
        size_t done = 0;
        for (const auto& [first, group] : members) {
            if ((done++ & 1023) == 0)
                platform::checkInterrupted();
            board::Box box = board::Box::nothing();
            Polygons shapes;
            for (const size_t k : group) {
                box.include(objects[k].box);
                const Polygons part = board::polygonsOf(layer_.image(), objects[k]);
                shapes.insert(shapes.end(), part.begin(), part.end());
            }
            if (box.left > f.left && box.right < f.right && box.bottom > f.bottom && box.top < f.top) {
                Polygons united = board::combined(shapes, {}, ClipperLib::ctUnion);
                ClipperLib::ReversePaths(united); // copper lies outside them
                holes.insert(holes.end(), united.begin(), united.end());
            } else {
                reaching.insert(reaching.end(), shapes.begin(), shapes.end());
            }
        }
        Polygons left = polygonsOf(p);
        if (!reaching.empty())
            left = board::combined(left, reaching, ClipperLib::ctDifference);
        if (left.empty()) {
            p.box = board::Box::nothing(); // gone: dropped when the pieces are compacted
            return;
        }
        left.insert(left.end(), holes.begin(), holes.end());
        p.box = boundsOf(left);
        p.poly = ownPolygons(std::move(left));
    }

    Polygons polygonsOf(const Piece& p) const {
        if (p.kind == PieceKind::Poly)
            return *layer_.polys_[p.poly];
        const board::Point a{util::Length::fromCount(std::llround(p.core.a.x)),
                             util::Length::fromCount(std::llround(p.core.a.y))};
        const board::Point b{util::Length::fromCount(std::llround(p.core.b.x)),
                             util::Length::fromCount(std::llround(p.core.b.y))};
        const auto r = util::Length::fromCount(std::llround(p.radius));
        return p.kind == PieceKind::Disc ? board::circlePolygon(a, r) : board::strokePolygon(a, b, r);
    }

    void compact() {
        auto& pieces = layer_.pieces_;
        pieces.erase(
            std::remove_if(pieces.begin(), pieces.end(), [](const Piece& p) { return p.box.empty(); }),
            pieces.end());
    }

    CopperLayer& layer_;
    board::Box frame_;
    std::vector<std::uint32_t> alive_; // each object's piece, while it has one
    // What makes two dark objects the same copper: kind, aperture, place and net (a region's shape is its
    // own).
    using Key = std::array<std::int64_t, 9>;
    static Key keyOf(const Object& o) {
        return {std::int64_t(o.kind),
                o.dcode,
                o.flash,
                o.from.x.count(),
                o.from.y.count(),
                o.to.x.count(),
                o.to.y.count(),
                o.kind == ObjectKind::Outlines ? std::int64_t(o.shape) : o.radius.count(),
                o.net};
    }
    struct KeyHash {
        // Mixed so that the low bits, which pick the slot, depend on every bit of every field.
        size_t operator()(const Key& k) const {
            std::uint64_t h = 0;
            for (const std::int64_t v : k)
                h = (h ^ std::uint64_t(v)) * 0x9E3779B97F4A7C15u;
            return size_t(h ^ (h >> 29));
        }
    };
    // The objects drawn since the last clear, by their key's hash (open addressing, linear probing): a
    // table of numbers, a million of them in a few megabytes with no allocation each.
    std::vector<std::uint32_t> drawn_;
    std::vector<std::uint32_t> filled_; // the slots taken, to empty after a clear

    bool firstDrawn(const std::vector<Object>& objects, std::uint32_t k) {
        if (drawn_.empty()) {
            size_t slots = 16;
            while (slots < 2 * objects.size())
                slots *= 2;
            drawn_.assign(slots, noPiece);
        }
        const Key key = keyOf(objects[k]);
        for (size_t slot = KeyHash{}(key) & (drawn_.size() - 1);; slot = (slot + 1) & (drawn_.size() - 1)) {
            if (drawn_[slot] == noPiece) {
                drawn_[slot] = k;
                filled_.push_back(std::uint32_t(slot));
                return true;
            }
            if (keyOf(objects[drawn_[slot]]) == key)
                return false;
        }
    }
    void forgetDrawn() {
        for (const std::uint32_t slot : filled_)
            drawn_[slot] = noPiece;
        filled_.clear();
    }
    std::uint32_t framePiece_ = noPiece;
    bool frameCut_ = false;                         // the frame still the rectangle it started as
    std::map<std::uint32_t, std::uint32_t> shared_; // image outlines already referred to
};

CopperLayer::CopperLayer(const board::BoardLayer& layer, const board::Box& frame)
    : CopperLayer(layer, frame, layer.plane) {}

CopperLayer::CopperLayer(const board::BoardLayer& layer, const board::Box& frame, bool inverted)
    : layer_(layer), inverted_(inverted) {
    LayerBuilder(*this, frame).build();
    largePolys_.resize(polys_.size());
    for (size_t i = 0; i < polys_.size(); ++i)
        largePolys_[i] = verticesOf(*polys_[i]) > 1024; // a pour, not a pad's outline
    index();
    joinAreas();
}

CopperLayer::~CopperLayer() = default;

} // namespace fk::boardcheck
