// "NC1 >> 2,3,4": recognise the dialect, bring the drill file into the preferred form in place, then write
// the four derived files.
#include "drill/ncdrill.hpp"

#include "drill/coordinates.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

namespace fk::drill {

namespace {

const std::string crlf(util::crlf);

struct Paths {
    std::string in, out, base;
    std::string source() const { return in + "\\" + base + ".NC1"; }
    std::string transient() const { return in + "\\" + base + ".NC0"; }
    std::string derived(int n) const { return out + "\\" + base + ".NC" + std::to_string(n); }
};

void progress(app::MessageLog& log, const std::string& message) {
    log.append(message);
    log.refresh();
}

std::string adviceBlock() {
    const std::string t4 = "\t\t\t\t";
    return "The NC drill data is not in a recognized format!" + crlf +
           "Set Tango's Output-CAM Language to:\tUnits [Inches]" + crlf + t4 + "Format [5.3]" + crlf + t4 +
           "Units [Inches]" + crlf + t4 + "Code [Ascii none]" + crlf + t4 + "Zero Suppression [None]" + crlf +
           "Re-generate the NC Drill file and then try to process again.";
}

std::string dialectKey(const std::string& path) {
    platform::LineReader reader(path);
    std::string first, second;
    reader.next(first);
    reader.next(second);
    return util::lower(first + second);
}

void convertInPlace(const Paths& paths, Fill fill) {
    {
        platform::LineReader reader(paths.source());
        platform::AtomicWriter writer(paths.transient());
        std::string line;
        reader.next(line);
        reader.next(line);
        writer.writeLine("M48");
        writer.writeLine("INCH");
        while (reader.next(line))
            writer.writeLine(isCoordinateLine(line) ? toPreferred(line, fill) : line);
        writer.commit();
    }
    // The rename replaces the source in one step: there is never a moment without a drill file.
    platform::renameFile(paths.transient(), paths.source());
}

template <typename Rule> void derive(const Paths& paths, int n, Rule rule) {
    platform::LineReader reader(paths.source());
    platform::AtomicWriter writer(paths.derived(n));
    std::string line;
    for (long number = 1; reader.next(line); ++number)
        writer.writeLine(rule(line, number));
    writer.commit();
}

void writeDerivedFiles(const Paths& paths, app::MessageLog& log) {
    progress(log, "Translating NC1 to NC2 (2/4 >> 2/3).");
    derive(paths, 2, [](const std::string& l, long) { return isCoordinateLine(l) ? cutToFiveDigits(l) : l; });
    progress(log, "Translating NC1 to NC3 (2/4 >> 2/4 stripped sign).");
    derive(paths, 3, [](const std::string& l, long) { return isCoordinateLine(l) ? stripPlusSigns(l) : l; });
    progress(log, "Translating NC1 to NC4 (2/4 >> 2/3 stripped sign).");
    derive(paths, 4, [](const std::string& l, long) {
        return isCoordinateLine(l) ? stripPlusSigns(cutToFiveDigits(l)) : l;
    });
    progress(log, "Translating NC1 to NC5 (2/4 >> 2/3 TZ suppressed [Circuit logic]).");
    derive(paths, 5, [](const std::string& l, long number) {
        if (number == 1)
            return l;
        if (number == 2)
            return std::string("INCH,LZ");
        return isCoordinateLine(l) ? suppressTrailingZeros(l) : l;
    });
}

app::JobResult translate(const app::JobContext& context, const Paths& paths) {
    auto& log = context.log();
    const std::string key = dialectKey(paths.source());
    if (key == "m48inch") {
        log.append("NC1 is prefered format, using as is.");
    } else if (key == "m48inch,lz") {
        progress(log, "Translating Trailing Zero suppressed NC file to prefered format.");
        convertInPlace(paths, Fill::Right);
    } else if (key == "m48inch,tz") {
        progress(log, "Translating Leading Zero suppressed NC file to prefered format.");
        convertInPlace(paths, Fill::Left);
    } else {
        log.show(adviceBlock());
        log.refresh();
        return app::JobResult::Stopped;
    }
    writeDerivedFiles(paths, log);
    if (paths.out != paths.in)
        platform::copyFile(paths.source(), paths.derived(1));
    log.append("NC Drill format translatiion is complete!");
    log.refresh();
    return app::JobResult::Completed;
}

} // namespace

app::JobResult ncdrill(const app::JobContext& context) {
    auto& log = context.log();
    const Paths paths{context.fields.indatapath, context.fields.outdatapath, context.fields.fnamebase};
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
    try {
        return translate(context, paths);
    } catch (const platform::FileError& e) {
        log.append(e.logMessage());
    }
    log.refresh();
    return app::JobResult::Stopped;
}

} // namespace fk::drill
