// Candidates joined into findings by the distance of their stretches (single linkage within 10 mil), through
// a grid so that a long run of them costs what its length does.
#include "boardcheck/places.hpp"
#include "boardcheck/geometry.hpp"

#include <algorithm>
#include <numeric>

namespace fk::boardcheck {

namespace {

// Places nearer than this are one place.
const Length samePlace = mils(10);

board::Box boxOf(const Seg& s) {
    board::Box box = board::Box::around(pointOf(s.a), Length());
    box.include(board::Box::around(pointOf(s.b), Length()));
    return box;
}

std::vector<std::uint32_t> clusters(const std::vector<Candidate>& candidates) {
    std::vector<std::uint32_t> parent(candidates.size());
    std::iota(parent.begin(), parent.end(), 0u);
    const auto find = [&](std::uint32_t a) {
        while (parent[a] != a)
            a = parent[a] = parent[parent[a]];
        return a;
    };
    std::vector<Box> boxes;
    for (const auto& c : candidates)
        boxes.push_back(boxOf(c.stretch).grown(samePlace / 2));
    const Grid grid(boxes, samePlace * 4);
    const double near = double(samePlace.count());
    for (std::uint32_t i = 0; i < candidates.size(); ++i)
        grid.visitNear(boxes[i], [&](std::uint32_t j) {
            if (j <= i || find(i) == find(j) || !boxes[i].meets(boxes[j]))
                return;
            if (segmentSegment(candidates[i].stretch, candidates[j].stretch).distance <= near)
                parent[std::max(find(i), find(j))] = std::min(find(i), find(j));
        });
    std::vector<std::uint32_t> roots(candidates.size());
    for (std::uint32_t i = 0; i < candidates.size(); ++i)
        roots[i] = find(i);
    return roots;
}

} // namespace

Point pointOf(Vec v) {
    return {Length::fromCount(std::llround(v.x)), Length::fromCount(std::llround(v.y))};
}

Vec vecOf(Point p) {
    return {double(p.x.count()), double(p.y.count())};
}

void Places::report(Kind kind, const std::string& plot, std::optional<Length> limit,
                    const std::function<std::string(const Candidate&)>& message,
                    std::vector<Finding>& out) const {
    struct Chosen {
        const Candidate* candidate;
        std::uint32_t order;
    };
    std::vector<Chosen> chosen;
    for (const auto& [key, candidates] : groups_) {
        const auto roots = clusters(candidates);
        std::map<std::uint32_t, const Candidate*> least;
        for (std::uint32_t i = 0; i < candidates.size(); ++i) {
            const Candidate*& best = least[roots[i]];
            if (!best || candidates[i].measured < best->measured)
                best = &candidates[i];
        }
        for (const auto& [root, best] : least)
            chosen.push_back({best, root});
    }
    // Across the board from bottom left, as a reader scans it.
    std::stable_sort(chosen.begin(), chosen.end(), [](const Chosen& a, const Chosen& b) {
        const Vec p = a.candidate->place, q = b.candidate->place;
        return p.y != q.y ? p.y < q.y : p.x < q.x;
    });
    for (const auto& c : chosen)
        out.push_back({.kind = kind,
                       .plot = plot,
                       .at = pointOf(c.candidate->place),
                       .measured = limit
                                       ? std::optional(Length::fromCount(std::llround(c.candidate->measured)))
                                       : std::nullopt,
                       .limit = limit,
                       .message = message(*c.candidate),
                       .from = pointOf(c.candidate->from),
                       .to = pointOf(c.candidate->to)});
}

} // namespace fk::boardcheck
