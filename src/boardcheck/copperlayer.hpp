// A copper layer as the board house etches it, built once: its image's objects as pieces of copper (clear
// objects taken out of what lies below them, a plane turned into the copper it leaves), indexed by a grid,
// and joined where they touch into areas. Every measure of the checks is taken on these pieces: circles and
// round draws exactly, polygons to their edges.
#pragma once

#include "board/fabrication.hpp"
#include "boardcheck/grid.hpp"
#include "boardcheck/planar.hpp"

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace fk::boardcheck {

enum class PieceKind : std::uint8_t { Disc, Capsule, Poly };

// No object: the copper a plane starts from.
inline constexpr std::uint32_t noObject = UINT32_MAX;

struct Piece {
    PieceKind kind = PieceKind::Disc;
    Seg core{};                      // a disc's centre (both ends), a round draw's centre line
    double radius = 0;               // of a disc or a round draw
    std::uint32_t poly = 0;          // a polygon's paths in the layer's polygons
    std::uint32_t object = noObject; // the image object it comes from
    board::Box box{};
};

// A box in the plane's doubles, for quick tests of what may lie near.
inline Bounds boundsOf(const board::Box& box) {
    return {double(box.left.count()), double(box.bottom.count()), double(box.right.count()),
            double(box.top.count())};
}

// What a measure starts from: a hole's centre, a slot's centre line, segments along a routed arc.
using Probe = std::vector<Seg>;
Probe probeOf(const board::Hole& hole);

// A grid entry: a whole piece, or a run of edges of a large polygon's path.
struct Item {
    std::uint32_t piece = 0;
    std::int32_t path = -1; // -1: the whole piece
    std::uint32_t first = 0, count = 0;
    board::Box box{};
};

class CopperLayer {
  public:
    // `frame` is where a plane (a negative image) has copper before its objects clear it; `inverted` says
    // the image is such a plane (by default the layer's own word). Throws platform::Interrupted when a stop
    // is asked for.
    CopperLayer(const board::BoardLayer& layer, const board::Box& frame);
    CopperLayer(const board::BoardLayer& layer, const board::Box& frame, bool inverted);
    ~CopperLayer();
    CopperLayer(const CopperLayer&) = delete;
    CopperLayer& operator=(const CopperLayer&) = delete;

    const board::BoardLayer& layer() const { return layer_; }
    const board::Image& image() const { return layer_.image; }
    const std::vector<Piece>& pieces() const { return pieces_; }
    const board::Polygons& polygons(const Piece& piece) const { return *polys_[piece.poly]; }
    const std::vector<Item>& items() const { return items_; }
    // The object a piece comes from; none for a plane's own copper.
    const board::Object* objectOf(const Piece& piece) const {
        return piece.object == noObject ? nullptr : &layer_.image.objects[piece.object];
    }

    // The area a piece belongs to: pieces that touch are one area.
    std::uint32_t area(std::uint32_t piece) const { return areas_[piece]; }
    std::uint32_t areaCount() const { return areaCount_; }
    const board::Box& areaBox(std::uint32_t area) const { return areaBoxes_[area]; }

    // Every item whose box meets `box`, each once (in the grid's order, the same on every run).
    std::vector<std::uint32_t> itemsNear(const board::Box& box) const;
    template <class Visit> void forEachItem(const board::Box& box, Visit&& visit) const {
        for (const std::uint32_t i : itemsNear(box))
            visit(i);
    }
    // Whether the piece's closed shape holds the point.
    bool holds(const Piece& piece, Vec p) const;
    // The piece holding the point, the first in file order; none where the layer has no copper.
    std::optional<std::uint32_t> pieceAt(Vec p) const;
    // The nearest points of a probe segment and an item's copper (its edges for a run of a polygon's edges);
    // distance 0 where they overlap. Exact within `reach`; beyond it only known to be farther.
    Closest toItem(const Seg& s, const Item& item, double reach = INFINITY) const;
    // The nearest copper to the probe within `within`, of the areas `accept` takes; none beyond.
    std::optional<Closest> nearest(const Probe& probe, double within,
                                   const std::function<bool(std::uint32_t area)>& accept) const;
    // How deep the probe lies in the copper of `area`: the distance to the nearest point of that copper's
    // edge (no other copper is nearer from inside it), and that point.
    // `atLeast` is a depth already known (the piece holding the probe's own), where the search starts. A
    // depth beyond `enough` is not looked for: past it the search stops widening and says how far it looked,
    // with the probe's own point for the edge's.
    Closest depth(const Probe& probe, std::uint32_t area, double atLeast = 0, double enough = INFINITY) const;
    // Where the probe (a point) is nearest the edge of the round piece holding it, when that point is the
    // area's edge too (no other piece covers it): then it is the area's depth, and no search is needed.
    std::optional<Closest> ownEdge(const Probe& probe, std::uint32_t piece) const;
    // The pieces' distance, exact for round shapes; 0 where they overlap (negative by how far round shapes
    // overlap).
    Closest between(std::uint32_t a, std::uint32_t b) const;
    // The same of two items ("on" of the first).
    Closest itemItem(const Item& a, const Item& b, double reach = INFINITY) const;
    // Whether two items' copper meets: their distance no more than a touch, found without measuring every
    // pair of edges.
    bool touch(const Item& a, const Item& b) const;
    // Whether a point lies in a cleaned polygon's copper, told by the edge nearest it (of path `path`, at
    // parameter `t` along edge `edge`): copper lies on the left of every edge.
    bool leftOfNearest(const Piece& piece, size_t path, size_t edge, double t, Vec p) const;
    // Every large polygon whose box meets `box`, in file order.
    void forEachLarge(const board::Box& box, const std::function<void(std::uint32_t piece)>& visit) const;

    bool inverted() const { return inverted_; }

  private:
    friend class LayerBuilder;
    void index();
    void joinAreas();
    bool insideLarge(const Piece& piece, Vec p) const;
    bool large(const Piece& piece) const { return piece.kind == PieceKind::Poly && largePolys_[piece.poly]; }

    const board::BoardLayer& layer_;
    bool inverted_ = false;
    std::vector<Piece> pieces_;
    std::vector<std::shared_ptr<const board::Polygons>> polys_; // the image's own, or made here
    std::vector<bool> largePolys_;
    std::vector<Item> items_;
    std::unique_ptr<Grid> grid_;
    std::vector<std::uint32_t> largePieces_;
    std::unique_ptr<Grid> largeGrid_;
    std::vector<std::uint32_t> areas_;
    std::uint32_t areaCount_ = 0;
    std::vector<board::Box> areaBoxes_;
    mutable std::vector<std::uint32_t> stamps_;
    mutable std::uint32_t stamp_ = 0;
};

// The distance of two items of two layers (a legend's and the bare copper's): "on" of the first.
Closest between(const CopperLayer& la, const Item& a, const CopperLayer& lb, const Item& b,
                double reach = INFINITY);

// The edges of a polygon piece's item with their path and index: a whole polygon's every edge, a run's own.
// Edges of no length are left out; other pieces have no edges.
template <class Visit> void forEachEdgeOf(const CopperLayer& layer, const Item& item, Visit&& visit) {
    const Piece& piece = layer.pieces()[item.piece];
    if (piece.kind != PieceKind::Poly)
        return;
    const auto& paths = layer.polygons(piece);
    const auto run = [&](std::uint32_t k, std::uint32_t first, std::uint32_t count) {
        const auto& path = paths[k];
        for (std::uint32_t e = first; e < first + count; ++e) {
            const auto& u = path[e % path.size()];
            const auto& v = path[(e + 1) % path.size()];
            if (u.X != v.X || u.Y != v.Y)
                visit(Seg{{double(u.X), double(u.Y)}, {double(v.X), double(v.Y)}}, k,
                      std::uint32_t(e % path.size()));
        }
    };
    if (item.path >= 0)
        return run(std::uint32_t(item.path), item.first, item.count);
    for (std::uint32_t k = 0; k < paths.size(); ++k)
        run(k, 0, std::uint32_t(paths[k].size()));
}

} // namespace fk::boardcheck
