// Excellon drill files of any CAD tool, from their text: holes through the drill family's line reader, slots
// (G85, and routed G00/G01/G02/G03 between M15 and M16) kept as slots along their arcs, and the end of the
// program (M30, M00) where it stands.
#include "board/drilltext.hpp"

#include "app/context.hpp"
#include "board/image.hpp"
#include "platform/interrupt.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <optional>
#include <span>

namespace fk::board {

namespace {

using drill::DrillLine;
using drill::ExcellonError;

// Calls `take(line, number)` for each line of a text whose lines end at LF, until it returns false.
template <typename Take> void eachLine(std::string_view text, Take take) {
    long number = 0;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        if ((number & 4095) == 0)
            platform::checkInterrupted(); // a drill file of millions of holes takes seconds
        if (!take(text.substr(start, end - start), ++number))
            return;
        start = end + 1;
    }
}

// A route's motion: G00 moves the tool up, G01 cuts a line, G02 and G03 cut arcs clockwise and anticlockwise;
// G05 returns to drilling.
enum class Mode { Drill, Move, Line, Clockwise, Anticlockwise };

// The motion a "G00".."G03" or "G05" at the start of a line sets, and where its coordinates begin.
std::optional<std::pair<Mode, size_t>> motionCode(std::string_view upper) {
    if (upper.size() < 2 || upper[0] != 'G')
        return std::nullopt;
    size_t end = 1;
    while (end < upper.size() && std::isdigit(static_cast<unsigned char>(upper[end])))
        ++end;
    if (end == 1 || end > 3)
        return std::nullopt;
    static constexpr Mode modes[] = {Mode::Move, Mode::Line, Mode::Clockwise, Mode::Anticlockwise};
    const int code = std::stoi(std::string(upper.substr(1, end - 1)));
    if (code == 5)
        return std::pair{Mode::Drill, end};
    return code <= 3 ? std::optional(std::pair{modes[code], end}) : std::nullopt;
}

// The points the chords of an arc take within chordError, counted before they are made (arcPoints' steps).
double arcSteps(Point from, Point to, Point centre, bool anticlockwise) {
    const double fx = double((from.x - centre.x).count()), fy = double((from.y - centre.y).count());
    const double tx = double((to.x - centre.x).count()), ty = double((to.y - centre.y).count());
    const double radius = std::hypot(fx, fy), error = double(chordError.count());
    double sweep = std::atan2(ty, tx) - std::atan2(fy, fx);
    if (anticlockwise && sweep <= 0)
        sweep += 2 * std::numbers::pi;
    if (!anticlockwise && sweep >= 0)
        sweep -= 2 * std::numbers::pi;
    if (radius <= error)
        return 8;
    return std::ceil(std::abs(sweep) / (2 * std::acos(1 - error / radius)));
}

// One reading of the whole text: the reader gets each line as the drill family reads it, except that a slot's
// or a route's coordinates reach it without their codes.
class SlotReader {
  public:
    SlotReader(drill::ExcellonReader& reader, DrillText& out) : reader_(reader), out_(out) {}

    // With a reading forced on the file, its own units lines and comments (which may state digits) are passed
    // over: the reader got the forced header first.
    void forced() { forced_ = true; }

    // False once the program has ended.
    bool line(std::string_view text, long number) {
        number_ = number;
        upper_ = util::upper(util::trim(text));
        const std::string& upper = upper_;
        noteComment(upper);
        if (forced_ && (upper.starts_with("INCH") || upper.starts_with("METRIC") ||
                        upper.starts_with("M71") || upper.starts_with("M72") || upper.starts_with(";")))
            return true;
        if (upper == "M30" || upper == "M00") {
            endRoute();
            return false;
        }
        if (const size_t g85 = upper.find("G85"); g85 != std::string::npos && upper[0] != ';') {
            const Point from = moved(std::string_view(upper).substr(0, g85));
            hole(from, moved(std::string_view(upper).substr(g85 + 3)), number);
        } else if (upper == "M15") {
            startRoute();
        } else if (upper == "M16" || upper == "M17") {
            endRoute();
        } else if (const auto motion = motionCode(upper)) {
            mode_ = motion->first;
            if (mode_ == Mode::Drill || mode_ == Mode::Move)
                endRoute();
            if (motion->second < upper.size() && mode_ != Mode::Drill)
                move(std::string_view(upper).substr(motion->second));
            else if (motion->second < upper.size())
                read(std::string_view(upper).substr(motion->second), number);
        } else if (mode_ != Mode::Drill && (upper.starts_with("X") || upper.starts_with("Y"))) {
            move(upper);
        } else {
            read(text, number);
        }
        return true;
    }

    // A route the file leaves open at its end ends there.
    void finish() { endRoute(); }

  private:
    // A line of the drill family: the header, tools and drilled holes.
    void read(std::string_view text, long number) {
        const DrillLine l = reader_.readLine(text, number);
        out_.file.headerSeen = out_.file.headerSeen || l.kind == DrillLine::Kind::HeaderStart ||
                               l.kind == DrillLine::Kind::Units || l.kind == DrillLine::Kind::FormatNote;
        if (l.kind == DrillLine::Kind::ToolDefinition) {
            out_.file.tools.push_back({.number = l.tool, .diameter = l.diameter});
            out_.unplated[l.tool] = !plated_ || l.tool < platedFrom_;
        }
        if (l.kind == DrillLine::Kind::ToolDefinition || l.kind == DrillLine::Kind::ToolSelection) {
            endRoute();
            tool_ = l.tool;
        }
        if (l.kind == DrillLine::Kind::Coordinate) {
            at_.x = l.x.present ? l.x.value : at_.x;
            at_.y = l.y.present ? l.y.value : at_.y;
            hole(at_, at_, number);
        }
    }

    // Altium's ";TYPE=PLATED" and ";TYPE=NON_PLATED" sections; Fritzing's "; THROUGH (PLATED) HOLES START AT
    // T100": the tools below that number are unplated.
    void noteComment(const std::string& upper) {
        if (upper == ";TYPE=PLATED" || upper == ";TYPE=NON_PLATED")
            plated_ = upper == ";TYPE=PLATED";
        static constexpr std::string_view fritzing = "; THROUGH (PLATED) HOLES START AT T";
        if (upper.starts_with(fritzing) && upper.size() > fritzing.size() &&
            upper.size() <= fritzing.size() + 6 &&
            upper.find_first_not_of("0123456789", fritzing.size()) == std::string::npos)
            platedFrom_ = std::stoi(upper.substr(fritzing.size()));
    }

    // Moves to the coordinates of a G85 half, and returns where the tool stands.
    Point moved(std::string_view text) {
        if (!text.empty()) {
            const DrillLine l = reader_.readLine(text, number_);
            if (l.kind != DrillLine::Kind::Coordinate)
                throw ExcellonError(number_, std::string(text), "X and Y coordinates");
            at_.x = l.x.present ? l.x.value : at_.x;
            at_.y = l.y.present ? l.y.value : at_.y;
        }
        return at_;
    }

    // A motion of the route mode set: X and Y, and for an arc its radius A or its centre's offsets I and J.
    void move(std::string_view text) {
        std::string xy;
        std::optional<Length> radius, i, j;
        for (size_t at = 0; at < text.size();) {
            const size_t end = std::min(text.find_first_of("XYAIJ", at + 1), text.size());
            const std::string_view part = text.substr(at, end - at);
            if (part[0] == 'X' || part[0] == 'Y')
                xy += part;
            else if (part[0] == 'A' || part[0] == 'I' || part[0] == 'J')
                (part[0] == 'A' ? radius : part[0] == 'I' ? i : j) = reader_.readValue(part, number_).value;
            else
                throw ExcellonError(number_, std::string(text),
                                    "X, Y and an arc's radius A or centre I and J");
            at = end;
        }
        const Point from = at_;
        moved(xy);
        if (mode_ == Mode::Move)
            return void(routeLine_ = number_);
        if (!down_)
            return;
        if (mode_ == Mode::Line)
            return grow({at_});
        const Point c = centre(from, at_, radius, i, j);
        const bool anticlockwise = mode_ == Mode::Anticlockwise;
        if (double(count_) + arcSteps(from, at_, c, anticlockwise) > double(mostDrillHoles))
            overBudget();
        grow(arcPoints(from, at_, c, anticlockwise));
    }

    Point centre(Point from, Point to, std::optional<Length> radius, std::optional<Length> i,
                 std::optional<Length> j) const {
        if (i || j)
            return {from.x + i.value_or(Length()), from.y + j.value_or(Length())};
        if (!radius)
            throw ExcellonError(number_, upper_, "an arc's radius A or its centre I and J");
        const double dx = double((to.x - from.x).count()), dy = double((to.y - from.y).count());
        const double d = std::hypot(dx, dy), r = std::abs(double(radius->count()));
        if (d == 0 || d > 2 * r + double(chordError.count()))
            throw ExcellonError(number_, upper_, "an arc's radius A of at least half the distance it spans");
        // The shorter arc's centre lies left of the chord going anticlockwise, right going clockwise; a
        // negative radius asks for the longer arc.
        const bool left = (mode_ == Mode::Anticlockwise) == (radius->count() > 0);
        const double h = std::sqrt(std::max(0.0, r * r - d * d / 4)) * (left ? 1 : -1);
        const auto at = [](Length a, double by) { return Length::fromCount(a.count() + std::llround(by)); };
        return {at(from.x, dx / 2 - h * dy / d), at(from.y, dy / 2 + h * dx / d)};
    }

    void grow(const std::vector<Point>& points) {
        if (count_ + long(points.size()) > mostDrillHoles)
            overBudget();
        count_ += long(points.size());
        path_.insert(path_.end(), points.begin(), points.end());
    }

    void startRoute() {
        const long moveLine = routeLine_;
        endRoute();
        down_ = true;
        path_ = {at_};
        pathLine_ = moveLine ? moveLine : number_;
    }

    // A routed slot is named by the line that brings the tool to its start.
    void endRoute() {
        if (down_ && path_.size() >= 2)
            hole(path_.front(), path_.back(), pathLine_, path_.size() > 2 ? path_ : std::vector<Point>{});
        down_ = false;
        path_.clear();
        routeLine_ = 0;
    }

    void hole(Point from, Point to, long line, std::vector<Point> path = {}) {
        if (++count_ > mostDrillHoles)
            overBudget();
        out_.file.holes.push_back({.tool = tool_, .x = from.x, .y = from.y, .line = line});
        out_.ends.push_back(to);
        out_.paths.push_back(std::move(path));
    }

    [[noreturn]] void overBudget() const {
        throw DrillBudgetError(number_, upper_,
                               "at most " + std::to_string(mostDrillHoles) +
                                   " holes and routed points in one drill file, far above any board's");
    }

    drill::ExcellonReader& reader_;
    DrillText& out_;
    long number_ = 0, count_ = 0;
    int tool_ = 0, platedFrom_ = 0;
    Mode mode_ = Mode::Drill;
    bool down_ = false, forced_ = false, plated_ = true;
    long routeLine_ = 0, pathLine_ = 0;
    Point at_{};
    std::vector<Point> path_;
    std::string upper_; // the line being read, for messages
};

void readLines(std::string_view text, drill::ExcellonReader& reader, DrillText& out, bool forced = false) {
    SlotReader slots(reader, out);
    if (forced)
        slots.forced();
    eachLine(text, [&](std::string_view line, long number) { return slots.line(line, number); });
    slots.finish();
}

} // namespace

namespace {

bool fullyStated(const drill::DrillFormat& f) {
    return f.unitsStated && f.digitsStated && f.zeros != drill::Zeros::Unstated;
}

// A file whose header leaves its format open, read in the first of the other readings its numbers fit.
DrillText readOtherwise(std::string_view text, const drill::DrillFormat& stated,
                        const ExcellonError& failed) {
    if (fullyStated(stated))
        throw failed; // a header that states its format is read by it or not at all
    for (const DrillReading& r : otherReadings(readingOf(stated))) {
        try {
            DrillText out = readDrillTextAs(text, headerText(r));
            out.file.format = stated; // what the header says; `taken` what the holes are read by
            out.assumed = true;
            return out;
        } catch (const ExcellonError&) {
        }
    }
    throw failed;
}

} // namespace

DrillText readDrillText(std::string_view text) {
    drill::ExcellonReader survey;
    survey.surveyZeros();
    survey.assumeUnits(drill::Units::Inch);
    DrillText surveyed;
    try {
        readLines(text, survey, surveyed);
    } catch (const DrillBudgetError&) {
        throw;
    } catch (const ExcellonError& e) {
        return readOtherwise(text, survey.format(), e);
    }
    const drill::DrillFormat stated = survey.format();
    bool assumed = !stated.unitsStated;
    drill::Zeros zeros = drill::Zeros::Unstated;
    try {
        zeros = drill::zerosShown(survey.survey());
    } catch (const ExcellonError&) {
        zeros = drill::Zeros::LeadingOmitted, assumed = true; // the numbers do not tell: Excellon's default
    }
    drill::ExcellonReader reader;
    try {
        reader.assumeZeros(zeros);
        reader.assumeUnits(drill::Units::Inch);
        DrillText out;
        readLines(text, reader, out);
        out.file.format = reader.format();
        out.taken = readingOf(out.file.format);
        out.taken.zeros = out.file.format.zeros == drill::Zeros::Unstated ? zeros : out.file.format.zeros;
        out.assumed = assumed;
        return out;
    } catch (const DrillBudgetError&) {
        throw;
    } catch (const ExcellonError& e) {
        return readOtherwise(text, reader.format(), e);
    }
}

DrillText readDrillTextAs(std::string_view text, std::string_view header) {
    drill::ExcellonReader reader;
    reader.read("M48");
    reader.read(header);
    DrillText out;
    readLines(text, reader, out, true);
    out.file.format = reader.format();
    out.taken = readingOf(out.file.format);
    return out;
}

DrillReading readingOf(const drill::DrillFormat& f) {
    return {f.units, f.zeros, f.integerDigits, f.decimalDigits};
}

std::string headerText(const DrillReading& r) {
    using drill::Zeros;
    const std::string zeros = r.zeros == Zeros::LeadingOmitted    ? ",TZ"
                              : r.zeros == Zeros::TrailingOmitted ? ",LZ"
                                                                  : "";
    return std::string(r.units == drill::Units::Inch ? "INCH" : "METRIC") + zeros + "," +
           std::string(static_cast<size_t>(r.integerDigits), '0') + "." +
           std::string(static_cast<size_t>(r.decimalDigits), '0');
}

std::string described(const DrillReading& r) {
    return std::string(r.zeros == drill::Zeros::LeadingOmitted    ? "leading zeros omitted, "
                       : r.zeros == drill::Zeros::TrailingOmitted ? "trailing zeros omitted, "
                                                                  : "") +
           std::to_string(r.integerDigits) + "." + std::to_string(r.decimalDigits) + " digits, " +
           (r.units == drill::Units::Inch ? "inches" : "millimetres");
}

std::vector<DrillReading> otherReadings(const DrillReading& own) {
    using drill::Units;
    using drill::Zeros;
    std::vector<DrillReading> all;
    const std::pair<int, int> inch[] = {{2, 4}, {2, 3}, {2, 5}, {3, 3}};
    const std::pair<int, int> metric[] = {{3, 3}, {3, 2}, {4, 2}, {4, 3}};
    const auto add = [&](const DrillReading& r) {
        const bool known = std::any_of(all.begin(), all.end(),
                                       [&](const DrillReading& o) { return headerText(o) == headerText(r); });
        if (!known && headerText(r) != headerText(own))
            all.push_back(r);
    };
    // The own digits with the other zeros first: a header's zeros are what it most often misstates.
    for (Zeros zeros : {Zeros::LeadingOmitted, Zeros::TrailingOmitted})
        add({own.units, zeros, own.integerDigits, own.decimalDigits});
    for (Units units : {own.units, own.units == Units::Inch ? Units::Metric : Units::Inch})
        for (Zeros zeros : {Zeros::LeadingOmitted, Zeros::TrailingOmitted})
            for (auto [i, d] : units == Units::Inch ? std::span(inch) : std::span(metric))
                add({units, zeros, i, d});
    return all;
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

// A drill program opens with M48, a units line or tool definitions after its comments; some (Allegro's) go
// straight to G90, a tool selection or a hole. A Gerber file has a '*' in every command, a drill file none.
bool looksLikeDrill(std::string_view text) {
    const std::string_view head = text.substr(0, 4096);
    bool opening = false;
    eachLine(head, [&](std::string_view l, long) {
        const std::string upper = util::upper(util::trim(l));
        if (upper.empty() || upper[0] == ';' || upper == "%")
            return true;
        if (upper == "M48" || isToolDefinition(upper)) {
            opening = true;
            return false;
        }
        opening = head.find('*') == std::string_view::npos &&
                  (upper == "G90" || upper == "G05" || upper == "M72" || upper == "M71" ||
                   upper.starts_with("INCH") || upper.starts_with("METRIC") ||
                   (upper[0] == 'T' && upper.size() > 1 &&
                    upper.find_first_not_of("0123456789", 1) == std::string::npos) ||
                   (upper[0] == 'X' && upper.find('Y') != std::string::npos));
        return false;
    });
    return opening;
}

std::vector<Hole> holesOfText(const DrillText& text, const std::string& name, bool plated, int file) {
    std::map<int, Length> sizes;
    for (const auto& t : text.file.tools)
        sizes[t.number] = t.diameter;
    std::vector<Hole> holes;
    holes.reserve(text.file.holes.size());
    for (size_t i = 0; i < text.file.holes.size(); ++i) {
        const auto& h = text.file.holes[i];
        const auto size = sizes.find(h.tool);
        if (h.tool == 0 || size == sizes.end() || size->second <= Length())
            throw app::JobStop{util::lines({"Line " + std::to_string(h.line) + " drills " +
                                                (h.tool == 0 ? std::string("before any tool is selected")
                                                             : "with T" + std::to_string(h.tool) +
                                                                   ", whose size the file does not give") +
                                                ":",
                                            "<" + name + ">", "Nothing was checked."})};
        const Point at{h.x, h.y}, end = text.ends[i];
        const auto unplated = text.unplated.find(h.tool);
        holes.push_back({.at = at,
                         .diameter = size->second,
                         .tool = h.tool,
                         .line = h.line,
                         .end = end,
                         .slot = end != at || !text.paths[i].empty(),
                         .plated = plated && (unplated == text.unplated.end() || !unplated->second),
                         .file = file,
                         .path = text.paths[i]});
    }
    return holes;
}

} // namespace fk::board
