// Reading PCB.DFN: the GRB_AP2 line of every D-code a plot uses, the CAM_TOOL line of every tool a drill file
// selects.
#include "board/dfn.hpp"

#include "app/context.hpp"
#include "platform/files.hpp"
#include "util/fixed.hpp"
#include "util/text.hpp"

namespace fk::board {

namespace {

// Sizes and numbers of PCB.DFN carry no sign.
bool signed_(std::string_view text) {
    return !text.empty() && (text[0] == '+' || text[0] == '-');
}

// A whole number of one to six digits and nothing else.
std::optional<int> wholeNumber(std::string_view text) {
    const util::Fixed number = util::readFixed(text, 0, 999'999);
    if (!number.ok() || signed_(text) || text.size() > 6 || text.find('.') != std::string_view::npos)
        return std::nullopt;
    return static_cast<int>(number.value);
}

[[noreturn]] void refuse(const Definitions& definitions, long line, const std::string& what,
                         const std::string& text) {
    throw app::JobStop{util::lines({"PCB.DFN line " + std::to_string(line) + " " + what + ":",
                                    util::angled(definitions.path), text,
                                    "No file was written; correct PCB.DFN and re-try."})};
}

// The one line for a number; two lines that say different things leave the size open.
const std::pair<long, std::string>* onlyLine(const Definitions& definitions,
                                             const std::vector<std::pair<long, std::string>>& found,
                                             const std::string& what) {
    for (const auto& other : found) {
        if (util::trim(other.second) != util::trim(found.front().second))
            refuse(definitions, other.first,
                   "defines " + what + " again, unlike line " + std::to_string(found.front().first),
                   other.second);
    }
    return &found.front();
}

// The description between the line's first and last double-quote characters.
std::optional<std::string> quoted(const std::string& text) {
    const size_t open = text.find('"');
    const size_t close = text.rfind('"');
    if (open == std::string::npos || close == open)
        return std::nullopt;
    return text.substr(open + 1, close - open - 1);
}

// "PAD EL 60 60 28 AL 11 1 18 19 1 1": shape, X, Y, hole, layer, flash code, mask, plane pad, thermal, 1,
// tool. "VIA EL 40 20 11 1 40 42 1 1": shape, size, hole, flash code, mask, plane pad, thermal, 1, tool. A
// line that does not read so is no pad any plot can flash.
void readPadLine(Definitions& definitions, const std::string& line, long number, bool pad) {
    const int holeField = pad ? 5 : 4, flashField = pad ? 7 : 5, toolField = pad ? 12 : 10;
    const auto hole = milsText(util::field(line, holeField));
    const auto flash = wholeNumber(util::field(line, flashField));
    const auto tool = wholeNumber(util::field(line, toolField));
    if (hole && flash && tool && util::field(line, toolField + 1).empty())
        definitions.pads[*flash].push_back({.line = number, .hole = *hole, .tool = *tool, .via = !pad});
}

} // namespace

const std::vector<DfnPad>& padsOf(const Definitions& definitions, int dcode) {
    static const std::vector<DfnPad> none;
    const auto found = definitions.pads.find(dcode);
    return found == definitions.pads.end() ? none : found->second;
}

std::optional<Length> milsText(std::string_view text) {
    // Below a million mils (1000 inches): far beyond any board, and safe from overflow.
    constexpr std::int64_t largest = 999'999'999;
    static_assert(maxMilDecimals == 3);
    const util::Fixed mils = util::readFixed(text, maxMilDecimals, largest);
    if (!mils.ok() || signed_(text))
        return std::nullopt;
    return Length::fromMilDecimals(mils.value, maxMilDecimals);
}

Definitions readDefinitions(const std::string& path) {
    Definitions definitions{.path = path};
    platform::LineReader reader(path);
    std::string line;
    long number = 0;
    while (reader.next(line)) {
        ++number;
        const std::string first = util::field(line, 1);
        if (first == "PAD" || first == "VIA") {
            readPadLine(definitions, line, number, first == "PAD");
            continue;
        }
        if (first != "GRB_AP2" && first != "CAM_TOOL")
            continue;
        // A line whose number cannot be read is no definition any selection can reach.
        const auto code = wholeNumber(util::field(line, 2));
        if (!code)
            continue;
        auto& table = first == "GRB_AP2" ? definitions.apertureLines : definitions.toolLines;
        table[*code].emplace_back(number, line);
    }
    return definitions;
}

std::optional<DfnAperture> apertureOf(const Definitions& definitions, int dcode) {
    const auto found = definitions.apertureLines.find(dcode);
    if (found == definitions.apertureLines.end())
        return std::nullopt;
    const auto* line = onlyLine(definitions, found->second, "D" + std::to_string(dcode));
    const std::string& text = line->second;
    // GRB_AP2, D number, X size, Y size, hole size, two words of kind, then the quoted description.
    const auto x = milsText(util::field(text, 3));
    const auto y = milsText(util::field(text, 4));
    const auto hole = milsText(util::field(text, 5));
    const auto description = quoted(text);
    const std::string kind = util::field(text, 6) + " " + util::field(text, 7);
    if (!x || !y || !hole || !description || util::field(text, 8).empty() || util::field(text, 8)[0] != '"')
        refuse(definitions, line->first,
               "is no aperture line (GRB_AP2, D number, X, Y and hole in mils, kind, quoted description)",
               text);
    return DfnAperture{.dcode = dcode,
                       .line = line->first,
                       .text = text,
                       .x = *x,
                       .y = *y,
                       .hole = *hole,
                       .kind = kind,
                       .description = *description};
}

std::optional<DfnTool> toolOf(const Definitions& definitions, int number) {
    const auto found = definitions.toolLines.find(number);
    if (found == definitions.toolLines.end())
        return std::nullopt;
    const auto* line = onlyLine(definitions, found->second, "tool " + std::to_string(number));
    const auto size = milsText(util::field(line->second, 3));
    if (!size || *size == Length() || !util::field(line->second, 4).empty())
        refuse(definitions, line->first, "is no tool line (CAM_TOOL, tool number, drill size in mils)",
               line->second);
    return DfnTool{.number = number, .line = line->first, .size = *size};
}

} // namespace fk::board
