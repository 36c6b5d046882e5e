// The aperture tables of the Gerber Converter: the table of sizes and shapes it reads, and the compressed
// table of the new codes it writes.
#include "gerber/tables.hpp"

#include "util/text.hpp"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

namespace fk::gerber {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// What a table line is: an aperture line taken, a line that begins as one but does not size an aperture
// (refused), or any other line (a heading, a blank line), which is passed over.
struct TableLine {
    enum class Kind { Other, Taken, Refused } kind = Kind::Other;
    int number = 0;
    std::string dimensions{}; // width, height and shape, joined by ","
    std::string why{};        // what a refused line lacks
};

// The shapes a table line may name: Tango-PCB's own (its aperture kinds and plane tables) and the words
// photoplotter tables of other tools use for them. Anything else (DRAW, a size, a report's ELLIPSE split
// from its sizes) means the line is no aperture line.
constexpr std::string_view knownShapes[] = {"ROUND",  "CIRCLE",  "CIRCULAR",  "ELLIPSE",     "SQUARE",
                                            "SQRECT", "RECT",    "RECTANGLE", "RECTANGULAR", "RDRECT",
                                            "OVAL",   "OBROUND", "OBLONG",    "OCTAGON",     "POLYGON",
                                            "DONUT",  "ANNULUS", "THERMAL",   "TARGET",      "MTHOLE"};

// Digits with at most one decimal point: 12, 0.012, .5. Sizes are copied into Aperture.new as written, so a
// size is only checked, never converted.
bool isSize(std::string_view word) {
    const size_t point = word.find('.');
    if (word.empty() || word.find('.', point == word.npos ? word.size() : point + 1) != word.npos)
        return false;
    const bool digits = std::all_of(word.begin(), word.end(), [](char c) { return c == '.' || isDigit(c); });
    return digits && word != ".";
}

bool isShape(std::string_view word) {
    return std::any_of(std::begin(knownShapes), std::end(knownShapes),
                       [&](std::string_view shape) { return util::equalsNoCase(word, shape); });
}

// The words after the aperture number: the next three words, or the next three comma-separated fields
// without surrounding blanks.
std::vector<std::string> sizeWords(const std::string& line, bool dForm) {
    // Other tools separate their words with tabs as often as with blanks (docs/limits.md, Aperture tables of
    // other tools).
    std::string text = line;
    if (dForm)
        std::replace(text.begin(), text.end(), '\t', ' ');
    const bool commas = dForm && util::field(line, 1).find(',') != std::string::npos;
    std::vector<std::string> words;
    for (long i = 2; i <= 4; ++i) {
        const std::string word = commas ? util::field(text, i, ",") : util::field(text, i);
        const size_t from = word.find_first_not_of(' ');
        words.push_back(from == word.npos ? "" : word.substr(from, word.find_last_not_of(' ') + 1 - from));
    }
    return words;
}

// A line begins with the aperture number above 10, as in Tango-PCB's tables, or with D and the number (D10
// ..., D10,...), as other tools write them; then width and height as numbers and a shape the table knows.
TableLine tableLine(const std::string& line) {
    const std::string first = util::field(line, 1);
    const bool dForm = first.size() > 1 && (first[0] == 'D' || first[0] == 'd') && isDigit(first[1]);
    const double value = util::valueOf(dForm ? std::string_view(first).substr(1) : std::string_view(first));
    if (dForm ? value < 10 : value <= 10)
        return {};
    // A number no aperture selection can reach (a date in a heading, say) describes no aperture.
    auto n = util::toInt16(value);
    if (!n)
        return {};
    const std::vector<std::string> words = sizeWords(line, dForm);
    TableLine out{.kind = TableLine::Kind::Refused, .number = *n};
    if (!isSize(words[0]))
        out.why = words[0].empty() ? "it gives no width" : "its width " + words[0] + " is no number";
    else if (!isSize(words[1]))
        out.why = words[1].empty() ? "it gives no height" : "its height " + words[1] + " is no number";
    else if (!isShape(words[2]))
        out.why =
            words[2].empty() ? "it gives no shape" : "its shape " + words[2] + " is none the table knows";
    else
        out = {.kind = TableLine::Kind::Taken,
               .number = *n,
               .dimensions = words[0] + "," + words[1] + "," + words[2]};
    return out;
}

// Keeps the table's memory bounded whatever its lines hold.
constexpr size_t maxDimensionsLength = 256;

struct TableReading {
    long taken = 0;
    long firstRefused = 0; // the number of the first refused line, 0 for none
    std::string refusedLine{}, why{};
};

TableReading readApertureTable(const std::string& path, ApertureCodes& codes) {
    platform::LineReader reader(path);
    std::string line;
    long number = 0;
    TableReading reading;
    while (reader.next(line)) {
        ++number;
        TableLine read = tableLine(line);
        if (read.kind == TableLine::Kind::Refused && reading.firstRefused == 0)
            reading = {.taken = reading.taken, .firstRefused = number, .refusedLine = line, .why = read.why};
        if (read.kind != TableLine::Kind::Taken)
            continue;
        // Sizes and shapes are short words; a table line that holds more is no aperture line.
        if (read.dimensions.size() > maxDimensionsLength)
            throw app::JobStop{
                util::lines({"Line " + std::to_string(number) +
                                 " of the aperture table gives sizes and a shape longer than " +
                                 std::to_string(maxDimensionsLength) + " characters:",
                             util::angled(path), "Correct the aperture table and re-try."})};
        codes.dimensions[read.number] = std::move(read.dimensions);
        ++reading.taken;
    }
    return reading;
}

// A refused line as the log quotes it: cut where it would fill the screen.
std::string quoted(const std::string& line) {
    constexpr size_t shown = 72;
    return "[" + (line.size() > shown ? line.substr(0, shown) + "..." : line) + "]";
}

} // namespace

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

long readTable(const app::JobContext& context, const std::string& tableChoice, ApertureCodes& codes) {
    const std::string tablePath = util::trim(util::field(tableChoice, 1, ","));
    const TableReading reading = readApertureTable(tablePath, codes);
    auto& log = context.log();
    log.show("Aperture file processed:\t" + util::signedText(reading.taken) + " codes found.");
    log.refresh();
    // A table of no aperture (a plot, a drill file, a report, any other file) would write an Aperture.new of
    // no size, or of words that are no sizes.
    if (reading.taken == 0) {
        const std::string refused =
            reading.firstRefused == 0
                ? ""
                : "Line " + std::to_string(reading.firstRefused) + " " + quoted(reading.refusedLine) +
                      " is no aperture line: " + reading.why + "." + std::string(util::crlf);
        throw app::JobStop{util::lines(
            {"The aperture table holds no aperture line:", util::angled(tablePath),
             refused + "Expected: lines of an aperture number above 10 (or D and the number), then "
                       "its width and height as numbers and its shape (ROUND, SQUARE, RECT, OVAL, "
                       "...), as 11 60 60 ROUND. Nothing was written."})};
    }
    return reading.taken;
}

} // namespace fk::gerber
