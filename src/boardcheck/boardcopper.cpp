// The board's copper layers, built once, and their nets through plated holes and X2 net names.
#include "boardcheck/boardcopper.hpp"
#include "boardcheck/checkrows.hpp"
#include "platform/interrupt.hpp"

#include <algorithm>
#include <numeric>

namespace fk::boardcheck {

namespace {

// Where a plane's copper reaches beyond everything drawn: past any relief a hole could need.
const Length planeMargin = mils(200);

Vec vecOf(Point p) {
    return {double(p.x.count()), double(p.y.count())};
}

} // namespace

BoardCopper::BoardCopper(const board::Fabrication& board) {
    // A plane's copper reaches the board's edge, the outline's centre line; else beyond everything drawn.
    for (const auto& layer : board.layers)
        if (layer.role.layer == board::Layer::Outline)
            for (const auto& o : layer.image.objects) {
                frame_.include(board::Box::around(o.from, Length()));
                frame_.include(board::Box::around(o.to, Length()));
            }
    if (frame_.empty()) {
        for (const auto& layer : board.layers)
            if (!layer.image.extent.empty())
                frame_.include(layer.image.extent);
        for (const auto& h : board.holes)
            frame_.include(board::Box::around(h.at, h.diameter));
        frame_ = frame_.empty() ? board::Box{} : frame_.grown(planeMargin);
    }
    for (const auto& layer : board.layers) {
        if (!board::isCopper(layer.role))
            continue;
        platform::checkInterrupted();
        layers_.push_back(std::make_unique<CopperLayer>(layer, frame_));
    }
    offsets_.push_back(0);
    for (const auto& l : layers_)
        offsets_.push_back(offsets_.back() + l->areaCount());
    nets_.resize(offsets_.back());
    std::iota(nets_.begin(), nets_.end(), 0u);
    names_.resize(offsets_.back());
    for (size_t i = 0; i < layers_.size(); ++i) {
        const CopperLayer& l = *layers_[i];
        for (std::uint32_t p = 0; p < l.pieces().size(); ++p) {
            const board::Object* o = l.objectOf(l.pieces()[p]);
            if (o && o->net != 0)
                names_[offsets_[i] + l.area(p)].insert(l.image().nets[o->net - 1]);
        }
    }
    buildSides(board);
}

BoardCopper::~BoardCopper() = default;

bool BoardCopper::holds(Point p) const {
    return std::any_of(layers_.begin(), layers_.end(),
                       [&](const auto& l) { return !l->layer().plane && l->pieceAt(vecOf(p)).has_value(); });
}

std::vector<std::uint32_t> BoardCopper::areasMeeting(size_t layer, const Probe& probe, double within) const {
    const CopperLayer& l = *layers_[layer];
    std::vector<std::uint32_t> areas;
    board::Box box = board::Box::nothing();
    for (const Seg& s : probe)
        for (const Vec v : {s.a, s.b})
            box.include(board::Box::around(
                {Length::fromCount(std::llround(v.x)), Length::fromCount(std::llround(v.y))},
                Length::fromCount(std::llround(within))));
    l.forEachItem(box, [&](std::uint32_t i) {
        for (const Seg& s : probe)
            if (l.toItem(s, l.items()[i], within).distance <= within) {
                areas.push_back(l.area(l.items()[i].piece));
                return;
            }
    });
    l.forEachLarge(box, [&](std::uint32_t piece) {
        if (l.holds(l.pieces()[piece], probe.front().a))
            areas.push_back(l.area(piece));
    });
    std::sort(areas.begin(), areas.end());
    areas.erase(std::unique(areas.begin(), areas.end()), areas.end());
    return areas;
}

void BoardCopper::joinNets(const std::vector<board::Hole>& holes) const {
    std::iota(nets_.begin(), nets_.end(), 0u);
    const auto find = [&](std::uint32_t a) {
        while (nets_[a] != a)
            a = nets_[a] = nets_[nets_[a]];
        return a;
    };
    for (size_t k = 0; k < holes.size(); ++k) {
        if ((k & 255) == 0)
            platform::checkInterrupted();
        const board::Hole& h = holes[k];
        if (!h.plated)
            continue; // an unplated hole joins nothing
        const Probe probe = probeOf(h);
        std::optional<std::uint32_t> first;
        for (size_t i = 0; i < layers_.size(); ++i)
            for (const std::uint32_t area : areasMeeting(i, probe, double((h.diameter / 2).count()))) {
                const std::uint32_t node = find(std::uint32_t(offsets_[i] + area));
                if (!first)
                    first = node;
                else if (node != find(*first))
                    nets_[std::max(node, find(*first))] = std::min(node, find(*first));
            }
    }
    for (std::uint32_t a = 0; a < nets_.size(); ++a)
        nets_[a] = find(a);
}

bool BoardCopper::differentNets(size_t layer, std::uint32_t a, std::uint32_t b) const {
    if (netOf(layer, a) == netOf(layer, b))
        return false;
    const auto& na = namesOf(layer, a);
    const auto& nb = namesOf(layer, b);
    return !std::any_of(na.begin(), na.end(), [&](const std::string& n) { return nb.contains(n); });
}

std::string BoardCopper::describe(size_t layer, std::uint32_t area) const {
    const auto& names = namesOf(layer, area);
    if (!names.empty()) {
        std::string text;
        for (const auto& n : names)
            text += (text.empty() ? "" : ", ") + n;
        return text;
    }
    const CopperLayer& l = *layers_[layer];
    for (std::uint32_t p = 0; p < l.pieces().size(); ++p) {
        if (l.area(p) != area)
            continue;
        const board::Object* o = l.objectOf(l.pieces()[p]);
        return o ? "line " + std::to_string(o->line) : "the plane";
    }
    return "";
}

std::vector<Finding> checkFabrication(const board::Fabrication& board, const BoardCopper& copper,
                                      const Limits& limits) {
    copper.joinNets(board.holes);
    return runChecks({board, copper, limits}).findings;
}

} // namespace fk::boardcheck
