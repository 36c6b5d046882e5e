// "Gerber Converter": drill list step, aperture table, scan, renumbering, rewrite and the compressed table.
#include "gerber/gerberconverter.hpp"

#include "gerber/steps.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

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

int apertureNumber(const std::string& text, const std::string& path, long lineNumber) {
    auto n = util::toInt16(util::valueOf(text));
    if (!n)
        throw StepFailure{"Line " + std::to_string(lineNumber) + " selects an aperture number out of range:" +
                          crlf + "<" + path + ">" + crlf + "Correct the file and re-try."};
    return *n;
}

long readApertureTable(const std::string& path, ApertureCodes& codes) {
    platform::LineReader reader(path);
    std::string line;
    long taken = 0;
    for (long number = 1; reader.next(line); ++number) {
        const std::string first = util::field(line, 1);
        if (util::valueOf(first) <= 10)
            continue;
        int n = apertureNumber(first, path, number);
        codes.dimensions[n] = util::field(line, 2) + "," + util::field(line, 3) + "," + util::field(line, 4);
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

bool selectsAperture(const std::string& line) {
    return !line.empty() && (line[0] == 'D' || line[0] == 'd');
}

void scan(const Selection& selection, ApertureCodes& codes) {
    for (size_t i = 0; i < selection.names.size(); ++i) {
        platform::LineReader reader(selection.input(i));
        std::string line;
        for (long number = 1; reader.next(line); ++number) {
            if (selectsAperture(line))
                codes.usage[apertureNumber(util::mid(line, 2, 4), selection.input(i), number)] = line;
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
std::string fiveDigits(int value) {
    std::string digits = std::to_string(value < 0 ? -static_cast<long>(value) : value);
    std::string five = util::right("00000" + digits, 5);
    return value < 0 ? "-" + five : five;
}

std::string coordinateLine(const std::string& line, Coordinates& at) {
    const std::string low = util::lower(line);
    const long px = util::instr(low, "x");
    const long py = util::instr(low, "y");
    const long pd = util::instr(low, "d");
    // Five characters hold at most 99999, so a 32-bit value always holds the coordinate.
    if (px > 0)
        at.x = *util::toInt32(util::valueOf(util::mid(line, px + 1, 5)));
    if (py > 0)
        at.y = *util::toInt32(util::valueOf(util::mid(line, py + 1, 5)));
    if (pd > 0)
        at.dtext = util::mid(line, pd, 4);
    return "X" + fiveDigits(at.x) + "Y" + fiveDigits(at.y) + at.dtext;
}

void rewriteFile(const std::string& input, platform::AtomicWriter& out, const ApertureCodes& codes,
                 Coordinates& at) {
    platform::LineReader reader(input);
    out.writeLine("*%FSLAX53Y53*");
    out.writeLine("SFA1.0B1.0*%");
    std::string line;
    for (long number = 1; reader.next(line); ++number) {
        const std::string head = util::lower(util::left(line, 5));
        if (selectsAperture(line)) {
            auto code = codes.usage.find(apertureNumber(util::mid(line, 2, 4), input, number));
            if (code == codes.usage.end())
                throw StepFailure{"The file changed while it was converted:" + crlf + "<" + input + ">" +
                                  crlf + "No file was written, re-try."};
            out.writeLine("D02*");
            out.writeLine(code->second);
        } else if (head == "x0y0d") {
            continue;
        } else if (head == "m02*") {
            out.writeLine("D02M02*");
        } else if (line[0] == 'X' || line[0] == 'x' || line[0] == 'Y' || line[0] == 'y') {
            out.writeLine(coordinateLine(line, at));
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
    for (auto& out : outputs)
        out->commit();
    log.append("Writing with new codes:\tOK");
    log.refresh();
    table->commit();
    log.append("Writing compressed table:\tOK");
    log.refresh();
    return app::JobResult::Completed;
}

} // namespace

app::JobResult gerberconverter(const app::JobContext& context) {
    auto& log = context.log();
    log.clear();
    log.refresh();
    try {
        return convert(context);
    } catch (const StepFailure& failure) {
        log.show(failure.message);
    } catch (const platform::FileError& e) {
        log.show(e.logMessage());
    }
    log.refresh();
    return app::JobResult::Stopped;
}

} // namespace fk::gerber
