// The aperture tables of the Gerber Converter: the table of sizes and shapes it reads, and the compressed
// table of the new codes it writes.
#include "gerber/tables.hpp"

#include "util/text.hpp"

#include <algorithm>

namespace fk::gerber {

namespace {

// The aperture number a table line describes (0 for none) and its width, height and shape words. A line
// begins with the number above 10, as in Tango-PCB's tables, or with D and the number (D10 ..., D10,...), as
// other tools write them.
int tableLine(const std::string& line, std::string& dimensions) {
    const std::string first = util::field(line, 1);
    const bool dForm =
        first.size() > 1 && (first[0] == 'D' || first[0] == 'd') && first[1] >= '0' && first[1] <= '9';
    const double value = util::valueOf(dForm ? std::string_view(first).substr(1) : std::string_view(first));
    if (dForm ? value < 10 : value <= 10)
        return 0;
    // A number no aperture selection can reach (a date in a heading, say) describes no aperture.
    auto n = util::toInt16(value);
    if (!n)
        return 0;
    // Other tools separate their words with tabs as often as with blanks (docs/limits.md, Aperture tables of
    // other tools).
    std::string text = line;
    if (dForm)
        std::replace(text.begin(), text.end(), '\t', ' ');
    const bool commas = dForm && first.find(',') != std::string::npos;
    dimensions.clear();
    for (long i = 2; i <= 4; ++i) {
        const std::string word = commas ? util::field(text, i, ",") : util::field(text, i);
        const size_t from = word.find_first_not_of(' ');
        dimensions += (i > 2 ? "," : "") +
                      (from == word.npos ? "" : word.substr(from, word.find_last_not_of(' ') + 1 - from));
    }
    // A number alone sizes nothing: a Gerber plot's selections (D11*) are no table.
    return dimensions == ",," ? 0 : *n;
}

// Keeps the table's memory bounded whatever its lines hold.
constexpr size_t maxDimensionsLength = 256;

long readApertureTable(const std::string& path, ApertureCodes& codes) {
    platform::LineReader reader(path);
    std::string line;
    long taken = 0;
    long number = 0;
    std::string dimensions;
    while (reader.next(line)) {
        ++number;
        if (const int n = tableLine(line, dimensions)) {
            // Sizes and shapes are short words; a table line that holds more is no aperture line.
            if (dimensions.size() > maxDimensionsLength)
                throw app::JobStop{
                    util::lines({"Line " + std::to_string(number) +
                                     " of the aperture table gives sizes and a shape longer than " +
                                     std::to_string(maxDimensionsLength) + " characters:",
                                 util::angled(path), "Correct the aperture table and re-try."})};
            codes.dimensions[n] = dimensions;
            ++taken;
        }
    }
    return taken;
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
    const long taken = readApertureTable(tablePath, codes);
    auto& log = context.log();
    log.show("Aperture file processed:\t" + util::signedText(taken) + " codes found.");
    log.refresh();
    // A table of no aperture (a plot, a drill file, any other file) would write an Aperture.new of no size.
    if (taken == 0)
        throw app::JobStop{util::lines(
            {"The aperture table holds no aperture line:", util::angled(tablePath),
             "Expected: lines of an aperture number above 10 (or D and the number), then width, height and "
             "shape, as 11 60 60 ROUND. Nothing was written."})};
    return taken;
}

} // namespace fk::gerber
