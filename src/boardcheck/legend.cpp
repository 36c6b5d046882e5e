// Legend: the legend printed closer than the limit to copper its side's mask leaves bare, or on it: the house
// clips it, or it spoils the joint. Measured to the bare copper inside an opening, not to the opening's edge;
// legend over copper the mask covers is no finding.
#include "boardcheck/checkrows.hpp"
#include "boardcheck/places.hpp"
#include "platform/interrupt.hpp"

#include <algorithm>

namespace fk::boardcheck {

Coverage checkLegend(const BoardContext& c, std::vector<Finding>& findings) {
    const double limit = double(c.limits.silk.count());
    int layers = 0;
    std::string missing;
    for (const auto& side : c.copper.sides()) {
        if (!side.legend)
            continue;
        if (!side.openings) {
            missing += std::string(missing.empty() ? "" : ", ") + side.legend->image().name + " (no " +
                       side.name + " solder mask)";
            continue;
        }
        ++layers;
        if (!side.bare)
            continue; // no copper on that side: nothing bare
        const CopperLayer& legend = *side.legend;
        const CopperLayer& bare = *side.bare;
        Places near;
        const auto& items = legend.items();
        for (std::uint32_t i = 0; i < items.size(); ++i) {
            if ((i & 1023) == 0)
                platform::checkInterrupted();
            bare.forEachItem(items[i].box.grown(c.limits.silk), [&](std::uint32_t j) {
                const Closest at = between(legend, items[i], bare, bare.items()[j], limit);
                if (at.distance >= limit)
                    return;
                // Legend on bare copper measures 0 however deep it lies: no distance is left to state.
                near.add("legend", {.measured = std::max(0.0, at.distance),
                                    .place = at.on,
                                    .from = at.on,
                                    .to = at.other,
                                    .stretch = {at.on, at.on},
                                    .a = items[i].piece,
                                    .b = items[i].piece});
            });
        }
        near.report(
            Kind::Silk, legend.image().name, c.limits.silk,
            [&](const Candidate& k) {
                return "legend of " + pieceName(legend, k.a) + (k.measured > 0 ? " too close to" : " on") +
                       " copper its solder mask leaves bare";
            },
            findings);
    }
    if (layers == 0)
        return {.ran = false,
                .notRun = missing.empty() ? "legend (no legend layer)" : "legend of " + missing};
    Coverage coverage{.layers = layers};
    if (!missing.empty())
        coverage.notRun = "legend of " + missing;
    return coverage;
}

} // namespace fk::boardcheck
