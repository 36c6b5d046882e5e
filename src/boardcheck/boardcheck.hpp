// "Board Check": every hole of the NC1 against the picked plots and PCB.DFN (registration, annular ring,
// planes, pads and holes, clearance, the drill file's reading); writes only the JSON and picture asked for.
#pragma once

#include "app/context.hpp"
#include "app/settings.hpp"
#include "boardcheck/model.hpp"

#include <optional>
#include <string_view>

namespace fk::boardcheck {

// The job. Completed when the board is clean, Findings when it found something, Stopped when its files
// could not be read. Limits come from context.options, else flashkit.ini, else the defaults; the options
// "json" and "picture" name the files to write.
app::JobResult boardcheck(const app::JobContext& context);

// The limits live in the board model, which Fab Export's job file states too.
using board::limitLineOf;
using board::limitOptions;
using board::limitsOf;
using board::limitValue;
using board::settingsKey;

// What the job checked, handed to the window that draws it (context.handOver, as a
// std::shared_ptr<const Checked>): the design's plots with PCB.DFN and the NC1, or a board's own files.
struct Checked {
    Board board{};
    board::Fabrication fabrication{}; // its path is empty for a design's plots
    std::vector<Finding> findings{};
    std::vector<std::string> lines{}; // what was checked, and what could not be and why
};
// Throws app::JobStop, platform::FileError.
Checked checkFiles(const std::string& dfnPath, const std::vector<std::string>& plotPaths,
                   const std::string& drillPath, const Limits& limits);

} // namespace fk::boardcheck
