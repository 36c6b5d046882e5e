// The checks of every hole against every plot (pads, planes, other copper) and of the holes among
// themselves. Each looks only at what the grids put near a hole.
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"
#include "platform/interrupt.hpp"
#include "util/text.hpp"

#include <algorithm>

namespace fk::boardcheck {

namespace {

using board::Hole;
using board::Plot;
using board::ShapeKind;

const Length cellSize = mils(50);

std::string holeName(const Hole& h) {
    return "hole of line " + std::to_string(h.line) + " (T" + std::to_string(h.tool) + ")";
}

std::string dName(int dcode) {
    return "D" + std::to_string(dcode);
}

// A plot's flashes (items 0 to flashes - 1) and draws (the rest) in one grid.
struct PlotIndex {
    explicit PlotIndex(const Plot& p) : plot(p), grid(boxes(p), cellSize) {}
    static std::vector<Box> boxes(const Plot& p) {
        std::vector<Box> all;
        all.reserve(p.flashes.size() + p.draws.size());
        for (const auto& f : p.flashes)
            all.push_back(boxOf(outlineOf(p.shape(f.dcode), f.at)));
        for (const auto& d : p.draws)
            all.push_back(boxOf(capsuleOf(p.shape(d.dcode), d.from, d.to)));
        return all;
    }
    bool isFlash(std::uint32_t item) const { return item < plot.flashes.size(); }
    const board::Flash& flash(std::uint32_t item) const { return plot.flashes[item]; }
    const board::Draw& draw(std::uint32_t item) const { return plot.draws[item - plot.flashes.size()]; }
    Outline outline(std::uint32_t item) const {
        return outlineOf(plot.shape(flash(item).dcode), flash(item).at);
    }
    Capsule capsule(std::uint32_t item) const {
        const auto& d = draw(item);
        return capsuleOf(plot.shape(d.dcode), d.from, d.to);
    }
    Length signedDistance(Point p, std::uint32_t item) const {
        return isFlash(item) ? boardcheck::signedDistance(p, outline(item))
                             : boardcheck::signedDistance(p, capsule(item));
    }

    const Plot& plot;
    Grid grid;
};

Box holeBox(const Hole& h) {
    return boxOf(Outline{h.at, {}, {}, h.diameter / 2});
}

// The pad a hole is drilled in: the flash holding its centre nearest its own centre, else the one it
// overlaps most.
std::optional<std::uint32_t> padOf(const PlotIndex& index, const Hole& h) {
    std::optional<std::uint32_t> inside, overlapping;
    Length nearest{}, deepest{};
    index.grid.visitNear(holeBox(h), [&](std::uint32_t item) {
        if (!index.isFlash(item))
            return;
        const Length sd = signedDistance(h.at, index.outline(item));
        const Length off = distance(h.at, index.flash(item).at);
        if (sd <= Length() && (!inside || off < nearest))
            inside = item, nearest = off;
        else if (sd < h.diameter / 2 && (!overlapping || sd < deepest))
            overlapping = item, deepest = sd;
    });
    return inside ? inside : overlapping;
}

// The hole a pad of this D-code is drilled with: its PAD and VIA lines' (Tango-PCB writes the hole column of
// GRB_AP2 as 0 for pads), else the GRB_AP2 line's own (a mounting hole's size). Pads of one D-code may carry
// different holes; a hole fits when it is one of them.
struct Drilled {
    Length hole{};
    std::vector<board::DfnPad> pads{};
};
Drilled drilledAs(const board::Definitions& definitions, const Shape& s, int dcode) {
    std::vector<board::DfnPad> pads;
    for (const auto& p : board::padsOf(definitions, dcode))
        if (p.hole > Length())
            pads.push_back(p);
    if (pads.empty())
        return {s.hole, {}};
    // A D-code some of whose pads have no hole needs none.
    if (pads.size() != board::padsOf(definitions, dcode).size())
        return {};
    return {pads.front().hole, pads};
}

void checkPad(const PlotIndex& index, const board::Definitions& definitions, const Hole& h, std::uint32_t pad,
              const Limits& limits, const Reporter& report) {
    const board::Flash& f = index.flash(pad);
    const Shape& s = index.plot.shape(f.dcode);
    const Length off = distance(h.at, f.at), ring = ringWidth(s, f.at, h.at, h.diameter);
    const std::string on =
        holeName(h) + " on pad " + dName(f.dcode) + " (line " + std::to_string(f.line) + ")";
    if (const auto drilled = drilledAs(definitions, s, f.dcode); drilled.hole > Length()) {
        const bool fits = std::any_of(drilled.pads.begin(), drilled.pads.end(), [&](const board::DfnPad& p) {
            return p.hole == h.diameter && (p.tool == 0 || p.tool == h.tool);
        });
        if (!fits && !(drilled.pads.empty() && s.hole == h.diameter))
            report(Kind::ToolSize, h.at, h.diameter, drilled.hole,
                   on + ": the tool differs from the pad's hole");
    }
    if (!s.mounting && ring < Length())
        return report(Kind::Breakout, h.at, ring, limits.ring, on + ": the hole leaves its pad");
    if (off > limits.registration)
        report(Kind::Registration, h.at, off, limits.registration, on + ": off the pad's centre");
    if (!s.mounting && ring < limits.ring)
        report(Kind::Ring, h.at, ring, limits.ring, on + ": annular ring below the minimum");
}

// Copper near the hole that touches none of the pads the hole lies on; the nearest one is reported.
void checkClearance(const PlotIndex& index, const Hole& h, const Limits& limits, const Reporter& report) {
    std::vector<std::uint32_t> own;
    index.grid.visitNear(holeBox(h), [&](std::uint32_t item) {
        if (index.isFlash(item) && signedDistance(h.at, index.outline(item)) < h.diameter / 2)
            own.push_back(item);
    });
    auto touchesOwn = [&](std::uint32_t item) {
        return std::any_of(own.begin(), own.end(), [&](std::uint32_t pad) {
            return pad == item ||
                   (index.isFlash(item) ? gap(index.outline(item), index.outline(pad))
                                        : gap(index.capsule(item), index.outline(pad))) <= Length();
        });
    };
    std::optional<std::uint32_t> nearest;
    Length least = limits.clearance;
    index.grid.visitNear(grown(holeBox(h), limits.clearance), [&](std::uint32_t item) {
        const Length edge = index.signedDistance(h.at, item) - h.diameter / 2;
        if (edge < least && !touchesOwn(item))
            nearest = item, least = edge;
    });
    if (!nearest)
        return;
    const int dcode = index.isFlash(*nearest) ? index.flash(*nearest).dcode : index.draw(*nearest).dcode;
    const long line = index.isFlash(*nearest) ? index.flash(*nearest).line : index.draw(*nearest).line;
    report(Kind::Clearance, h.at, least, limits.clearance,
           holeName(h) + ": copper of line " + std::to_string(line) + " (" + dName(dcode) +
               ") not of its pad too close");
}

void checkCopperHole(const PlotIndex& index, const board::Definitions& definitions, const Hole& h,
                     const Limits& limits, const Reporter& report) {
    const auto pad = padOf(index, h);
    if (!pad)
        return report(Kind::NoPad, h.at, std::nullopt, std::nullopt, holeName(h) + " lies on no pad");
    checkPad(index, definitions, h, *pad, limits, report);
    checkClearance(index, h, limits, report);
}

// What the relief or clearance that holds the hole leaves: a thermal's copper ring around the hole, else the
// cleared gap between the hole's edge and the plane.
void checkPlaneHole(const PlotIndex& index, const board::Definitions&, const Hole& h, const Limits& limits,
                    const Reporter& report) {
    std::optional<std::uint32_t> relief;
    Length deepest{};
    index.grid.visitNear(holeBox(h), [&](std::uint32_t item) {
        const Length sd = index.signedDistance(h.at, item);
        if (sd <= Length() && (!relief || sd < deepest))
            relief = item, deepest = sd;
    });
    if (!relief)
        return report(Kind::PlaneSolid, h.at, std::nullopt, std::nullopt,
                      holeName(h) + " in the plane with neither thermal nor clearance");
    const bool flash = index.isFlash(*relief);
    const int dcode = flash ? index.flash(*relief).dcode : index.draw(*relief).dcode;
    const Shape& s = index.plot.shape(dcode);
    const Length r = h.diameter / 2, off = flash ? distance(h.at, index.flash(*relief).at) : Length();
    const std::string by = holeName(h) + " in " + dName(dcode);
    if (flash && s.kind == ShapeKind::Thermal) {
        const Length ring = s.inner / 2 - off - r;
        if (ring < limits.ring)
            report(Kind::PlaneClearance, h.at, ring, limits.ring, by + ": thermal ring below the minimum");
        return;
    }
    const Length cleared = flash && s.kind == ShapeKind::Donut ? s.width / 2 - off - r : -deepest - r;
    if (cleared < limits.clearance)
        report(Kind::PlaneClearance, h.at, cleared, limits.clearance, by + ": clearance below the minimum");
}

void checkPadsWithoutHoles(const PlotIndex& index, const Board& board, const Grid& holes,
                           const Reporter& report) {
    for (const auto& f : index.plot.flashes) {
        const Shape& s = index.plot.shape(f.dcode);
        const Drilled needs = drilledAs(board.definitions, s, f.dcode);
        if (needs.hole <= Length())
            continue;
        bool drilled = false;
        const Outline o = outlineOf(s, f.at);
        holes.visitNear(boxOf(o), [&](std::uint32_t i) {
            drilled = drilled || signedDistance(board.holes[i].at, o) <= Length();
        });
        if (!drilled)
            report(Kind::PadWithoutHole, f.at, std::nullopt, needs.hole,
                   "pad " + dName(f.dcode) + " (line " + std::to_string(f.line) +
                       ") has a hole in PCB.DFN and none is drilled");
    }
}

} // namespace

void checkHolePairs(const std::vector<Hole>& all, const Grid& holes, const Limits& limits,
                    std::vector<Finding>& findings, const std::string& drillName) {
    const Reporter report{findings, drillName};
    std::vector<std::uint32_t> near;
    for (std::uint32_t i = 0; i < all.size(); ++i) {
        const Hole& a = all[i];
        near.clear();
        holes.visitNear(grown(holeBox(a), limits.web), [&](std::uint32_t j) {
            if (j > i)
                near.push_back(j);
        });
        std::sort(near.begin(), near.end());
        near.erase(std::unique(near.begin(), near.end()), near.end());
        for (std::uint32_t j : near) {
            const Hole& b = all[j];
            const Length d = distance(a.at, b.at), web = d - a.diameter / 2 - b.diameter / 2;
            const std::string pair =
                "holes of lines " + std::to_string(a.line) + " and " + std::to_string(b.line);
            if (d <= limits.registration)
                report(Kind::Stacked, b.at, d, std::nullopt, pair + " on one spot");
            else if (web < limits.web)
                report(Kind::Web, b.at, web, limits.web, pair + ": web below the minimum");
        }
    }
}

std::vector<Finding> checkBoard(const Board& board, const Limits& limits) {
    std::vector<Box> holeBoxes;
    holeBoxes.reserve(board.holes.size());
    for (const auto& h : board.holes)
        holeBoxes.push_back(holeBox(h));
    const Grid holes(holeBoxes, cellSize);
    std::vector<Finding> findings;
    for (const auto& plot : board.plots) {
        platform::checkInterrupted(); // a stop asked for ends the check between plots
        if (!plot.copper)
            continue; // a mask, a legend, paste or the outline: shown, holes need nothing of them
        const PlotIndex index(plot);
        const Reporter report{findings, plot.path.substr(plot.path.find_last_of('\\') + 1)}; // every dot kept
        for (const auto& h : board.holes)
            (plot.plane ? checkPlaneHole : checkCopperHole)(index, board.definitions, h, limits, report);
        if (!plot.plane)
            checkPadsWithoutHoles(index, board, holes, report);
    }
    checkHolePairs(board.holes, holes, limits, findings, util::fileNameOf(board.drillPath));
    return findings;
}

} // namespace fk::boardcheck
