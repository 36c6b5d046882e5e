// Mask web: solder mask left between two separate openings of a mask layer narrower than the limit, which
// flakes off and lets solder bridge. Openings that touch are one opening.
#include "boardcheck/checkrows.hpp"
#include "boardcheck/places.hpp"
#include "platform/interrupt.hpp"

namespace fk::boardcheck {

Coverage checkMaskWeb(const BoardContext& c, std::vector<Finding>& findings) {
    const double limit = double(c.limits.maskWeb.count());
    int layers = 0;
    for (const auto& side : c.copper.sides()) {
        if (!side.openings)
            continue;
        const CopperLayer& mask = *side.openings;
        ++layers;
        Places webs;
        const auto& items = mask.items();
        for (std::uint32_t i = 0; i < items.size(); ++i) {
            if ((i & 1023) == 0)
                platform::checkInterrupted();
            mask.forEachItem(items[i].box.grown(c.limits.maskWeb), [&](std::uint32_t j) {
                if (j <= i || mask.area(items[j].piece) == mask.area(items[i].piece))
                    return;
                const Closest web = mask.itemItem(items[i], items[j], limit);
                if (web.distance >= limit)
                    return;
                webs.add("web", {.measured = std::max(web.distance, 0.0),
                                 .place = midpoint(web.on, web.other),
                                 .from = web.on,
                                 .to = web.other,
                                 .stretch = {web.on, web.other},
                                 .a = items[i].piece,
                                 .b = items[j].piece});
            });
        }
        webs.report(
            Kind::MaskWeb, mask.image().name, c.limits.maskWeb,
            [&](const Candidate& k) {
                return "mask between the openings of " + pieceName(mask, k.a) + " and " +
                       pieceName(mask, k.b) + " narrower than the minimum";
            },
            findings);
    }
    if (layers == 0)
        return {.ran = false, .notRun = "mask web (no solder mask layer)"};
    return {.layers = layers};
}

} // namespace fk::boardcheck
