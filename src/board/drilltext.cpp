// Excellon drill files of any CAD tool, from their text: holes through the drill family's line reader, and
// slots (G85, and routed G00/G01 between M15 and M16) kept as slots.
#include "board/fabrication.hpp"

#include "util/text.hpp"

#include <cctype>

namespace fk::board {

namespace {

using drill::DrillLine;

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
            if (i > start || i < text.size())
                lines.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return lines;
}

// One reading of the whole text: the reader gets each line as the drill family reads it, except that a slot's
// or a route's coordinates reach it without their codes.
class SlotReader {
  public:
    SlotReader(drill::ExcellonReader& reader, DrillText& out) : reader_(reader), out_(out) {}

    // With a reading forced on the file, its own units lines and comments (which may state digits) are passed
    // over: the reader got the forced header first.
    void forced() { forced_ = true; }

    void line(std::string_view text, long number) {
        number_ = number;
        const std::string upper = util::upper(util::trim(text));
        if (upper == ";TYPE=PLATED" || upper == ";TYPE=NON_PLATED")
            plated_ = upper == ";TYPE=PLATED"; // Altium's sections of one file
        if (forced_ && (upper.starts_with("INCH") || upper.starts_with("METRIC") ||
                        upper.starts_with("M71") || upper.starts_with("M72") || upper.starts_with(";")))
            return;
        if (const size_t g85 = upper.find("G85"); g85 != std::string::npos && upper[0] != ';') {
            const Point from = coordinates(std::string_view(upper).substr(0, g85));
            const Point to = coordinates(std::string_view(upper).substr(g85 + 3));
            return hole(from, to);
        }
        if (upper == "M15")
            return void(down_ = true);
        if (upper == "M16" || upper == "M17")
            return void(down_ = false);
        if (upper.starts_with("G00") || upper.starts_with("G01")) {
            const bool route = upper.starts_with("G01");
            const Point start = at_;
            const Point to = coordinates(std::string_view(upper).substr(3));
            if (!route)
                routeLine_ = number; // a routed slot is named by the line that brings the tool to its start
            if (route && down_)
                hole(start, to, routeLine_ ? routeLine_ : number);
            return;
        }
        const DrillLine l = reader_.read(text);
        out_.file.headerSeen = out_.file.headerSeen || l.kind == DrillLine::Kind::HeaderStart ||
                               l.kind == DrillLine::Kind::Units || l.kind == DrillLine::Kind::FormatNote;
        if (l.kind == DrillLine::Kind::ToolDefinition) {
            out_.file.tools.push_back({.number = l.tool, .diameter = l.diameter});
            out_.unplated[l.tool] = !plated_;
        }
        if (l.kind == DrillLine::Kind::ToolDefinition || l.kind == DrillLine::Kind::ToolSelection)
            tool_ = l.tool;
        if (l.kind == DrillLine::Kind::Coordinate) {
            moveTo(l);
            hole(at_, at_);
        }
    }

  private:
    Point coordinates(std::string_view text) {
        if (!text.empty()) {
            const DrillLine l = reader_.read(text);
            if (l.kind != DrillLine::Kind::Coordinate)
                throw drill::ExcellonError(number_, std::string(text), "X and Y coordinates");
            moveTo(l);
        }
        return at_;
    }
    void moveTo(const DrillLine& l) {
        at_.x = l.x.present ? l.x.value : at_.x;
        at_.y = l.y.present ? l.y.value : at_.y;
    }
    void hole(Point from, Point to, long line = 0) {
        out_.file.holes.push_back({.tool = tool_, .x = from.x, .y = from.y, .line = line ? line : number_});
        out_.ends.push_back(to);
    }

    drill::ExcellonReader& reader_;
    DrillText& out_;
    long number_ = 0;
    int tool_ = 0;
    bool down_ = false;
    bool forced_ = false;
    long routeLine_ = 0;
    bool plated_ = true;
    Point at_{};
};

void readLines(const std::vector<std::string_view>& lines, drill::ExcellonReader& reader, DrillText& out,
               bool forced = false) {
    SlotReader slots(reader, out);
    if (forced)
        slots.forced();
    long number = 0;
    for (auto l : lines)
        slots.line(l, ++number);
}

} // namespace

DrillText readDrillText(std::string_view text, std::optional<drill::Zeros> unstated) {
    const auto lines = linesOf(text);
    drill::Zeros zeros = drill::Zeros::Unstated;
    if (unstated) {
        zeros = *unstated;
    } else {
        drill::ExcellonReader survey;
        survey.surveyZeros();
        DrillText ignored;
        readLines(lines, survey, ignored);
        zeros = drill::zerosShown(survey.survey());
    }
    drill::ExcellonReader reader;
    reader.assumeZeros(zeros);
    DrillText out;
    readLines(lines, reader, out);
    out.file.format = reader.format();
    return out;
}

DrillText readDrillTextAs(std::string_view text, std::string_view header) {
    drill::ExcellonReader reader;
    reader.read("M48");
    reader.read(header);
    DrillText out;
    readLines(linesOf(text), reader, out, true);
    out.file.format = reader.format();
    return out;
}

namespace {

// "T1C0.8", "T01F00S00C0.0236": a tool number, then letters each with a number, and a C among them.
bool isToolDefinition(std::string_view upper) {
    size_t i = 1;
    if (upper.size() < 3 || upper[0] != 'T' || !std::isdigit(static_cast<unsigned char>(upper[1])))
        return false;
    while (i < upper.size() && std::isdigit(static_cast<unsigned char>(upper[i])))
        ++i;
    bool size = false;
    while (i < upper.size()) {
        const char letter = upper[i++];
        if (letter < 'A' || letter > 'Z')
            return false;
        const size_t start = i;
        while (i < upper.size() && (std::isdigit(static_cast<unsigned char>(upper[i])) || upper[i] == '.' ||
                                    upper[i] == '-' || upper[i] == '+'))
            ++i;
        if (i == start)
            return false;
        size = size || letter == 'C';
    }
    return size;
}

} // namespace

// A drill program opens with M48 or tool definitions after its comments; some (Allegro's) go straight to G90,
// a tool selection or a hole. A Gerber file has a '*' in every command, a drill file none.
bool looksLikeDrill(std::string_view text) {
    const std::string_view head = text.substr(0, 4096);
    for (auto l : linesOf(head)) {
        const std::string upper = util::upper(util::trim(l));
        if (upper.empty() || upper[0] == ';' || upper == "%")
            continue;
        if (upper == "M48" || isToolDefinition(upper))
            return true;
        const bool opening = upper == "G90" || upper == "G05" || upper == "M72" || upper == "M71" ||
                             (upper[0] == 'T' && upper.size() > 1 &&
                              upper.find_first_not_of("0123456789", 1) == std::string::npos) ||
                             (upper[0] == 'X' && upper.find('Y') != std::string::npos);
        return opening && head.find('*') == std::string_view::npos;
    }
    return false;
}

} // namespace fk::board
