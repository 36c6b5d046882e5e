// "Vias >> Plane": the plane code of listed round vias assigned (or set back to NP) from a via plane list.
#include "pcbedit/pcbedit.hpp"

#include "app/commit.hpp"
#include "app/runner.hpp"
#include "pcbedit/design.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <array>
#include <utility>
#include <vector>

namespace fk::pcbedit {

namespace {

constexpr size_t listCapacity = 10;
const std::array<std::string, 5> planeCodes{"GD", "GT", "PD", "PT", "NP"};

enum class Mode { Assign, Unassign };

struct Entry {
    std::string key, code;
};

struct Counters {
    long changed = 0;
    std::array<long, 5> byCode{};
    void count(std::string_view code) {
        for (size_t i = 0; i < planeCodes.size(); ++i) {
            if (planeCodes[i] == code)
                ++byCode[i];
        }
    }
};

const std::string notAscii = util::lines({"File is not in ASCII format!", "Save as ASCII and Re-Try."});

bool isAsciiHeader(std::string_view line) {
    return line.starts_with(";Tango-PCB PLUS V2.");
}

bool isListCode(std::string_view code) {
    return code == "GD" || code == "GT" || code == "PD" || code == "PT";
}

std::vector<Entry> readPlaneList(const std::string& path) {
    std::vector<Entry> entries;
    forEachLine(path, [&](std::string_view line) {
        const std::string_view code = util::fieldOf(line, 2);
        if (line.empty() || line[0] < '0' || line[0] > '9' || !isListCode(code))
            return;
        if (entries.size() >= listCapacity)
            throw app::JobStop{util::lines(
                {"The via plane list holds more than " + std::to_string(listCapacity) + " entries:",
                 util::angled(path), "Shorten the list and re-try; nothing was written."})};
        entries.push_back({std::string(util::fieldOf(line, 1)), std::string(code)});
    });
    if (entries.empty())
        throw app::JobStop{util::lines(
            {"The via plane list holds no entry (size/hole and GD, GT, PD or PT):", util::angled(path),
             "Correct the list and re-try; nothing was written."})};
    return entries;
}

std::optional<Mode> askMode(const app::JobContext& context) {
    if (context.confirm(util::lines({"ASSIGN: give the vias of the list their plane codes?", "",
                                     "OK assigns the codes; Cancel offers UNASSIGN."}),
                        "Vias >> Plane"))
        return Mode::Assign;
    if (context.confirm(util::lines({"UNASSIGN: set the plane code of the vias of the list to NP?", "",
                                     "OK unassigns; Cancel stops without writing anything."}),
                        "Vias >> Plane"))
        return Mode::Unassign;
    return std::nullopt;
}

// The via's fields with the new plane code in place of its fifth, each after one blank.
void rebuildVia(std::string& out, std::string_view line, const Entry& entry, Mode mode) {
    out.assign("VIA CR");
    for (long n = 3; n <= 10; ++n)
        out.append(" ").append(n != 5 ? util::fieldOf(line, n) : mode == Mode::Assign ? entry.code : "NP");
}

// True when the list's key is "size/hole".
bool isKeyOf(std::string_view key, std::string_view size, std::string_view hole) {
    return key.size() == size.size() + 1 + hole.size() && key.starts_with(size) && key[size.size()] == '/' &&
           key.ends_with(hole);
}

Counters rewriteDesign(const std::string& design, const std::string& output,
                       const std::vector<Entry>& entries, Mode mode, app::MessageLog& log) {
    Counters counters;
    platform::AtomicWriter out(output);
    bool first = true;
    std::string via;
    forEachLine(design, [&](std::string_view line) {
        // The header is checked again here: the design may have changed while the list was chosen.
        if (std::exchange(first, false) && !isAsciiHeader(line))
            throw app::JobStop{notAscii};
        if (line.starts_with("VIA CR")) {
            const std::string_view size = util::fieldOf(line, 3), hole = util::fieldOf(line, 4);
            for (const auto& entry : entries) {
                if (isKeyOf(entry.key, size, hole)) {
                    rebuildVia(via, line, entry, mode);
                    out.writeLine(via);
                    ++counters.changed;
                    counters.count(mode == Mode::Assign ? std::string_view(entry.code)
                                                        : util::fieldOf(line, 5));
                    return;
                }
            }
        }
        out.writeLine(line);
    });
    if (first)
        throw app::JobStop{notAscii};
    app::commitOutputs(log, {&out});
    return counters;
}

std::string summary(Mode mode, const Counters& c, const std::string& output) {
    std::string text = util::lines(
        {mode == Mode::Assign ? "Vias >> Plane (ASSIGN) completed:" : "Vias >> Plane (UNASSIGN) completed:",
         "Vias changed:\t" + util::signedText(c.changed)});
    for (size_t i = 0; i < planeCodes.size(); ++i)
        text = util::lines({text, planeCodes[i] + ":\t\t" + util::signedText(c.byCode[i])});
    return util::lines({text, "Written to:", util::angled(output)});
}

app::JobResult run(const app::JobContext& context) {
    auto& log = context.log();
    const auto& f = context.fields;
    const std::string design = f.indatapath + "\\" + f.fnamebase + ".PCB";
    const std::string output = f.indatapath + "\\v" + f.fnamebase + ".PCB";
    if (!platform::direxists(f.indatapath))
        throw app::JobStop{"Invalid input data path, correct and re-try"};
    if (!platform::fileexists(design))
        throw app::JobStop{util::lines({"The file you specified was not found: ", util::angled(design)})};
    if (!isAsciiHeader(firstLine(design)))
        throw app::JobStop{notAscii};
    std::string listChoice = context.pickfile(
        {.mask = "*.*", .startDirectory = f.indatapath, .title = "Select via plane list to use..."});
    if (listChoice.empty())
        throw app::JobStop{"No via plane list was chosen; nothing was written."};
    const std::string listPath = util::trim(util::fieldOf(listChoice, 1, ','));
    const auto entries = readPlaneList(listPath);
    const auto mode = askMode(context);
    if (!mode)
        throw app::JobStop{"Vias >> Plane was cancelled; nothing was written."};
    const Counters counters = rewriteDesign(design, output, entries, *mode, log);
    log.show(summary(*mode, counters, output));
    log.refresh();
    return app::JobResult::Completed;
}

} // namespace

app::JobResult viaplane(const app::JobContext& context) {
    auto& log = context.log();
    context.beep();
    log.clear();
    log.refresh();
    if (app::refuseBlankBaseName(context))
        return app::JobResult::Stopped;
    return app::runBody(context, {.placement = app::Placement::Show}, [&] { return run(context); });
}

} // namespace fk::pcbedit
