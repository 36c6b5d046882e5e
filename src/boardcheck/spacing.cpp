// Spacing: copper of two different nets on one layer closer than the limit, pair by pair of pieces the grid
// puts near each other; and copper of two X2 nets that touches (a short the files name).
#include "boardcheck/checkrows.hpp"
#include "boardcheck/places.hpp"
#include "platform/interrupt.hpp"

#include <algorithm>

namespace fk::boardcheck {

namespace {

constexpr double touching = 10;

// Where along the first piece the second stays near: the run of two parallel draws is one place.
Seg runAlong(const Piece& a, const Piece& b, const Closest& c) {
    if (a.kind != PieceKind::Capsule || b.kind != PieceKind::Capsule)
        return {c.on, c.on};
    const double t0 = nearestParameter(a.core, b.core.a), t1 = nearestParameter(a.core, b.core.b);
    return {a.core.at(std::min(t0, t1)), a.core.at(std::max(t0, t1))};
}

std::string netKey(std::uint32_t a, std::uint32_t b) {
    return std::to_string(std::min(a, b)) + "-" + std::to_string(std::max(a, b));
}

} // namespace

std::string pieceName(const CopperLayer& layer, std::uint32_t piece) {
    const board::Object* o = layer.objectOf(layer.pieces()[piece]);
    if (!o)
        return "the plane";
    if (o->dcode == 0)
        return "region of line " + std::to_string(o->line);
    return "line " + std::to_string(o->line) + " (D" + std::to_string(o->dcode) + ")";
}

Coverage checkSpacing(const BoardContext& c, std::vector<Finding>& findings) {
    const double limit = double(c.limits.spacing.count());
    int layers = 0;
    for (size_t li = 0; li < c.copper.layers().size(); ++li) {
        const CopperLayer& layer = *c.copper.layers()[li];
        ++layers;
        Places spacing, shorts;
        const auto& items = layer.items();
        for (std::uint32_t i = 0; i < items.size(); ++i) {
            if ((i & 1023) == 0)
                platform::checkInterrupted();
            const Item& item = items[i];
            layer.forEachItem(item.box.grown(c.limits.spacing), [&](std::uint32_t j) {
                const Item& other = items[j];
                if (j <= i || other.piece == item.piece)
                    return;
                const std::uint32_t a = layer.area(item.piece), b = layer.area(other.piece);
                if (a == b) {
                    const board::Object* oa = layer.objectOf(layer.pieces()[item.piece]);
                    const board::Object* ob = layer.objectOf(layer.pieces()[other.piece]);
                    if (!oa || !ob || oa->net == 0 || ob->net == 0 || oa->net == ob->net)
                        return;
                    const Closest touch = layer.itemItem(item, other, touching);
                    if (touch.distance > touching)
                        return;
                    const auto& nets = layer.image().nets;
                    const std::string na = nets[oa->net - 1], nb = nets[ob->net - 1];
                    shorts.add(std::min(na, nb) + "\n" + std::max(na, nb), {.measured = 0,
                                                                            .place = touch.on,
                                                                            .from = touch.on,
                                                                            .to = touch.other,
                                                                            .stretch = {touch.on, touch.on},
                                                                            .a = item.piece,
                                                                            .b = other.piece});
                    return;
                }
                if (!c.copper.differentNets(li, a, b))
                    return;
                const Closest gap = layer.itemItem(item, other, limit);
                if (gap.distance >= limit)
                    return;
                spacing.add(
                    netKey(c.copper.netOf(li, a), c.copper.netOf(li, b)),
                    {.measured = std::max(gap.distance, 0.0),
                     .place = midpoint(gap.on, gap.other),
                     .from = gap.on,
                     .to = gap.other,
                     .stretch = runAlong(layer.pieces()[item.piece], layer.pieces()[other.piece], gap),
                     .a = item.piece,
                     .b = other.piece});
            });
        }
        const std::string& plot = layer.image().name;
        shorts.report(
            Kind::NetShort, plot, std::nullopt,
            [&](const Candidate& k) {
                const auto& nets = layer.image().nets;
                const auto net = [&](std::uint32_t piece) {
                    return nets[layer.objectOf(layer.pieces()[piece])->net - 1];
                };
                return "copper of nets " + net(k.a) + " and " + net(k.b) +
                       " touches: " + pieceName(layer, k.a) + " and " + pieceName(layer, k.b);
            },
            findings);
        spacing.report(
            Kind::Spacing, plot, c.limits.spacing,
            [&](const Candidate& k) {
                const auto& na = c.copper.namesOf(li, layer.area(k.a));
                const auto& nb = c.copper.namesOf(li, layer.area(k.b));
                std::string nets = "two nets";
                if (!na.empty() && !nb.empty())
                    nets += ", " + c.copper.describe(li, layer.area(k.a)) + " and " +
                            c.copper.describe(li, layer.area(k.b));
                return "copper of " + pieceName(layer, k.a) + " and of " + pieceName(layer, k.b) + " (" +
                       nets + ") closer than the minimum";
            },
            findings);
    }
    return {.layers = layers};
}

} // namespace fk::boardcheck
