// The polygon edges near one depth search, in a grid over the place they were gathered from: the edge of a
// piece nearest a point is found among the cells round it, not among every edge gathered.
#pragma once

#include "boardcheck/planar.hpp"

#include <cstdint>
#include <optional>
#include <vector>

namespace fk::boardcheck {

class NearEdges {
  public:
    struct Edge {
        std::uint32_t piece, path, index;
        Seg seg;
    };
    struct Found {
        const Edge* edge;
        double t;        // along it, 0 to 1
        double distance; // from the point
    };

    void clear();
    void add(const Edge& edge) { edges_.push_back(edge); }
    // Says the edges are all added and `over` holds them; they are filed by cell when first searched.
    void index(const Bounds& over);
    bool empty() const { return edges_.empty(); }
    // The edge of `piece` nearest p, the first gathered among equals; none when the piece has none here.
    // Adds the edges and cells looked at to `steps`.
    std::optional<Found> nearest(std::uint32_t piece, Vec p, std::uint64_t& steps) const;

  private:
    void file() const;
    int cellX(double x) const;
    int cellY(double y) const;

    std::vector<Edge> edges_;
    Bounds over_{};
    // The grid, filed when first asked.
    mutable std::vector<std::uint32_t> starts_, filed_; // each cell's run of edge numbers in filed_
    mutable std::vector<std::uint32_t> long_;           // edges filed in no cell, looked at every time
    mutable int columns_ = 0, rows_ = 0;
    mutable double width_ = 1, height_ = 1; // of a cell
};

} // namespace fk::boardcheck
