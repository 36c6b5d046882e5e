// The Board Check job: fields, limits, the plot selection, the phases, the report and the one commit of the
// files asked for.
#include "boardcheck/boardcheck.hpp"

#include "boardcheck/checkrows.hpp"
#include "boardcheck/geometry.hpp"

#include "app/commit.hpp"
#include "app/runner.hpp"
#include "util/fixed.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <memory>

namespace fk::boardcheck {

namespace {

void say(app::MessageLog& log, const std::string& message) {
    if (log.text().empty())
        log.show(message);
    else
        log.append(message);
    log.refresh();
}

} // namespace

namespace {

std::optional<std::string> invalidSetting(const app::Fields& f, const std::string& dfn,
                                          const std::string& nc1) {
    if (!platform::direxists(f.dfnpath))
        return "Invalid PCB.DFN source file path, correct and re-try";
    if (!platform::fileexists(dfn))
        return util::lines({"The PCB.DFN file you specified was not found:", util::angled(dfn)});
    if (!platform::fileexists(nc1))
        return "File (" + nc1 + ") not found!";
    return std::nullopt;
}

std::vector<std::string> plotsOf(const std::string& choice) {
    const std::string directory = util::directoryOf(choice);
    std::vector<std::string> plots;
    const long count = util::fieldcount(choice, ",");
    // Each name whole: CAD tools' names hold more than one dot (BusPirate-v3.6a-SSOP.cmp).
    for (long i = 1; i <= count; ++i) {
        const std::string name = util::trim(util::field(choice, i, ","));
        plots.push_back(directory + "\\" + name.substr(name.find_last_of('\\') + 1));
    }
    return plots;
}

// Plots that define their own apertures are a CAD tool's: read against PCB.DFN and the design's NC1 they
// would be checked with another board's apertures and holes.
void refuseOwnApertures(const std::vector<std::string>& picked) {
    for (const auto& path : picked)
        if (const auto own = board::ownAperture(path))
            throw app::JobStop{util::lines(
                {"Line " + std::to_string(own->line) +
                     " of the plot defines an aperture of its own, as a CAD "
                     "tool's Gerber file does:",
                 util::angled(path), own->text.substr(0, 72),
                 "Its apertures are not PCB.DFN's, and no drill file is picked with it: pick the board's "
                 "drill "
                 "file with its Gerber files, or pick its zip or its folder (flashkit-cli: --board), and "
                 "re-try. Nothing was checked."})};
}

// The JSON and the picture, when asked for, each made by its writer, replaced together.
void writeOutputs(const app::JobContext& context, const std::function<std::string()>& json,
                  const std::function<void(platform::AtomicWriter&)>& picture) {
    std::vector<std::unique_ptr<platform::AtomicWriter>> outputs;
    for (const char* name : {"json", "picture"}) {
        const auto option = context.options.find(name);
        if (option == context.options.end())
            continue;
        outputs.push_back(std::make_unique<platform::AtomicWriter>(option->second));
        if (name == std::string("json"))
            outputs.back()->write(json());
        else
            picture(*outputs.back());
        outputs.back()->finish();
    }
    std::vector<platform::AtomicWriter*> all;
    for (const auto& out : outputs)
        all.push_back(out.get());
    if (!all.empty())
        app::commitOutputs(context.log(), all);
}

// The roles --role gives a board's files, by name.
std::map<std::string, std::string> rolesOf(const app::JobContext& context) {
    std::map<std::string, std::string> roles;
    for (const auto& [key, value] : context.options) {
        if (key.starts_with("role:"))
            roles[key.substr(5)] = value;
    }
    return roles;
}

// The findings in the log, the files asked for, and the board and findings handed to the window that draws
// them.
app::JobResult report(const app::JobContext& context, Checked checked, const Limits& limits) {
    auto& log = context.log();
    for (const auto& finding : checked.findings)
        say(log, findingLine(finding));
    for (const auto& line : checked.lines)
        say(log, line);
    say(log, summaryLine(checked.findings));
    const bool fabrication = !checked.fabrication.path.empty();
    writeOutputs(
        context,
        [&] {
            return fabrication ? boardJson(checked.fabrication, checked.findings)
                               : findingsJson(checked.findings);
        },
        [&](platform::AtomicWriter& out) {
            if (fabrication)
                return writeFabricationSvg(checked.fabrication, checked.findings,
                                           "Board Check of " + checked.fabrication.path, limits, out);
            std::string names;
            for (const auto& plot : checked.board.plots)
                names += (names.empty() ? "" : ", ") + plot.path.substr(plot.path.find_last_of('\\') + 1);
            const std::string& drill = checked.board.drillPath;
            writeBoardSvg(checked.board, checked.findings,
                          "Board Check of " + names + " with " + drill.substr(drill.find_last_of('\\') + 1),
                          limits, out);
        });
    const bool clean = checked.findings.empty();
    say(log, clean ? "[Board Check completed: the board is clean]" : "[Board Check completed with findings]");
    context.handOver(std::make_shared<const Checked>(std::move(checked)));
    return clean ? app::JobResult::Completed : app::JobResult::Findings;
}

// A board read from the files its CAD tool wrote: every file listed with its role and why, then the checks.
app::JobResult checkFabricationFiles(const app::JobContext& context, const Limits& limits,
                                     board::Fabrication board) {
    auto& log = context.log();
    for (const auto& f : board.files)
        say(log, f.name + "\t" + f.role + "\t" + f.why);
    say(log, "[" + std::to_string(board.layers.size()) + " layers, " + std::to_string(board.holes.size()) +
                 " holes]");
    const BoardCopper copper(board);
    std::vector<Finding> readings = settleDrillReadings(board, copper);
    copper.joinNets(board.holes);
    CheckedBoard checked = runChecks({board, copper, limits});
    checked.findings.insert(checked.findings.end(), readings.begin(), readings.end());
    return report(context,
                  Checked{.fabrication = std::move(board),
                          .findings = std::move(checked.findings),
                          .lines = std::move(checked.lines)},
                  limits);
}

app::JobResult runCheck(const app::JobContext& context) {
    if (const auto board = context.options.find("board"); board != context.options.end()) {
        const Limits limits = limitsOf(context);
        say(context.log(), "[Reading the board " + util::angled(board->second) + "]");
        return checkFabricationFiles(context, limits,
                                     board::readFabrication(board->second, rolesOf(context)));
    }
    auto& log = context.log();
    const app::Fields& f = context.fields;
    const std::string choice =
        context.pickfile({.mask = "*.*",
                          .startDirectory = f.indatapath,
                          .title = "Select gerber files to check (or a board's files, zip or folder)...",
                          .board = true});
    if (choice.empty())
        throw app::JobStop{"Board Check was cancelled; nothing was checked."};
    if (choice.ends_with('\\')) { // a board's folder
        const Limits limits = limitsOf(context);
        const std::string folder = choice.substr(0, choice.size() - 1);
        say(log, "[Reading the board " + util::angled(folder) + "]");
        return checkFabricationFiles(context, limits, board::readFabrication(folder, rolesOf(context)));
    }
    const std::string dfn = f.dfnpath + "\\PCB.DFN", nc1 = f.indatapath + "\\" + f.fnamebase + ".NC1";
    const std::vector<std::string> picked = plotsOf(choice);
    // The design's own NC1 picked with its plots is no board's drill file: its sizes are in PCB.DFN.
    std::vector<std::string> others;
    std::copy_if(picked.begin(), picked.end(), std::back_inserter(others),
                 [&](const std::string& path) { return !platform::sameFile(path, nc1); });
    if (board::isBoardChoice(others)) {
        const Limits limits = limitsOf(context);
        if (picked.size() == 1 && util::upper(picked.front()).ends_with(".ZIP")) {
            say(log, "[Reading the board " + util::angled(picked.front()) + "]");
            return checkFabricationFiles(context, limits,
                                         board::readFabrication(picked.front(), rolesOf(context)));
        }
        const std::string folder = util::directoryOf(choice);
        say(log, "[Reading the board's files in " + util::angled(folder) + "]");
        return checkFabricationFiles(context, limits,
                                     board::readFabricationFiles(folder, picked, rolesOf(context)));
    }
    refuseOwnApertures(picked);
    if (app::refuseBlankBaseName(context))
        return app::JobResult::Stopped;
    const Limits limits = limitsOf(context);
    if (auto invalid = invalidSetting(f, dfn, nc1)) {
        log.show(*invalid);
        log.refresh();
        return app::JobResult::Stopped;
    }
    say(log, "[Reading PCB.DFN, " + std::to_string(picked.size()) + " plot" +
                 (picked.size() == 1 ? "" : "s") + " and " + util::fileNameOf(nc1) + "]");
    return report(context, checkFiles(dfn, picked, nc1, limits), limits);
}

} // namespace

Checked checkFiles(const std::string& dfnPath, const std::vector<std::string>& plotPaths,
                   const std::string& drillPath, const Limits& limits) {
    Checked checked{readBoard(dfnPath, plotPaths, drillPath), {}};
    checked.findings = onEtchedCopper(checked.board, checkBoard(checked.board, limits), limits);
    DesignCopper copper = checkDesignCopper(checked.board, limits);
    checked.findings.insert(checked.findings.end(), copper.findings.begin(), copper.findings.end());
    if (auto reading = drillReading(checked.board))
        checked.findings.push_back(std::move(*reading));
    checked.lines = std::move(copper.lines);
    return checked;
}

app::JobResult boardcheck(const app::JobContext& context) {
    auto& log = context.log();
    log.clear();
    log.refresh();
    return app::runBody(context, {.placement = app::Placement::Below}, [&] { return runCheck(context); });
}

} // namespace fk::boardcheck
