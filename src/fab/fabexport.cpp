// The Fab Export job: settings, the plot selection, the phases and the one commit of all exports.
#include "fab/fabexport.hpp"

#include "app/commit.hpp"
#include "app/runner.hpp"
#include "fab/model.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <memory>

namespace fk::fab {

namespace {

struct Paths {
    std::string dfn, nc1, plated, unplated, outline, job, zip, outputDirectory;
};

Paths pathsOf(const app::Fields& f) {
    const std::string out = f.outdatapath + "\\" + f.fnamebase;
    return {.dfn = f.dfnpath + "\\PCB.DFN",
            .nc1 = f.indatapath + "\\" + f.fnamebase + ".NC1",
            .plated = out + "-PTH.drl",
            .unplated = out + "-NPTH.drl",
            .outline = out + "." + endingOf({.layer = Layer::Outline}),
            .job = out + ".gbrjob",
            .zip = out + "-fab.zip",
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

// No export may replace an input or another export: the user's files stay as they are.
void refuseCollisions(const Assignment& assigned, const Paths& paths) {
    std::vector<std::string> inputs{paths.dfn, paths.nc1},
        outputs{paths.plated, paths.unplated, paths.job, paths.zip};
    if (assigned.outlineFromExtent)
        outputs.push_back(paths.outline);
    for (const auto& p : assigned.plots) {
        inputs.push_back(p.file.input);
        outputs.push_back(p.file.output);
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
                                 "No file was written; give the plots different roles and re-try."})};
        }
    }
}

std::string count(long n, const std::string& thing) {
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

DrillSplit readNc1(const Paths& paths, const std::set<MilPoint>& mountingHoles) {
    try {
        return readDrill(paths.nc1, mountingHoles);
    } catch (const drill::ExcellonError& e) {
        throw app::JobStop{
            util::lines({"NC1 line " + std::to_string(e.line) + " cannot be exported: [" + e.text + "]",
                         util::angled(paths.nc1), "Expected: " + e.expected + ".",
                         "No file was written; correct the NC drill file and re-try."})};
    }
}

// The export's outputs, each finished, in the order they are committed, with what the job file says of them.
struct Outputs {
    std::vector<std::unique_ptr<platform::AtomicWriter>> writers;
    std::vector<JobEntry> entries;
    Extent board;
    platform::AtomicWriter& open(const std::string& path) {
        return *writers.emplace_back(std::make_unique<platform::AtomicWriter>(path));
    }
    void finish(const std::string& function, const std::string& polarity) {
        writers.back()->finish();
        entries.push_back({util::fileNameOf(writers.back()->pathText()), function, polarity});
    }
};

struct Written {
    std::vector<PlotSummary> plots;
    std::vector<DrillSummary> drills;
};

Written writePlots(const Assignment& assigned, const Definitions& definitions, const Paths& paths,
                   const Provenance& made, app::MessageLog& log, Outputs& outputs) {
    Written written;
    Extent all;
    for (const auto& p : assigned.plots) {
        const auto attributes = fileAttributes(p.place.function, polarityOf(p.role), made);
        written.plots.push_back(writePlot(p.file, definitions, attributes, outputs.open(p.file.output)));
        outputs.finish(p.place.function, polarityOf(p.role));
        all.add(written.plots.back().extent);
        if (p.role.layer == Layer::Outline)
            outputs.board.add(written.plots.back().extent);
    }
    if (assigned.outlineFromExtent && all.empty)
        throw app::JobStop{"The plots hold no point to draw an outline around; no file was written."};
    if (assigned.outlineFromExtent) {
        say(log, "[Writing the board outline around the plots]");
        const int m = outlineMarginMils;
        outputs.board = {all.left - m, all.bottom - m, all.right + m, all.top + m, false};
        const Role outline{.layer = Layer::Outline};
        writeOutline(
            outputs.board,
            fileAttributes(fileFunctionOf(outline, assigned.copperLayers), polarityOf(outline), made),
            outputs.open(paths.outline));
        outputs.finish(fileFunctionOf(outline, assigned.copperLayers), polarityOf(outline));
    }
    return written;
}

void writeDrills(const Paths& paths, const Written& plots, const Definitions& definitions, int copperLayers,
                 const Provenance& made, Outputs& outputs, Written& written) {
    std::set<MilPoint> mountingHoles;
    for (const auto& p : plots.plots)
        mountingHoles.insert(p.mountingHoles.begin(), p.mountingHoles.end());
    const DrillSplit split = readNc1(paths, mountingHoles);
    const std::string layers = "1," + std::to_string(copperLayers) + ",";
    const std::string plated = "Plated," + layers + "PTH", unplated = "NonPlated," + layers + "NPTH";
    written.drills.push_back(
        writeDrill(paths.nc1, split.plated, definitions, plated, made, outputs.open(paths.plated)));
    outputs.finish(plated, "Positive");
    if (split.unplated.holes.empty())
        return; // no unplated hole: no file that would hold none
    written.drills.push_back(
        writeDrill(paths.nc1, split.unplated, definitions, unplated, made, outputs.open(paths.unplated)));
    outputs.finish(unplated, "Positive");
}

// The job file, then the zip of every file with it, in the order of their names.
void writeJobAndZip(const Paths& paths, const Assignment& assigned, JobDescription job, std::int64_t seconds,
                    Outputs& outputs) {
    job.board = outputs.board;
    job.copperLayers = assigned.copperLayers;
    job.files = outputs.entries;
    for (const auto& p : assigned.plots)
        job.roles.push_back(p.role);
    std::sort(job.files.begin(), job.files.end(),
              [](const auto& a, const auto& b) { return a.path < b.path; });
    writeJobFile(job, outputs.open(paths.job));
    outputs.writers.back()->finish();
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& w : outputs.writers) {
        std::string bytes;
        w->readBack([&bytes](std::string_view piece) { bytes += piece; });
        files.emplace_back(util::fileNameOf(w->pathText()), std::move(bytes));
    }
    std::sort(files.begin(), files.end());
    outputs.open(paths.zip).write(zipOf(files, seconds));
    outputs.writers.back()->finish();
}

void sayWritten(app::MessageLog& log, const Assignment& assigned, const Paths& paths,
                const Written& written) {
    for (size_t i = 0; i < assigned.plots.size(); ++i)
        say(log, util::lines({util::fileNameOf(assigned.plots[i].file.input) + " >> RS-274-X " +
                                  textOf(assigned.plots[i].role) + ":\t" +
                                  count(written.plots[i].apertures, "aperture") + ", " +
                                  count(written.plots[i].macros, "macro"),
                              util::angled(written.plots[i].output)}));
    if (assigned.outlineFromExtent)
        say(log,
            util::lines({"Plots' extent >> outline:\t" + std::to_string(outlineMarginMils) + " mils around",
                         util::angled(paths.outline)}));
    for (size_t i = 0; i < written.drills.size(); ++i)
        say(log, util::lines({util::fileNameOf(paths.nc1) + " >> Excellon " + (i ? "unplated" : "plated") +
                                  ":\t" + count(written.drills[i].tools, "tool") + ", " +
                                  count(written.drills[i].holes, "hole"),
                              util::angled(written.drills[i].output)}));
    say(log,
        util::lines({"Job file:\t" + count(assigned.copperLayers, "copper layer"), util::angled(paths.job)}));
    say(log, util::lines({"Zip of all files:", util::angled(paths.zip)}));
}

app::JobResult exportFiles(const app::JobContext& context) {
    auto& log = context.log();
    const app::Fields& f = context.fields;
    const Paths paths = pathsOf(f);
    if (app::refuseBlankBaseName(context))
        return app::JobResult::Stopped;
    // The base name names every file and the project in the job file, which is JSON: UTF-8 text only.
    if (!util::isUtf8(f.fnamebase)) {
        log.show(util::lines(
            {"The file base name " + f.fnamebase + " is no UTF-8 text, which the job file cannot hold.",
             "No file was written; correct the file base name and re-try."}));
        log.refresh();
        return app::JobResult::Stopped;
    }
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
    const Assignment assigned = assignRoles(context, choice);
    refuseCollisions(assigned, paths);
    const std::int64_t seconds = creationSeconds();
    const Provenance made = provenanceOf(f.fnamebase, isoDate(seconds));
    JobDescription job{
        .made = made, .thicknessMicrometres = thicknessOf(context), .limits = board::limitsOf(context)};

    say(log, "[Reading PCB.DFN]");
    const Definitions definitions = readDefinitions(paths.dfn);
    say(log, "[Writing RS-274-X plots]");
    Outputs outputs;
    Written written = writePlots(assigned, definitions, paths, made, log, outputs);
    say(log, "[Writing Excellon drill files]");
    writeDrills(paths, written, definitions, assigned.copperLayers, made, outputs, written);
    say(log, "[Writing job file and zip]");
    writeJobAndZip(paths, assigned, std::move(job), seconds, outputs);

    std::vector<platform::AtomicWriter*> all;
    for (const auto& out : outputs.writers)
        all.push_back(out.get());
    app::commitOutputs(log, all);
    sayWritten(log, assigned, paths, written);
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
