// The grid of the edges near a depth search, and the nearest edge of a piece by rings of cells round a point.
#include "boardcheck/nearedges.hpp"

#include <algorithm>
#include <cmath>

namespace fk::boardcheck {

void NearEdges::clear() {
    edges_.clear();
    starts_.clear();
    filed_.clear();
    long_.clear();
    columns_ = rows_ = 0;
}

int NearEdges::cellX(double x) const {
    return std::clamp(int(std::floor((x - over_.left) / width_)), 0, columns_ - 1);
}

int NearEdges::cellY(double y) const {
    return std::clamp(int(std::floor((y - over_.bottom) / height_)), 0, rows_ - 1);
}

void NearEdges::index(const Bounds& over) {
    over_ = over;
    filed_.clear();
    columns_ = rows_ = 0; // filed at the first search: many depth searches never ask
}

void NearEdges::file() const {
    // About four edges a cell where they spread evenly; never more cells than a side of 256.
    const int side = std::clamp(int(std::sqrt(double(edges_.size()) / 4)), 1, 256);
    columns_ = rows_ = side;
    width_ = std::max((over_.right - over_.left) / side, 1.0);
    height_ = std::max((over_.top - over_.bottom) / side, 1.0);
    starts_.assign(size_t(side) * size_t(side) + 1, 0);
    // An edge is filed in every cell its box meets; one whose box spans many (a long slanting edge) is
    // looked at on every search instead.
    const auto spansMany = [&](const Edge& e) {
        const Bounds b = Bounds::of(e.seg);
        return (cellX(b.right) - cellX(b.left) + 1) * (cellY(b.top) - cellY(b.bottom) + 1) > 4 * side;
    };
    const auto eachCell = [&](const Edge& e, auto&& visit) {
        const Bounds b = Bounds::of(e.seg);
        for (int y = cellY(b.bottom); y <= cellY(b.top); ++y)
            for (int x = cellX(b.left); x <= cellX(b.right); ++x)
                visit(size_t(y) * size_t(columns_) + size_t(x));
    };
    long_.clear();
    for (std::uint32_t i = 0; i < edges_.size(); ++i) {
        if (spansMany(edges_[i]))
            long_.push_back(i);
        else
            eachCell(edges_[i], [&](size_t cell) { ++starts_[cell + 1]; });
    }
    for (size_t c = 1; c < starts_.size(); ++c)
        starts_[c] += starts_[c - 1];
    filed_.resize(starts_.back());
    std::vector<std::uint32_t> next(starts_.begin(), starts_.end() - 1);
    for (std::uint32_t i = 0; i < edges_.size(); ++i)
        if (!spansMany(edges_[i]))
            eachCell(edges_[i], [&](size_t cell) { filed_[next[cell]++] = i; });
}

std::optional<NearEdges::Found> NearEdges::nearest(std::uint32_t piece, Vec p, std::uint64_t& steps) const {
    if (edges_.empty())
        return std::nullopt;
    if (columns_ == 0)
        file();
    const int cx = cellX(p.x), cy = cellY(p.y);
    std::optional<Found> best;
    std::uint32_t bestNumber = 0;
    const auto consider = [&](std::uint32_t number) {
        const Edge& e = edges_[number];
        if (e.piece != piece)
            return;
        const double t = nearestParameter(e.seg, p);
        const double d = norm(p - e.seg.at(t));
        if (!best || d < best->distance || (d == best->distance && number < bestNumber))
            best = Found{&e, t, d}, bestNumber = number;
    };
    steps += long_.size();
    for (const std::uint32_t number : long_)
        consider(number);
    const auto look = [&](int x, int y) {
        const size_t cell = size_t(y) * size_t(columns_) + size_t(x);
        steps += 1 + starts_[cell + 1] - starts_[cell];
        for (std::uint32_t k = starts_[cell]; k < starts_[cell + 1]; ++k)
            consider(filed_[k]);
    };
    for (int r = 0;; ++r) {
        const int left = cx - r, right = cx + r, bottom = cy - r, top = cy + r;
        for (int x = std::max(left, 0); x <= std::min(right, columns_ - 1); ++x) {
            if (bottom >= 0)
                look(x, bottom);
            if (top < rows_ && top != bottom)
                look(x, top);
        }
        for (int y = std::max(bottom + 1, 0); y <= std::min(top - 1, rows_ - 1); ++y) {
            if (left >= 0)
                look(left, y);
            if (right < columns_ && right != left)
                look(right, y);
        }
        if (left <= 0 && bottom <= 0 && right >= columns_ - 1 && top >= rows_ - 1)
            return best; // every cell looked at
        // An edge not yet seen lies outside the square of cells looked at: at least this far.
        const double outside =
            std::min({p.x - (over_.left + left * width_), over_.left + (right + 1) * width_ - p.x,
                      p.y - (over_.bottom + bottom * height_), over_.bottom + (top + 1) * height_ - p.y});
        if (best && best->distance < outside)
            return best;
    }
}

} // namespace fk::boardcheck
