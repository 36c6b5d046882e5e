// "NC1 >> 2,3,4": recognise the dialect, bring the drill file into the preferred form in place, then write
// the four derived files.
#include "drill/ncdrill.hpp"

#include "app/runner.hpp"
#include "drill/coordinates.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <optional>

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

// The four derived files, written line by line from the preferred form in one pass.
class DerivedFiles {
  public:
    explicit DerivedFiles(const Paths& paths)
        : nc2_(paths.derived(2)), nc3_(paths.derived(3)), nc4_(paths.derived(4)), nc5_(paths.derived(5)) {}

    void line(std::string_view text, long number) {
        if (number <= 2 || !isCoordinateLine(text)) {
            for (auto* out : {&nc2_, &nc3_, &nc4_})
                out->writeLine(text);
            nc5_.writeLine(number == 2 ? std::string_view("INCH,LZ") : text);
            return;
        }
        const size_t most = text.size();
        nc2_.writeLineWith(most, [&](char* out) { return writeFiveDigits(out, text); });
        nc3_.writeLineWith(most, [&](char* out) { return writeWithoutPlus(out, text); });
        nc4_.writeLineWith(most, [&](char* out) {
            cut_.resize(most);
            cut_.resize(writeFiveDigits(cut_.data(), text));
            return writeWithoutPlus(out, cut_);
        });
        nc5_.writeLineWith(most, [&](char* out) { return writeTrailingSuppressed(out, text); });
    }

    void finish() {
        for (auto* out : {&nc2_, &nc3_, &nc4_, &nc5_})
            out->finish();
    }
    void commit() {
        for (auto* out : {&nc2_, &nc3_, &nc4_, &nc5_})
            out->commit();
    }

  private:
    platform::AtomicWriter nc2_, nc3_, nc4_, nc5_;
    std::string cut_;
};

void announceDerivedFiles(app::MessageLog& log) {
    progress(log, "Translating NC1 to NC2 (2/4 >> 2/3).");
    progress(log, "Translating NC1 to NC3 (2/4 >> 2/4 stripped sign).");
    progress(log, "Translating NC1 to NC4 (2/4 >> 2/3 stripped sign).");
    progress(log, "Translating NC1 to NC5 (2/4 >> 2/3 TZ suppressed [Circuit logic]).");
}

// One pass over the source: when a fill is given, the preferred form goes to the transient NC0 as well.
void translateLines(const Paths& paths, std::optional<Fill> fill, app::MessageLog& log) {
    std::optional<platform::AtomicWriter> preferred;
    if (fill)
        preferred.emplace(paths.transient());
    announceDerivedFiles(log);
    DerivedFiles derived(paths);
    {
        // The source is closed before anything replaces it (Windows refuses to replace an open file).
        platform::LineReader reader(paths.source());
        std::string_view line;
        char converted[maxPreferredLength];
        for (long number = 1; reader.next(line); ++number) {
            if (fill) {
                if (number <= 2)
                    line = number == 1 ? "M48" : "INCH";
                else if (isCoordinateLine(line))
                    line = std::string_view(converted, writePreferred(converted, line, *fill));
                preferred->writeLine(line);
            }
            derived.line(line, number);
        }
    }
    derived.finish();
    if (preferred) {
        preferred->commit();
        // The rename replaces the source in one step: there is never a moment without a drill file.
        platform::renameFile(paths.transient(), paths.source());
    }
    derived.commit();
}

app::JobResult translate(const app::JobContext& context, const Paths& paths) {
    auto& log = context.log();
    const std::string key = dialectKey(paths.source());
    std::optional<Fill> fill;
    if (key == "m48inch") {
        log.append("NC1 is prefered format, using as is.");
    } else if (key == "m48inch,lz") {
        progress(log, "Translating Trailing Zero suppressed NC file to prefered format.");
        fill = Fill::Right;
    } else if (key == "m48inch,tz") {
        progress(log, "Translating Leading Zero suppressed NC file to prefered format.");
        fill = Fill::Left;
    } else {
        log.show(adviceBlock());
        log.refresh();
        return app::JobResult::Stopped;
    }
    translateLines(paths, fill, log);
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
    return app::runBody(context, {.placement = app::Placement::Append},
                        [&] { return translate(context, paths); });
}

} // namespace fk::drill
