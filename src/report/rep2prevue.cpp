// "REP >> GerbView": the aperture report read twice (count, convert), then the two viewer tables written.
#include "report/rep2prevue.hpp"

#include "app/commit.hpp"
#include "app/runner.hpp"
#include "platform/files.hpp"
#include "report/viewertables.hpp"
#include "util/text.hpp"

namespace fk::report {

namespace {

struct Paths {
    std::string report, apr, rck;
};

[[noreturn]] void limit(const std::string& what) {
    throw app::JobStop{util::lines({what, "No viewer table was written, correct and re-try."})};
}

enum class LineClass { Ignored, Aperture, Tool };

// The code word of a report line: the first word of its columns 5 to 8, in either case.
std::string_view codeWordOf(std::string_view line) {
    return util::fieldOf(line.substr(std::min<size_t>(4, line.size()), 4), 1);
}

LineClass classify(std::string_view codeWord) {
    if (codeWord.empty() || util::equalsNoCase(codeWord, "DRAW"))
        return LineClass::Ignored;
    if (codeWord[0] == 'D' || codeWord[0] == 'd')
        return LineClass::Aperture;
    if (codeWord[0] == 'T' || codeWord[0] == 't')
        return LineClass::Tool;
    return LineClass::Ignored;
}

int32_t nanometres(const std::string& field, long lineNumber) {
    auto nm = nmvalue(util::valueOf(field) / 1000.0);
    if (!nm)
        limit("The size " + util::field(field, 1) + " on line " + std::to_string(lineNumber) +
              " of the report is too large for the viewer.");
    return *nm;
}

// A file that holds no report at all: empty tables over good ones would say the job had done its work.
[[noreturn]] void notAReport(const std::string& what, const std::string& path) {
    throw app::JobStop{util::lines({what, util::angled(path),
                                    "Expected lines whose columns 5 to 8 begin with a D-code (D10) or a "
                                    "tool (T1).",
                                    "No viewer table was written, correct and re-try."})};
}

struct Counts {
    long apertures = 0, tools = 0;
};

Counts countLines(const std::string& path) {
    platform::LineReader reader(path);
    Counts counts;
    std::string_view line;
    while (reader.next(line)) {
        if (!util::isText(line))
            notAReport("Line " + std::to_string(reader.lineNumber()) + " of the file is not text:", path);
        LineClass c = classify(codeWordOf(line));
        counts.apertures += c == LineClass::Aperture;
        counts.tools += c == LineClass::Tool;
    }
    if (counts.apertures == 0 && counts.tools == 0)
        notAReport("The file holds no aperture line and no tool line of an aperture report:", path);
    if (counts.apertures > 255)
        limit("The report lists " + std::to_string(counts.apertures) +
              " apertures, more than the 255 the viewer's aperture table can hold.");
    if (counts.tools > maxTools)
        limit("The report lists " + std::to_string(counts.tools) + " tools, more than the " +
              std::to_string(maxTools) + " the viewer's tool table can hold.");
    return counts;
}

void convertAperture(std::string_view line, long lineNumber, std::string& apr, app::MessageLog& log) {
    const std::string codeWord = util::upper(codeWordOf(line));
    auto dcode = util::toInt16(util::valueOf(util::mid(codeWord, 2)));
    if (!dcode || *dcode < 0 || *dcode > 255)
        limit("The D-code " + codeWord + " on line " + std::to_string(lineNumber) +
              " of the report does not fit the viewer's table (0 to 255).");
    const std::string key = util::mid(line, 12, 7) + util::mid(line, 38, 4);
    auto shape = shapecode(key);
    if (!shape) {
        log.appendRaw(util::lines({"     Aperture [" + key + "] is not recognised", ""}));
        shape = 0;
    }
    const int32_t width = nanometres(util::mid(line, 21, 3), lineNumber);
    const int32_t height = (*shape == 4 || *shape == 5) ? nanometres(util::mid(line, 26, 3), lineNumber) : 0;
    apr += apertureRecord(static_cast<uint8_t>(*shape), static_cast<uint8_t>(*dcode), width, height);
}

// The second pass: aperture records in report order, tool sizes by order of appearance.
void convertLines(const std::string& path, std::string& apr, std::string& rck, app::MessageLog& log) {
    platform::LineReader reader(path);
    std::string_view line;
    while (reader.next(line)) {
        const long lineNumber = reader.lineNumber();
        switch (classify(codeWordOf(line))) {
        case LineClass::Aperture:
            convertAperture(line, lineNumber, apr, log);
            break;
        case LineClass::Tool:
            rck += toolRecord(nanometres(util::mid(line, 12, 7), lineNumber));
            break;
        case LineClass::Ignored:
            break;
        }
    }
}

bool validate(const app::JobContext& context, const Paths& paths) {
    auto& log = context.log();
    if (!platform::direxists(context.fields.indatapath))
        log.show("Invalid input data path, correct and re-try");
    else if (!platform::direxists(context.fields.gcpvpath))
        log.show("Invalid Gerber Prevue path, correct and re-try");
    else if (!platform::fileexists(paths.report))
        log.show(util::lines({"You must save the Tango PCB aperture report",
                              "to a file in the input data path:", "", "[" + paths.report + "]"}));
    else
        return true;
    return false;
}

} // namespace

app::JobResult rep2prevue(const app::JobContext& context) {
    auto& log = context.log();
    const auto& f = context.fields;
    context.beep();
    log.clear();
    log.refresh();
    if (app::refuseBlankBaseName(context))
        return app::JobResult::Stopped;
    const Paths paths{.report = f.indatapath + "\\" + f.fnamebase + ".REP",
                      .apr = f.gcpvpath + "\\apr.apr",
                      .rck = f.gcpvpath + "\\rck.rck"};
    if (!validate(context, paths))
        return app::JobResult::Stopped;
    log.prepend("[Reading and converting Tango apertures]");
    log.refresh();
    // The report job adds its notes at the very end of the log, and so a message that stops it.
    return app::runBody(context, {.placement = app::Placement::AtEnd}, [&] {
        const Counts counts = countLines(paths.report);
        std::string apr = aprHeader(static_cast<uint8_t>(counts.apertures));
        std::string rck = rckHeader(static_cast<uint8_t>(counts.tools));
        convertLines(paths.report, apr, rck, log);
        // Both tables are complete in their temporaries before either replaces its target.
        platform::AtomicWriter aprFile(paths.apr);
        aprFile.write(apr);
        platform::AtomicWriter rckFile(paths.rck);
        rckFile.write(rck);
        log.prepend("[Reading and converting Tango tools]");
        log.refresh();
        app::commitOutputs(log, {&aprFile, &rckFile});
        log.prepend("[Tango aperture report to GCPreview completed]");
        log.refresh();
        return app::JobResult::Completed;
    });
}

} // namespace fk::report
