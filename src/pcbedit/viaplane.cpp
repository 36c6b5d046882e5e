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

const std::string crlf(util::crlf);
constexpr size_t listCapacity = 10;
const std::array<std::string, 5> planeCodes{"GD", "GT", "PD", "PT", "NP"};

enum class Mode { Assign, Unassign };

struct Entry {
    std::string key, code;
};

struct Counters {
    long changed = 0;
    std::array<long, 5> byCode{};
    void count(const std::string& code) {
        for (size_t i = 0; i < planeCodes.size(); ++i) {
            if (planeCodes[i] == code)
                ++byCode[i];
        }
    }
};

const std::string notAscii = "File is not in ASCII format!" + crlf + "Save as ASCII and Re-Try.";

bool isAsciiHeader(const std::string& line) {
    return line.compare(0, 19, ";Tango-PCB PLUS V2.") == 0;
}

bool isListCode(const std::string& code) {
    return code == "GD" || code == "GT" || code == "PD" || code == "PT";
}

std::vector<Entry> readPlaneList(const std::string& path) {
    std::vector<Entry> entries;
    forEachLine(path, [&](const std::string& line) {
        const std::string code = util::field(line, 2);
        if (line.empty() || line[0] < '0' || line[0] > '9' || !isListCode(code))
            return;
        if (entries.size() >= listCapacity)
            throw app::JobStop{"The via plane list holds more than " + std::to_string(listCapacity) +
                               " entries:" + crlf + "<" + path + ">" + crlf +
                               "Shorten the list and re-try; nothing was written."};
        entries.push_back({util::field(line, 1), code});
    });
    if (entries.empty())
        throw app::JobStop{"The via plane list holds no entry (size/hole and GD, GT, PD or PT):" + crlf +
                           "<" + path + ">" + crlf + "Correct the list and re-try; nothing was written."};
    return entries;
}

std::optional<Mode> askMode(const app::JobContext& context) {
    if (context.confirm("ASSIGN: give the vias of the list their plane codes?" + crlf + crlf +
                            "OK assigns the codes; Cancel offers UNASSIGN.",
                        "Vias >> Plane"))
        return Mode::Assign;
    if (context.confirm("UNASSIGN: set the plane code of the vias of the list to NP?" + crlf + crlf +
                            "OK unassigns; Cancel stops without writing anything.",
                        "Vias >> Plane"))
        return Mode::Unassign;
    return std::nullopt;
}

std::string rebuiltVia(const std::string& line, const Entry& entry, Mode mode) {
    const auto f = [&](long n) { return util::field(line, n); };
    std::string out =
        "VIA CR " + f(3) + " " + f(4) + (mode == Mode::Assign ? " " + entry.code + " " : " NP ");
    out += f(6) + " " + f(7) + " " + f(8) + " " + f(9) + " " + f(10);
    return out;
}

Counters rewriteDesign(const std::string& design, const std::string& output,
                       const std::vector<Entry>& entries, Mode mode) {
    Counters counters;
    platform::AtomicWriter out(output);
    bool first = true;
    forEachLine(design, [&](const std::string& line) {
        // The header is checked again here: the design may have changed while the list was chosen.
        if (std::exchange(first, false) && !isAsciiHeader(line))
            throw app::JobStop{notAscii};
        if (line.compare(0, 6, "VIA CR") == 0) {
            const std::string key = util::field(line, 3) + "/" + util::field(line, 4);
            for (const auto& entry : entries) {
                if (entry.key == key) {
                    out.writeLine(rebuiltVia(line, entry, mode));
                    ++counters.changed;
                    counters.count(mode == Mode::Assign ? entry.code : util::field(line, 5));
                    return;
                }
            }
        }
        out.writeLine(line);
    });
    if (first)
        throw app::JobStop{notAscii};
    app::commitOutputs({&out});
    return counters;
}

std::string summary(Mode mode, const Counters& c, const std::string& output) {
    std::string text = std::string(mode == Mode::Assign ? "Vias >> Plane (ASSIGN) completed:"
                                                        : "Vias >> Plane (UNASSIGN) completed:") +
                       crlf;
    text += "Vias changed:\t" + util::signedText(c.changed);
    for (size_t i = 0; i < planeCodes.size(); ++i)
        text += crlf + planeCodes[i] + ":\t\t" + util::signedText(c.byCode[i]);
    return text + crlf + "Written to:" + crlf + "<" + output + ">";
}

app::JobResult run(const app::JobContext& context) {
    auto& log = context.log();
    const auto& f = context.fields;
    const std::string design = f.indatapath + "\\" + f.fnamebase + ".PCB";
    const std::string output = f.indatapath + "\\v" + f.fnamebase + ".PCB";
    if (!platform::direxists(f.indatapath))
        throw app::JobStop{"Invalid input data path, correct and re-try"};
    if (!platform::fileexists(design))
        throw app::JobStop{"The file you specified was not found: " + crlf + "<" + design + ">"};
    if (!isAsciiHeader(firstLine(design)))
        throw app::JobStop{notAscii};
    std::string listChoice = context.pickfile(
        {.mask = "*.*", .startDirectory = f.indatapath, .title = "Select via plane list to use..."});
    if (listChoice.empty())
        throw app::JobStop{"No via plane list was chosen; nothing was written."};
    const std::string listPath = util::trim(util::field(listChoice, 1, ","));
    const auto entries = readPlaneList(listPath);
    const auto mode = askMode(context);
    if (!mode)
        throw app::JobStop{"Vias >> Plane was cancelled; nothing was written."};
    const Counters counters = rewriteDesign(design, output, entries, *mode);
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
    return app::runBody(context, {.placement = app::Placement::Show}, [&] { return run(context); });
}

} // namespace fk::pcbedit
