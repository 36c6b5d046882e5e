// A copper layer indexed for the checks: its objects by a uniform grid, long outlines (a pour's) as their
// paths and pieces, so that what lies near a hole is found and measured without the whole layer.
#pragma once

#include "board/fabrication.hpp"
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace fk::boardcheck {

using board::Polygons;

// One thing of a layer in file order: a round object, an outline object's paths, one of its paths, or a
// piece of a long path.
struct Item {
    const board::Object* object = nullptr;
    std::int32_t path = -1;  // one path of the object's outlines (-1: all of them)
    std::int32_t piece = -1; // a piece of a long path, in the index's pieces
    board::Box box{};
};

// An object near a place, with those of its items that lie near.
struct Nearby {
    const board::Object* object = nullptr;
    std::span<const Item* const> items{}; // in the NearbyList that found it
};

// What lies near a place, in file order: one allocation for all, however many objects (a hole asks
// several times on every layer). The Nearby entries point into it: keep it while they are used.
class NearbyList {
  public:
    std::vector<Nearby>::const_iterator begin() const { return objects_.begin(); }
    std::vector<Nearby>::const_iterator end() const { return objects_.end(); }
    std::vector<Nearby>::const_reverse_iterator rbegin() const { return objects_.rbegin(); }
    std::vector<Nearby>::const_reverse_iterator rend() const { return objects_.rend(); }
    size_t size() const { return objects_.size(); }
    const Nearby& operator[](size_t i) const { return objects_[i]; }

  private:
    friend class LayerIndex;
    std::vector<const Item*> items_;
    std::vector<Nearby> objects_;
};

struct Segment {
    double ax, ay, bx, by;
};
double pointSegment(double px, double py, const Segment& s);
// The part of the polygons inside the box.
Polygons clipped(const Polygons& polygons, const board::Box& box);
double pathDistance(const ClipperLib::Path& path, const Segment& s);

class LayerIndex {
  public:
    explicit LayerIndex(const board::BoardLayer& layer);
    const board::BoardLayer& layer() const { return layer_; }
    const board::Image& image() const { return layer_.image; }

    // The objects whose items may meet the box, in file order.
    NearbyList near(const board::Box& box) const;
    // The polygons of an item, oriented so that a positive winding is copper.
    Polygons polygons(const Item& item) const;
    // Whether the object's shape holds the point, and the distance to its edge from there; both exact for
    // round objects, and true to the chords for outlines (of the items given: those near the point).
    bool holds(const Nearby& n, Point p) const;
    double edgeDistance(const Nearby& n, Point p) const;
    double signedDistance(const Nearby& n, Point p) const {
        return holds(n, p) ? -edgeDistance(n, p) : edgeDistance(n, p);
    }
    // The points that fix where the object lies: a draw's ends, a flash's centre, an outline's corners.
    std::vector<Point> corners(const Nearby& n) const;

  private:
    template <class Visit> void forEachPath(const Item& item, Visit visit) const;
    void cut(const board::Object& o, std::int32_t path, const Polygons& polygons, const board::Box& box,
             bool hole);

    const board::BoardLayer& layer_;
    std::vector<Item> items_;
    std::vector<Polygons> pieces_;
    std::unique_ptr<Grid> grid_;
};

} // namespace fk::boardcheck
