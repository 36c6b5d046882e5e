// "NC1 >> 2,3,4": read the drill file by the format its header states, bring it into the preferred form in
// place (keeping the file as it came), then write the four derived files.
#include "drill/ncdrill.hpp"

#include "app/commit.hpp"
#include "app/runner.hpp"
#include "drill/translate.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <memory>
#include <optional>
#include <vector>

namespace fk::drill {

namespace {

struct Paths {
    std::string in, out, base;
    std::string source() const { return in + "\\" + base + ".NC1"; }
    std::string backup() const { return in + "\\" + base + ".NC1.orig"; }
    std::string derived(int n) const { return out + "\\" + base + ".NC" + std::to_string(n); }
};

void progress(app::MessageLog& log, const std::string& message) {
    log.append(message);
    log.refresh();
}

std::string adviceBlock() {
    // The units line stands twice, as Tango-PCB's own advice has it.
    return util::lines({"The NC drill data is not in a recognized format!",
                        "Set Tango's Output-CAM Language to:\tUnits [Inches]", "\t\t\t\tFormat [5.3]",
                        "\t\t\t\tUnits [Inches]", "\t\t\t\tCode [Ascii none]",
                        "\t\t\t\tZero Suppression [None]",
                        "Re-generate the NC Drill file and then try to process again."});
}

void announceDerivedFiles(app::MessageLog& log) {
    progress(log, "Translating NC1 to NC2 (2/4 >> 2/3).");
    progress(log, "Translating NC1 to NC3 (2/4 >> 2/4 stripped sign).");
    progress(log, "Translating NC1 to NC4 (2/4 >> 2/3 stripped sign).");
    progress(log, "Translating NC1 to NC5 (2/4 >> 2/3 TZ suppressed [Circuit logic]).");
}

// "Trailing Zero suppressed", "Metric 3.3 Leading Zero suppressed", "Inch 2.4": what the header stated.
std::string formatDescription(const DrillFormat& f) {
    std::string words;
    if (f.units != Units::Inch || f.integerDigits != 2 || f.decimalDigits != 4 || f.zeros == Zeros::Unstated)
        words = (f.units == Units::Inch ? "Inch " : "Metric ") + std::to_string(f.integerDigits) + "." +
                std::to_string(f.decimalDigits);
    if (f.zeros != Zeros::Unstated)
        words += std::string(words.empty() ? "" : " ") +
                 (f.zeros == Zeros::TrailingOmitted ? "Trailing Zero suppressed" : "Leading Zero suppressed");
    return words;
}

void reportTranslation(const Translation& t, const Paths& paths, app::MessageLog& log) {
    if (t.alreadyPreferred) {
        log.append("NC1 is prefered format, using as is.");
        return;
    }
    DrillFormat stated = t.format;
    if (stated.zeros == Zeros::Unstated)
        stated.zeros = t.zerosShown;
    progress(log, "Translating " + formatDescription(stated) + " NC file to prefered format.");
    if (t.format.zeros == Zeros::Unstated && t.zerosShown != Zeros::Unstated)
        log.append("No zero suppression stated in the header: the numbers leave out " +
                   std::string(t.zerosShown == Zeros::LeadingOmitted ? "leading" : "trailing") + " zeros.");
    if (t.format.units == Units::Metric)
        log.append("Metric values converted to inches, rounded to 0.0001 inch.");
    else if (t.rounded)
        log.append("Inch values rounded to 0.0001 inch.");
    if (!t.tangoDialect)
        log.append("Original NC1 kept as " + util::angled(paths.backup()));
}

std::string refusal(const ExcellonError& e) {
    return util::lines({"NC1 line " + std::to_string(e.line) + " cannot be translated: [" + e.text + "]",
                        "Expected: " + e.expected + ".", "Correct the NC drill file and re-try."});
}

app::JobResult showAdvice(app::MessageLog& log, const std::string& found) {
    log.show(util::lines({found, adviceBlock()}));
    log.refresh();
    return app::JobResult::Stopped;
}

app::JobResult refuse(const ExcellonError& e, app::MessageLog& log) {
    if (e.unsettled)
        return showAdvice(log,
                          "NC1 line " + std::to_string(e.line) + " [" + e.text +
                              "] is a hole, but no units line (INCH, METRIC, M71 or M72) stands before it.");
    progress(log, refusal(e));
    return app::JobResult::Stopped;
}

// The outputs of a translation; an NC1 used as is is neither replaced nor backed up, and its copy in the
// output path keeps its bytes.
struct JobOutputs {
    Outputs files;
    std::optional<platform::AtomicWriter> backup, asIsCopy;
    const Paths& paths;

    explicit JobOutputs(const Paths& where)
        : files{.preferred = {},
                .outputCopy = {},
                .nc2 = platform::AtomicWriter(where.derived(2)),
                .nc3 = platform::AtomicWriter(where.derived(3)),
                .nc4 = platform::AtomicWriter(where.derived(4)),
                .nc5 = platform::AtomicWriter(where.derived(5)),
                .preferredTarget = {},
                .copyTarget = {}},
          paths(where) {}

    bool copiesOut() const { return paths.out != paths.in; }

    // For the reading in one pass: the preferred form's targets, opened once the file turns out not to be
    // preferred.
    void openPreferredFormWhenNeeded() {
        files.preferredTarget = paths.source();
        if (copiesOut())
            files.copyTarget = paths.derived(1);
    }

    // The source as it stands: kept as the backup where the preferred form replaces it, else copied out.
    void keepSource(bool alreadyPreferred) {
        if (alreadyPreferred) {
            if (copiesOut()) {
                asIsCopy.emplace(paths.derived(1));
                platform::copyInto(*asIsCopy, paths.source());
            }
            return;
        }
        backup.emplace(paths.backup());
        platform::copyInto(*backup, paths.source());
    }

    void openPreferredForm() {
        files.preferred.emplace(paths.source());
        if (copiesOut())
            files.outputCopy.emplace(paths.derived(1));
    }

    std::vector<platform::AtomicWriter*> all() {
        std::vector<platform::AtomicWriter*> targets;
        for (auto* output : {&backup, &files.preferred, &files.outputCopy, &asIsCopy})
            if (*output)
                targets.push_back(&**output);
        for (auto* output : {&files.nc2, &files.nc3, &files.nc4, &files.nc5})
            targets.push_back(output);
        return targets;
    }
};

// A translation with its outputs; no outputs where the file holds no units line.
struct Translated {
    Translation t;
    std::unique_ptr<JobOutputs> outputs;
};

// One reading that writes as it reads. Nothing where that reading cannot finish: the numbers' zeros need a
// survey, or an output fails (the reading in two passes then meets the failure where it always did, after
// every line of the file has been checked).
std::optional<Translated> translateInOnePass(const Paths& paths) {
    try {
        auto outputs = std::make_unique<JobOutputs>(paths);
        outputs->openPreferredFormWhenNeeded();
        Translation t = translateDrillFile(paths.source(), outputs->files);
        if (t.surveyNeeded)
            return std::nullopt;
        if (!t.unitsFound)
            return Translated{.t = t, .outputs = nullptr};
        outputs->keepSource(t.alreadyPreferred);
        return Translated{.t = t, .outputs = std::move(outputs)};
    } catch (const platform::FileError& e) {
        if (e.kind() != platform::FileError::Kind::Write)
            throw;
        return std::nullopt;
    }
}

// A survey of the whole file first, then the reading that writes.
Translated translateInTwoPasses(const Paths& paths) {
    const Translation survey = surveyDrillFile(paths.source());
    if (!survey.unitsFound)
        return {.t = survey, .outputs = nullptr};
    auto outputs = std::make_unique<JobOutputs>(paths);
    outputs->keepSource(survey.alreadyPreferred);
    if (!survey.alreadyPreferred)
        outputs->openPreferredForm();
    Translation t = translateDrillFile(paths.source(), survey, outputs->files);
    return {.t = t, .outputs = std::move(outputs)};
}

app::JobResult translate(const Paths& paths, app::MessageLog& log) {
    Translated done;
    try {
        auto once = translateInOnePass(paths);
        done = once ? std::move(*once) : translateInTwoPasses(paths);
    } catch (const ExcellonError& e) {
        return refuse(e, log);
    }
    if (!done.outputs)
        return showAdvice(log, "NC1 holds no units line (INCH, METRIC, M71 or M72).");
    reportTranslation(done.t, paths, log);
    announceDerivedFiles(log);
    app::commitOutputs(log, done.outputs->all());
    log.append("NC Drill format translatiion is complete!");
    log.refresh();
    return app::JobResult::Completed;
}

} // namespace

app::JobResult ncdrill(const app::JobContext& context) {
    auto& log = context.log();
    const Paths paths{context.fields.indatapath, context.fields.outdatapath, context.fields.fnamebase};
    if (app::refuseBlankBaseName(context))
        return app::JobResult::Stopped;
    if (!platform::fileexists(paths.source())) {
        log.show("File (" + paths.in + "\\" + paths.base + ".NC1) not found!");
        return app::JobResult::Stopped;
    }
    if (!platform::direxists(paths.out)) {
        log.show("Output path (" + paths.out + ") not found!");
        return app::JobResult::Stopped;
    }
    context.beep();
    log.show("Translating NC Drill formats...");
    log.refresh();
    return app::runBody(context, {.placement = app::Placement::Append},
                        [&] { return translate(paths, log); });
}

} // namespace fk::drill
