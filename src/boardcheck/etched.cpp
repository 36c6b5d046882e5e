// A design's plots as the copper the board house etches: its pad findings weighed against that copper, and
// the copper, mask and legend checks of a CAD board run on the same layers.
#include "boardcheck/checkrows.hpp"
#include "boardcheck/model.hpp"

#include <algorithm>
#include <set>

namespace fk::boardcheck {

namespace {

bool isPadKind(Kind kind) {
    return kind == Kind::NoPad || kind == Kind::Breakout || kind == Kind::Ring;
}

std::string nameOf(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

// The design as a board of layers: each plot by its role (a copper plot whose role nothing tells as inner
// copper), the NC1's holes.
board::Fabrication etchedBoard(const Board& design, const std::function<bool(const board::Plot&)>& take) {
    board::Fabrication etched;
    etched.path = design.drillPath;
    etched.drills.push_back(
        {.name = nameOf(design.drillPath), .text = {}, .plated = true, .format = design.drillFormat});
    for (const auto& plot : design.plots) {
        if (!take(plot))
            continue;
        board::BoardLayer layer{.role = plot.role, .image = board::imageOf(plot), .plane = plot.plane};
        layer.image.name = nameOf(plot.path);
        if (plot.copper && !board::isCopper(plot.role))
            layer.role = {.layer = board::Layer::InnerCopper};
        if (plot.plane && layer.role.layer != board::Layer::Plane)
            layer.role = {.layer = board::Layer::Plane};
        etched.layers.push_back(std::move(layer));
    }
    etched.holes = design.holes;
    return etched;
}

} // namespace

std::vector<Finding> onEtchedCopper(const Board& board, std::vector<Finding> findings, const Limits& limits) {
    // Only the plots with a pad finding are filled and united: a clean design costs nothing more.
    std::set<std::string> weighed;
    for (const auto& f : findings)
        if (isPadKind(f.kind))
            weighed.insert(f.plot);
    if (weighed.empty())
        return findings;
    board::Fabrication etched = etchedBoard(board, [&](const board::Plot& plot) {
        return plot.copper && !plot.plane && weighed.contains(nameOf(plot.path));
    });
    for (auto& layer : etched.layers)
        layer.role = {.layer = board::Layer::TopCopper};
    const BoardCopper copper(etched);
    std::vector<Finding> measured;
    checkHoles({etched, copper, limits}, measured);
    std::vector<Finding> kept;
    for (auto& f : findings) {
        if (!isPadKind(f.kind)) {
            kept.push_back(std::move(f));
            continue;
        }
        const auto same = std::find_if(measured.begin(), measured.end(), [&](const Finding& g) {
            return isPadKind(g.kind) && g.plot == f.plot && g.at == f.at;
        });
        if (same == measured.end())
            continue; // the copper around the hole is enough: a track, a fill or pads that overlap
        if (same->kind != f.kind)
            kept.push_back(*same);
        else
            f.measured = same->measured, kept.push_back(std::move(f));
    }
    return kept;
}

DesignCopper checkDesignCopper(const Board& design, const Limits& limits) {
    DesignCopper out{.fabrication = etchedBoard(design, [](const board::Plot&) { return true; })};
    const BoardCopper copper(out.fabrication);
    copper.joinNets(out.fabrication.holes);
    const auto copperPlots = std::count_if(design.plots.begin(), design.plots.end(),
                                           [](const board::Plot& p) { return p.copper; });
    CheckedBoard checked = runChecks({out.fabrication, copper, limits}, int(copperPlots));
    out.findings = std::move(checked.findings);
    out.lines = std::move(checked.lines);
    return out;
}

} // namespace fk::boardcheck
