// "Gerber Converter": drill list step, aperture table, scan, renumbering, rewrite and the compressed table.
#include "gerber/gerberconverter.hpp"

#include "app/commit.hpp"
#include "app/runner.hpp"
#include "gerber/steps.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace fk::gerber {

namespace {

const std::string crlf(util::crlf);

// Aperture numbers with their usage (last selecting line, then the new code) and their dimensions.
struct ApertureCodes {
    std::map<int, std::string> usage;
    std::map<int, std::string> dimensions;
};

struct Selection {
    std::string directory;
    std::vector<std::string> names;
    std::string input(size_t i) const { return directory + "\\" + names[i]; }
    std::string output(size_t i) const { return directory + "\\x" + names[i]; }
};

struct Coordinates {
    int x = 0, y = 0;
    std::string dtext;
};

int apertureNumber(std::string_view text, const std::string& path, long lineNumber) {
    auto n = util::toInt16(util::valueOf(text));
    if (!n)
        throw app::JobStop{"Line " + std::to_string(lineNumber) +
                           " selects an aperture number out of range:" + crlf + "<" + path + ">" + crlf +
                           "Correct the file and re-try."};
    return *n;
}

long readApertureTable(const std::string& path, ApertureCodes& codes) {
    platform::LineReader reader(path);
    std::string line;
    long taken = 0;
    while (reader.next(line)) {
        const std::string first = util::field(line, 1);
        if (util::valueOf(first) <= 10)
            continue;
        // A number no aperture selection can reach (a date in a heading, say) describes no aperture.
        auto n = util::toInt16(util::valueOf(first));
        if (!n)
            continue;
        codes.dimensions[*n] = util::field(line, 2) + "," + util::field(line, 3) + "," + util::field(line, 4);
        ++taken;
    }
    return taken;
}

// The names of a selection: every comma-separated entry without its directory and surrounding blanks.
Selection selectionOf(const std::string& choice) {
    Selection s;
    s.directory = util::splitname(choice, 3);
    const long count = util::fieldcount(choice, ",");
    for (long i = 1; i <= count; ++i) {
        std::string entry = util::field(choice, i, ",");
        util::splitname(entry, 0); // trim
        auto slash = entry.rfind('\\');
        s.names.push_back(slash == std::string::npos ? entry : entry.substr(slash + 1));
    }
    return s;
}

bool selectsAperture(std::string_view line) {
    return !line.empty() && (line[0] == 'D' || line[0] == 'd');
}

// The aperture number of a selection line: the number in the four characters after its "D".
std::string_view selectedNumber(std::string_view line) {
    return line.substr(1, 4);
}

char lowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when the first five characters of the line, in lower case, are the text (which may be shorter).
bool headIs(std::string_view line, std::string_view text) {
    std::string_view head = line.substr(0, 5);
    if (head.size() != text.size())
        return false;
    for (size_t i = 0; i < head.size(); ++i) {
        if (lowerChar(head[i]) != text[i])
            return false;
    }
    return true;
}

void scan(const Selection& selection, ApertureCodes& codes) {
    for (size_t i = 0; i < selection.names.size(); ++i) {
        platform::LineReader reader(selection.input(i));
        std::string_view line;
        for (long number = 1; reader.next(line); ++number) {
            if (selectsAperture(line))
                codes.usage[apertureNumber(selectedNumber(line), selection.input(i), number)] = line;
        }
    }
}

long renumber(ApertureCodes& codes) {
    long counter = 9;
    for (auto it = codes.usage.lower_bound(10); it != codes.usage.end(); ++it)
        it->second = "D" + std::to_string(++counter) + "*";
    return counter - 9;
}

// Five digits of a coordinate; a negative coordinate keeps its sign in front of them.
size_t writeFiveDigits(char* out, int value) {
    size_t n = 0;
    if (value < 0)
        out[n++] = '-';
    unsigned long magnitude =
        value < 0 ? static_cast<unsigned long>(-static_cast<long>(value)) : static_cast<unsigned long>(value);
    for (int place = 4; place >= 0; --place) {
        out[n + static_cast<size_t>(place)] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    }
    return n + 5;
}

size_t findNoCase(std::string_view line, char lower) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (lowerChar(line[i]) == lower)
            return i;
    }
    return std::string_view::npos;
}

// Reads the coordinates of a line into `at` (what the line lacks is remembered) and writes the line.
size_t writeCoordinateLine(char* out, std::string_view line, Coordinates& at) {
    const size_t px = findNoCase(line, 'x');
    const size_t py = findNoCase(line, 'y');
    const size_t pd = findNoCase(line, 'd');
    // Five characters hold at most 99999, so a 32-bit value always holds the coordinate.
    if (px != std::string_view::npos)
        at.x = *util::toInt32(util::valueOf(line.substr(px + 1, 5)));
    if (py != std::string_view::npos)
        at.y = *util::toInt32(util::valueOf(line.substr(py + 1, 5)));
    if (pd != std::string_view::npos)
        at.dtext = line.substr(pd, 4);
    size_t n = 0;
    out[n++] = 'X';
    n += writeFiveDigits(out + n, at.x);
    out[n++] = 'Y';
    n += writeFiveDigits(out + n, at.y);
    std::memcpy(out + n, at.dtext.data(), at.dtext.size());
    return n + at.dtext.size();
}

constexpr size_t maxCoordinateLine = 1 + 6 + 1 + 6 + 4;

void rewriteFile(const std::string& input, platform::AtomicWriter& out, const ApertureCodes& codes,
                 Coordinates& at) {
    platform::LineReader reader(input);
    out.writeLine("*%FSLAX53Y53*");
    out.writeLine("SFA1.0B1.0*%");
    std::string_view line;
    for (long number = 1; reader.next(line); ++number) {
        if (selectsAperture(line)) {
            auto code = codes.usage.find(apertureNumber(selectedNumber(line), input, number));
            if (code == codes.usage.end())
                throw app::JobStop{"The file changed while it was converted:" + crlf + "<" + input + ">" +
                                   crlf + "No file was written, re-try."};
            out.writeLine("D02*");
            out.writeLine(code->second);
        } else if (headIs(line, "x0y0d")) {
            continue;
        } else if (headIs(line, "m02*")) {
            out.writeLine("D02M02*");
        } else if (!line.empty() && (lowerChar(line[0]) == 'x' || lowerChar(line[0]) == 'y')) {
            out.writeLineWith(maxCoordinateLine, [&](char* o) { return writeCoordinateLine(o, line, at); });
        }
    }
}

void writeCompressedTable(platform::AtomicWriter& out, const Selection& selection,
                          const ApertureCodes& codes) {
    out.writeLine("Compressed aperture table");
    for (size_t i = 0; i < selection.names.size(); ++i)
        out.writeLine(selection.input(i) + " >> " + selection.output(i));
    out.writeLine(" ");
    out.writeLine("DCode\tWidth\tHeight\tShape");
    out.writeLine(std::string(30, '-'));
    for (auto it = codes.usage.lower_bound(1); it != codes.usage.end(); ++it) {
        auto dim = codes.dimensions.find(it->first);
        const std::string d = dim == codes.dimensions.end() ? std::string() : dim->second;
        std::string code = it->second;
        code.pop_back();
        out.writeLine(code + "\t" + util::field(d, 1, ",") + "\t" + util::field(d, 2, ",") + "\t" +
                      util::field(d, 3, ","));
    }
}

app::JobResult convert(const app::JobContext& context) {
    auto& log = context.log();
    drillListStep(context);
    const std::string tableChoice =
        context.pickfile({"", "*.*", context.fields.indatapath, "Select aperture table to use..."});
    if (tableChoice.empty())
        return app::JobResult::Stopped;
    std::string tablePath = util::field(tableChoice, 1, ",");
    util::splitname(tablePath, 0); // trim
    ApertureCodes codes;
    const long taken = readApertureTable(tablePath, codes);
    log.show("Aperture file processed:\t" + util::signedText(taken) + " codes found.");
    log.refresh();

    const std::string gerberChoice =
        context.pickfile({"", "*.*", util::splitname(tableChoice, 3), "Select gerber files to process..."});
    if (gerberChoice.empty())
        return app::JobResult::Stopped;
    const Selection selection = selectionOf(gerberChoice);
    scan(selection, codes);
    const long found = renumber(codes);
    log.append("Gerber files processed:\t" +
               util::signedText(static_cast<long long>(selection.names.size())) + crlf +
               "Descreet apertures found:\t" + util::signedText(found));
    log.refresh();

    // Every output is complete before the first one replaces its target, so that a failure changes nothing
    // and an output never replaces an input that is still to be read.
    std::vector<std::unique_ptr<platform::AtomicWriter>> outputs;
    Coordinates at;
    for (size_t i = 0; i < selection.names.size(); ++i) {
        outputs.push_back(std::make_unique<platform::AtomicWriter>(selection.output(i)));
        rewriteFile(selection.input(i), *outputs.back(), codes, at);
        outputs.back()->finish();
    }
    auto table = std::make_unique<platform::AtomicWriter>(selection.directory + "\\Aperture.new");
    writeCompressedTable(*table, selection, codes);
    table->finish();
    std::vector<platform::AtomicWriter*> all;
    for (auto& out : outputs)
        all.push_back(out.get());
    all.push_back(table.get());
    app::commitOutputs(all);
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
