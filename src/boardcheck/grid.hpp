// The uniform grid that finds what lies near a place, and lengths in mils for the checks.
#pragma once

#include "board/image.hpp"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace fk::boardcheck {

using board::Box;
using util::Length;

inline constexpr Length mils(std::int64_t n) {
    return Length::fromMilDecimals(n, 0);
}

// Items by the cells of a uniform grid their boxes cover, in one array: memory grows with the items, not the
// board's area.
class Grid {
  public:
    Grid(const std::vector<Box>& boxes, Length cell);
    // Every item whose box may meet `box`, each once per cell it shares: callers judge by distance. (Not
    // "near": windows.h defines near and far as macros.)
    template <class Visit> void visitNear(const Box& box, Visit&& visit) const {
        if (items_.empty())
            return;
        for (std::int64_t y = cellY(box.bottom); y <= cellY(box.top); ++y)
            for (std::int64_t x = cellX(box.left); x <= cellX(box.right); ++x) {
                const auto c = static_cast<size_t>(y * columns_ + x);
                for (std::uint32_t k = start_[c]; k < start_[c + 1]; ++k)
                    visit(items_[k]);
            }
    }

    // How crowded the grid is: the pairs of items that share a cell, summed over the cells. Work that looks
    // at each item's neighbours grows with it.
    double crowding() const {
        double pairs = 0;
        for (size_t c = 0; c + 1 < start_.size(); ++c)
            pairs += double(start_[c + 1] - start_[c]) * double(start_[c + 1] - start_[c]);
        return pairs;
    }

  private:
    std::int64_t cellX(Length x) const;
    std::int64_t cellY(Length y) const;
    Length originX_{}, originY_{}, cell_{};
    std::int64_t columns_ = 1, rows_ = 1;
    std::vector<std::uint32_t> start_, items_;
};

// Sets joined one pair at a time; each named by its smallest member.
class UnionFind {
  public:
    explicit UnionFind(size_t n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), 0u); }
    std::uint32_t find(std::uint32_t a) {
        while (parent_[a] != a)
            a = parent_[a] = parent_[parent_[a]];
        return a;
    }
    void unite(std::uint32_t a, std::uint32_t b) {
        a = find(a), b = find(b);
        if (a != b)
            parent_[std::max(a, b)] = std::min(a, b);
    }

  private:
    std::vector<std::uint32_t> parent_;
};

} // namespace fk::boardcheck
