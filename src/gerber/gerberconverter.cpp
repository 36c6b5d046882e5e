// "Gerber Converter": drill list step, scan and renumbering of the plots, rewrite and commit; the aperture
// table it reads and the compressed table it writes are in gerber/tables.cpp.
#include "gerber/gerberconverter.hpp"

#include "app/commit.hpp"
#include "app/runner.hpp"
#include "gerber/draft.hpp"
#include "gerber/steps.hpp"
#include "gerber/tables.hpp"
#include "gerber/translate.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <charconv>
#include <cstring>
#include <memory>
#include <vector>

namespace fk::gerber {

namespace {

// The names of a selection: every comma-separated entry without its directory and surrounding blanks.
Selection selectionOf(const std::string& choice) {
    Selection s;
    s.directory = util::directoryOf(choice);
    const long count = util::fieldcount(choice, ",");
    for (long i = 1; i <= count; ++i) {
        const std::string entry = util::trim(util::field(choice, i, ","));
        auto slash = entry.rfind('\\');
        s.names.push_back(slash == std::string::npos ? entry : entry.substr(slash + 1));
    }
    return s;
}

// Five digits of a coordinate; a negative coordinate keeps its sign in front of them. Inline, as every
// coordinate line writes two.
inline size_t writeFiveDigits(char* out, int value) {
    const bool negative = value < 0;
    out[0] = '-';
    util::writeDigits(out + negative, static_cast<std::uint32_t>(negative ? -value : value), 5);
    return 5 + negative;
}

// The coordinate line of the rewritten file: X, five digits, Y, five digits, the D text.
size_t writeCoordinateLine(char* out, const Coordinates& at) {
    size_t n = 0;
    out[n++] = 'X';
    n += writeFiveDigits(out + n, at.x);
    out[n++] = 'Y';
    n += writeFiveDigits(out + n, at.y);
    if (at.dtext.size() == 4) // as every operation text is: a copy of a known length costs no call
        std::memcpy(out + n, at.dtext.data(), 4);
    else
        std::memcpy(out + n, at.dtext.data(), at.dtext.size());
    return n + at.dtext.size();
}

constexpr size_t maxCoordinateLine = 1 + 6 + 1 + 6 + 4;

// Notes, for every aperture number selected, the last line or command that selected it.
class Selections {
  public:
    explicit Selections(ApertureCodes& codes) : codes_(codes), seen_(std::size_t{1} << 16) {}
    void note(int number, std::string_view text) {
        // Only the rows below D10 show their selecting line; the others get their new code, so keeping
        // their lines would only cost memory (up to one long line per aperture number).
        if (number < 10)
            codes_.usage[number] = std::string(text);
        else if (!seen_[slotOf(number)])
            codes_.usage[number];
        seen_[slotOf(number)] = true;
    }

  private:
    ApertureCodes& codes_;
    std::vector<bool> seen_; // by slot: a look-up in the map per selection would cost more
};

// The one reading of every file: notes the apertures each selects, for their renumbering, and writes each
// rewritten file as a draft. A draft that cannot be written (a full disk, a folder that takes no new file)
// ends the drafting, not the reading: the files without a draft are read again once the codes are known,
// and so meet the failure where a rewrite without drafts meets it.
class DraftSink : public Sink {
  public:
    explicit DraftSink(ApertureCodes& codes) : selections_(codes) {}
    void startFile(const std::string& output) {
        heldData_ = false;
        drafting([&] { draft_ = std::make_unique<Draft>(output); });
    }
    // The finished draft of the file just read, or nothing where drafting has ended.
    std::unique_ptr<Draft> finishFile() {
        drafting([&] { draft_->finish(); });
        return std::move(draft_);
    }
    // True when the file just read selected an aperture or gave a coordinate.
    bool fileHeldData() const { return heldData_; }
    void select(int number, std::string_view text, long) override {
        heldData_ = true;
        selections_.note(number, text);
        drafting([&] {
            draft_->line("D02*"); // pen up before the aperture changes
            draft_->apertureLine(number);
        });
    }
    void operation(const Coordinates& at, long) override {
        heldData_ = true;
        drafting([&] {
            if (at.dtext.find('\0') == std::string::npos)
                draft_->lineWith(maxCoordinateLine, [&](char* o) { return writeCoordinateLine(o, at); });
            else
                draft_->line(std::string_view(line_, writeCoordinateLine(line_, at)));
        });
    }
    void line(std::string_view text, long) override {
        drafting([&] { draft_->line(text); });
    }

  private:
    template <typename Write> void drafting(Write write) {
        if (ended_)
            return;
        try {
            write();
        } catch (const platform::FileError& e) {
            if (e.kind() != platform::FileError::Kind::Write)
                throw;
            ended_ = true;
            draft_.reset();
        }
    }

    Selections selections_;
    std::unique_ptr<Draft> draft_;
    bool ended_ = false;
    bool heldData_ = false;
    char line_[maxCoordinateLine];
};

// The one reading of the selection: every aperture it selects, the drafts, the current point at the start of
// every file (a file read again starts from there) and the rounding.
struct Reading {
    std::vector<std::unique_ptr<Draft>> drafts;
    std::vector<Coordinates> starts;
    Rounding rounding;
};

Reading readSelection(const Selection& selection, ApertureCodes& codes) {
    Reading reading;
    DraftSink sink(codes);
    Coordinates at;
    for (std::size_t i = 0; i < selection.names.size(); ++i) {
        reading.starts.push_back(at);
        sink.startFile(selection.output(i));
        if (!translateFile(selection.input(i), at, reading.rounding, sink) && !sink.fileHeldData())
            throw app::JobStop{util::lines({"The Gerber file holds no aperture selection and no coordinate:",
                                            util::angled(selection.input(i)),
                                            "No file was written; pick Gerber plots and re-try."})};
        reading.drafts.push_back(sink.finishFile());
    }
    return reading;
}

CodeLines codeLinesOf(const ApertureCodes& codes) {
    CodeLines lines(std::size_t{1} << 16, nullptr);
    for (const auto& [number, line] : codes.usage)
        lines[slotOf(number)] = &line;
    return lines;
}

long renumber(ApertureCodes& codes) {
    long counter = 9;
    for (auto it = codes.usage.lower_bound(10); it != codes.usage.end(); ++it)
        it->second = "D" + std::to_string(++counter) + "*";
    return counter - 9;
}

// The rewrite writes each selection as "D02*" and the new code, and each operation as a coordinate line.
class RewriteSink : public Sink {
  public:
    RewriteSink(platform::AtomicWriter& out, const ApertureCodes& codes, const std::string& input)
        : out_(out), codes_(codes), input_(input) {}
    void select(int number, std::string_view, long) override {
        auto code = codes_.usage.find(number);
        if (code == codes_.usage.end())
            throw app::JobStop{util::lines({"The file changed while it was converted:", util::angled(input_),
                                            "No file was written, re-try."})};
        out_.writeLine("D02*"); // pen up before the aperture changes
        out_.writeLine(code->second);
    }
    void operation(const Coordinates& at, long) override {
        // A D text is at most four characters, so the line never outgrows its bound.
        out_.writeLineWith(maxCoordinateLine, [&](char* o) { return writeCoordinateLine(o, at); });
    }
    void line(std::string_view text, long) override { out_.writeLine(text); }

  private:
    platform::AtomicWriter& out_;
    const ApertureCodes& codes_;
    const std::string& input_;
};

void writeHeader(platform::AtomicWriter& out) {
    // One parameter block over two lines: leading zeros omitted, absolute, 5.3 digits; scale factor 1 on
    // both axes, which closes the block.
    out.writeLine("*%FSLAX53Y53*");
    out.writeLine("SFA1.0B1.0*%");
}

void rewriteFile(const std::string& input, platform::AtomicWriter& out, const ApertureCodes& codes,
                 Coordinates& at) {
    writeHeader(out);
    RewriteSink sink(out, codes, input);
    Rounding rounding;
    translateFile(input, at, rounding, sink);
}

using Outputs = std::vector<std::unique_ptr<platform::AtomicWriter>>;

// The one commit of the job: every output, complete, replaces its target together with the others.
void commitAll(const Outputs& outputs, app::MessageLog& log) {
    std::vector<platform::AtomicWriter*> all;
    for (const auto& out : outputs)
        all.push_back(out.get());
    app::commitOutputs(log, all);
}

// The largest rounding shift as the log shows it: mils with up to four decimals.
std::string shiftText(double mils) {
    if (mils < 0.00005)
        return "under 0.0001";
    char buffer[64];
    std::string text(buffer,
                     std::to_chars(buffer, buffer + sizeof buffer, mils, std::chars_format::fixed, 4).ptr);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.')
        text.pop_back();
    return text;
}

// The renumbered apertures that the aperture table gives no size for, by their numbers in the files.
std::string undescribed(const ApertureCodes& codes) {
    std::string list;
    for (auto it = codes.usage.lower_bound(10); it != codes.usage.end(); ++it) {
        if (!codes.dimensions.count(it->first))
            list += " D" + std::to_string(it->first);
    }
    return list;
}

// Reads and renumbers, with the counts, the rounding and the apertures missing from the table in the log.
Reading readAndRenumber(const app::JobContext& context, const Selection& selection, ApertureCodes& codes) {
    Reading reading = readSelection(selection, codes);
    const long found = renumber(codes);
    auto& log = context.log();
    log.append(util::lines(
        {"Gerber files processed:\t" + util::signedText(static_cast<long long>(selection.names.size())),
         "Descreet apertures found:\t" + util::signedText(found)}));
    if (reading.rounding.happened)
        log.append("Coordinates rounded to whole mils, largest shift:\t " +
                   shiftText(reading.rounding.largestMils) + " mil");
    if (const std::string missing = undescribed(codes); !missing.empty())
        log.append("Apertures not in the aperture table:\t" + missing);
    log.refresh();
    return reading;
}

// The rewritten file from its draft. A write that fails here may fail for the room the drafts take: then
// they are all given up, and false tells the caller to write this file and the rest from their inputs.
bool fillFromDraft(const std::string& output, const CodeLines& codeLines, Reading& reading, size_t i,
                   Outputs& outputs) {
    try {
        auto out = std::make_unique<platform::AtomicWriter>(output);
        writeHeader(*out);
        reading.drafts[i]->fillInto(*out, codeLines);
        out->finish();
        reading.drafts[i].reset(); // its room on the disk is free again
        outputs.push_back(std::move(out));
        return true;
    } catch (const platform::FileError&) {
        for (auto& draft : reading.drafts)
            draft.reset();
        return false;
    }
}

// Each rewritten file from its draft, or, where there is none, from the file read again.
void writeRewritten(const Selection& selection, const ApertureCodes& codes, Reading& reading,
                    Outputs& outputs) {
    const CodeLines codeLines = codeLinesOf(codes);
    for (size_t i = 0; i < selection.names.size(); ++i) {
        if (reading.drafts[i] && fillFromDraft(selection.output(i), codeLines, reading, i, outputs))
            continue;
        outputs.push_back(std::make_unique<platform::AtomicWriter>(selection.output(i)));
        rewriteFile(selection.input(i), *outputs.back(), codes, reading.starts[i]);
        outputs.back()->finish();
    }
}

// A cancelled selection after the drill list's: the drawing made so far is dropped with the rest.
const std::string cancelled = "Gerber Converter was cancelled; nothing was written.";

app::JobResult convert(const app::JobContext& context) {
    auto& log = context.log();
    // Every output is complete before the first one replaces its target, and all are committed at the end
    // of the job together, so that a stop anywhere changes nothing and no output replaces an input that is
    // still to be read.
    Outputs outputs;
    if (auto drawing = drillListStep(context))
        outputs.push_back(std::move(drawing));
    const std::string tableChoice = context.pickfile({.mask = "*.*",
                                                      .startDirectory = context.fields.indatapath,
                                                      .title = "Select aperture table to use..."});
    if (tableChoice.empty())
        throw app::JobStop{cancelled};
    ApertureCodes codes;
    readTable(context, tableChoice, codes);

    const std::string gerberChoice = context.pickfile({.mask = "*.*",
                                                       .startDirectory = util::directoryOf(tableChoice),
                                                       .title = "Select gerber files to process..."});
    if (gerberChoice.empty())
        throw app::JobStop{cancelled};
    const Selection selection = selectionOf(gerberChoice);
    Reading reading = readAndRenumber(context, selection, codes);
    writeRewritten(selection, codes, reading, outputs);
    outputs.push_back(std::make_unique<platform::AtomicWriter>(selection.directory + "\\Aperture.new"));
    writeCompressedTable(*outputs.back(), selection, codes);
    outputs.back()->finish();
    commitAll(outputs, log);
    log.append("Writing with new codes:\tOK");
    log.refresh();
    log.append("Writing compressed table:\tOK");
    log.refresh();
    return app::JobResult::Completed;
}

} // namespace

app::JobResult gerberconverter(const app::JobContext& context) {
    auto& log = context.log();
    log.clear();
    log.refresh();
    // A failure goes below the lines the job has logged so far.
    return app::runBody(context, {.placement = app::Placement::Below}, [&] { return convert(context); });
}

} // namespace fk::gerber
