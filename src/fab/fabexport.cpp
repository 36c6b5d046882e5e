// The Fab Export job: settings, the plot selection, the phases and the one commit of all exports.
#include "fab/fabexport.hpp"

#include "app/commit.hpp"
#include "app/runner.hpp"
#include "fab/model.hpp"
#include "util/text.hpp"

#include <memory>

namespace fk::fab {

namespace {

struct Paths {
    std::string dfn, nc1, drill, outputDirectory;
};

Paths pathsOf(const app::Fields& f) {
    return {.dfn = f.dfnpath + "\\PCB.DFN",
            .nc1 = f.indatapath + "\\" + f.fnamebase + ".NC1",
            .drill = f.outdatapath + "\\" + f.fnamebase + ".drl",
            .outputDirectory = f.outdatapath};
}

void say(app::MessageLog& log, const std::string& message) {
    if (log.text().empty())
        log.show(message);
    else
        log.append(message);
    log.refresh();
}

// The first missing input or folder, in the order the user fills the fields.
std::optional<std::string> invalidSetting(const app::Fields& f, const Paths& paths) {
    if (!platform::direxists(f.dfnpath))
        return "Invalid PCB.DFN source file path, correct and re-try";
    if (!platform::fileexists(paths.dfn))
        return util::lines({"The PCB.DFN file you specified was not found:", util::angled(paths.dfn)});
    if (!platform::fileexists(paths.nc1))
        return "File (" + paths.nc1 + ") not found!";
    if (!platform::direxists(f.outdatapath))
        return "Output path (" + f.outdatapath + ") not found!";
    return std::nullopt;
}

// Each picked plot and its export: <base>_<name>.gbr in the output data path.
std::vector<PlotFile> plotsOf(const std::string& choice, const app::Fields& f) {
    const std::string directory = util::directoryOf(choice);
    std::vector<PlotFile> plots;
    const long count = util::fieldcount(choice, ",");
    for (long i = 1; i <= count; ++i) {
        const std::string name = util::fileNameOf(util::trim(util::field(choice, i, ",")));
        plots.push_back(
            {.input = directory + "\\" + name,
             .output = f.outdatapath + "\\" + f.fnamebase + "_" + util::baseNameOf(name) + ".gbr"});
    }
    return plots;
}

// No export may replace an input or another export: the user's files stay as they are.
void refuseCollisions(const std::vector<PlotFile>& plots, const Paths& paths) {
    std::vector<std::string> inputs{paths.dfn, paths.nc1}, outputs{paths.drill};
    for (const auto& p : plots) {
        inputs.push_back(p.input);
        outputs.push_back(p.output);
    }
    for (size_t i = 0; i < outputs.size(); ++i) {
        for (const auto& input : inputs) {
            if (platform::sameFile(outputs[i], input))
                throw app::JobStop{
                    util::lines({"The export would replace an input file:", util::angled(input),
                                 "No file was written; choose another output data path or "
                                 "file base name and re-try."})};
        }
        for (size_t j = 0; j < i; ++j) {
            if (platform::sameFile(outputs[i], outputs[j]))
                throw app::JobStop{
                    util::lines({"Two exports would have the same name:", util::angled(outputs[i]),
                                 "No file was written; pick plots of different names and "
                                 "re-try."})};
        }
    }
}

std::string count(long n, const std::string& thing) {
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

DrillSummary exportDrill(const Paths& paths, const Definitions& definitions, platform::AtomicWriter& out) {
    try {
        return writeDrill(paths.nc1, definitions, out);
    } catch (const drill::ExcellonError& e) {
        throw app::JobStop{
            util::lines({"NC1 line " + std::to_string(e.line) + " cannot be exported: [" + e.text + "]",
                         util::angled(paths.nc1), "Expected: " + e.expected + ".",
                         "No file was written; correct the NC drill file and re-try."})};
    }
}

app::JobResult exportFiles(const app::JobContext& context) {
    auto& log = context.log();
    const app::Fields& f = context.fields;
    const Paths paths = pathsOf(f);
    if (app::refuseBlankBaseName(context))
        return app::JobResult::Stopped;
    if (auto invalid = invalidSetting(f, paths)) {
        log.show(*invalid);
        log.refresh();
        return app::JobResult::Stopped;
    }
    context.beep();
    const std::string choice = context.pickfile(
        {.mask = "*.*", .startDirectory = f.indatapath, .title = "Select gerber files to export..."});
    if (choice.empty())
        throw app::JobStop{"Fab Export was cancelled; nothing was written."};
    const std::vector<PlotFile> plots = plotsOf(choice, f);
    refuseCollisions(plots, paths);

    say(log, "[Reading PCB.DFN]");
    const Definitions definitions = readDefinitions(paths.dfn);
    say(log, "[Writing RS-274-X plots]");
    std::vector<std::unique_ptr<platform::AtomicWriter>> outputs;
    std::vector<PlotSummary> written;
    for (const auto& plot : plots) {
        outputs.push_back(std::make_unique<platform::AtomicWriter>(plot.output));
        written.push_back(writePlot(plot, definitions, *outputs.back()));
        outputs.back()->finish();
    }
    say(log, "[Writing Excellon drill file]");
    outputs.push_back(std::make_unique<platform::AtomicWriter>(paths.drill));
    const DrillSummary drill = exportDrill(paths, definitions, *outputs.back());
    outputs.back()->finish();

    std::vector<platform::AtomicWriter*> all;
    for (const auto& out : outputs)
        all.push_back(out.get());
    app::commitOutputs(log, all);
    for (size_t i = 0; i < plots.size(); ++i)
        say(log, util::lines({util::fileNameOf(plots[i].input) + " >> RS-274-X:\t" +
                                  count(written[i].apertures, "aperture") + ", " +
                                  count(written[i].macros, "macro"),
                              util::angled(written[i].output)}));
    say(log, util::lines({util::fileNameOf(paths.nc1) + " >> Excellon:\t" + count(drill.tools, "tool") +
                              ", " + count(drill.holes, "hole"),
                          util::angled(drill.output)}));
    say(log, "[Fab Export completed]");
    return app::JobResult::Completed;
}

} // namespace

app::JobResult fabexport(const app::JobContext& context) {
    auto& log = context.log();
    log.clear();
    log.refresh();
    return app::runBody(context, {.placement = app::Placement::Below}, [&] { return exportFiles(context); });
}

} // namespace fk::fab
