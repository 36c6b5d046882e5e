// Reading the board: PCB.DFN, each picked plot with its apertures' shapes, the NC1 by its header.
#include "app/context.hpp"
#include "boardcheck/model.hpp"
#include "util/text.hpp"

#include <algorithm>

namespace fk::boardcheck {

namespace {

// Holes checked against no copper would all pass: a pick of masks, legends or the outline alone is refused.
void refuseWithoutCopper(const std::vector<board::Plot>& plots) {
    if (plots.empty() ||
        std::any_of(plots.begin(), plots.end(), [](const board::Plot& p) { return p.copper; }))
        return;
    std::string list;
    for (const auto& p : plots)
        list += std::string(list.empty() ? "" : "\r\n") + "  " +
                p.path.substr(p.path.find_last_of('\\') + 1) + ": " + board::textOf(p.role);
    throw app::JobStop{util::lines({"None of the picked plots is copper or a plane:",
                                    util::angled(util::directoryOf(plots.front().path)), list,
                                    "Nothing was checked; pick the design's copper plots and planes."})};
}

} // namespace

Board readBoard(const std::string& dfnPath, const std::vector<std::string>& plotPaths,
                const std::string& drillPath) {
    Board board{.definitions = board::readDefinitions(dfnPath), .drillPath = drillPath};
    for (const auto& path : plotPaths)
        board.plots.push_back(board::readPlot(path, board.definitions));
    refuseWithoutCopper(board.plots);
    try {
        const drill::DrillFile file = drill::readDrillFile(drillPath);
        if (file.isNotDrillFile() || file.holes.empty())
            throw app::JobStop{util::lines({"The drill file holds no hole:", util::angled(drillPath),
                                            "Nothing was checked; check the file base name and re-try."})};
        board.drillFormat = file.format;
        board.holes = board::holesOf(file, board.definitions, drillPath);
    } catch (const drill::ExcellonError& e) {
        throw app::JobStop{util::lines(
            {"Line " + std::to_string(e.line) + " cannot be read: [" + e.text + "]", util::angled(drillPath),
             "Expected: " + e.expected + ".", "Nothing was checked; correct the drill file and re-try."})};
    }
    return board;
}

} // namespace fk::boardcheck
