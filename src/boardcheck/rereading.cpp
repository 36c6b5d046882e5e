// When holes miss their pads: the drill file read every other way its header leaves open or might have
// misstated (zeros, digits, units), and the reading that puts the holes on their pads.
#include "app/context.hpp"
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <span>

namespace fk::boardcheck {

namespace {

using drill::Units;
using drill::Zeros;

struct Reading {
    Units units = Units::Inch;
    Zeros zeros = Zeros::Unstated;
    int integerDigits = 2, decimalDigits = 4;
};

Reading readingOf(const drill::DrillFormat& f) {
    return {f.units, f.zeros, f.integerDigits, f.decimalDigits};
}

// As an Excellon units line states it: "INCH,TZ,00.0000".
std::string headerText(const Reading& r) {
    const std::string zeros = r.zeros == Zeros::LeadingOmitted    ? ",TZ"
                              : r.zeros == Zeros::TrailingOmitted ? ",LZ"
                                                                  : "";
    return std::string(r.units == Units::Inch ? "INCH" : "METRIC") + zeros + "," +
           std::string(static_cast<size_t>(r.integerDigits), '0') + "." +
           std::string(static_cast<size_t>(r.decimalDigits), '0');
}

std::string described(const Reading& r) {
    return std::string(r.zeros == Zeros::LeadingOmitted ? "leading" : "trailing") + " zeros omitted, " +
           std::to_string(r.integerDigits) + "." + std::to_string(r.decimalDigits) + " digits, " +
           (r.units == Units::Inch ? "inches" : "millimetres");
}

std::vector<Reading> otherReadings(const Reading& stated) {
    std::vector<Reading> all;
    const std::pair<int, int> inch[] = {{2, 4}, {2, 3}, {2, 5}, {3, 3}};
    const std::pair<int, int> metric[] = {{3, 3}, {3, 2}, {4, 2}, {4, 3}};
    const auto add = [&](const Reading& r) {
        const bool known = std::any_of(all.begin(), all.end(),
                                       [&](const Reading& o) { return headerText(o) == headerText(r); });
        if (!known && headerText(r) != headerText(stated))
            all.push_back(r);
    };
    // The stated digits with the other zeros first: a header's zeros are what it most often misstates.
    for (Zeros zeros : {Zeros::LeadingOmitted, Zeros::TrailingOmitted})
        add({stated.units, zeros, stated.integerDigits, stated.decimalDigits});
    for (Units units : {stated.units, stated.units == Units::Inch ? Units::Metric : Units::Inch})
        for (Zeros zeros : {Zeros::LeadingOmitted, Zeros::TrailingOmitted})
            for (auto [i, d] : units == Units::Inch ? std::span(inch) : std::span(metric))
                add({units, zeros, i, d});
    return all;
}

// The file's lines under another units line: its own units lines and comments (which may state digits)
// are left out. Nothing when the file cannot be read that way.
std::optional<std::vector<board::Hole>> holesReadAs(const Board& board, const Reading& r) {
    drill::ExcellonReader reader;
    drill::DrillFile file;
    try {
        reader.read("M48");
        reader.read(headerText(r));
        platform::LineReader lines(board.drillPath);
        std::string_view text;
        int tool = 0;
        Length x{}, y{};
        while (lines.next(text)) {
            const std::string head = util::upper(util::trim(text.substr(0, 6)));
            if (head.starts_with("INCH") || head.starts_with("METRIC") || head.starts_with("M71") ||
                head.starts_with("M72") || head.starts_with(";"))
                continue;
            const drill::DrillLine line = reader.read(text);
            if (line.kind == drill::DrillLine::Kind::ToolDefinition)
                file.tools.push_back({.number = line.tool, .diameter = line.diameter});
            if (line.kind == drill::DrillLine::Kind::ToolDefinition ||
                line.kind == drill::DrillLine::Kind::ToolSelection)
                tool = line.tool;
            if (line.kind != drill::DrillLine::Kind::Coordinate)
                continue;
            x = line.x.present ? line.x.value : x;
            y = line.y.present ? line.y.value : y;
            file.holes.push_back({.tool = tool, .x = x, .y = y, .line = reader.lineNumber()});
        }
        return board::holesOf(file, board.definitions, board.drillPath);
    } catch (const drill::ExcellonError&) {
        return std::nullopt; // a reading the file's numbers do not fit is no candidate
    } catch (const app::JobStop&) {
        return std::nullopt;
    }
}

// Holes whose centre lies on a flash of a copper plot.
class Pads {
  public:
    explicit Pads(const Board& board) {
        for (const auto& plot : board.plots)
            if (!plot.plane)
                for (const auto& f : plot.flashes)
                    outlines_.push_back(outlineOf(plot.shape(f.dcode), f.at));
        std::vector<Box> boxes;
        for (const auto& o : outlines_)
            boxes.push_back(boxOf(o));
        grid_.emplace(boxes, mils(50));
    }
    long landing(const std::vector<board::Hole>& holes) const {
        long count = 0;
        for (const auto& h : holes) {
            bool on = false;
            grid_->near({h.at.x, h.at.y, h.at.x, h.at.y},
                        [&](std::uint32_t i) { on = on || signedDistance(h.at, outlines_[i]) <= Length(); });
            count += on;
        }
        return count;
    }
    bool empty() const { return outlines_.empty(); }

  private:
    std::vector<Outline> outlines_;
    std::optional<Grid> grid_;
};

} // namespace

std::optional<Finding> drillReading(const Board& board) {
    const Pads pads(board);
    const long total = static_cast<long>(board.holes.size());
    const long stated = pads.landing(board.holes);
    if (pads.empty() || stated == total)
        return std::nullopt;
    const Reading asRead = readingOf(board.drillFormat);
    std::optional<Reading> best;
    long bestLanding = stated;
    for (const Reading& r : otherReadings(asRead)) {
        const auto holes = holesReadAs(board, r);
        const long n = holes && holes->size() == board.holes.size() ? pads.landing(*holes) : 0;
        if (n > bestLanding)
            best = r, bestLanding = n;
    }
    const std::string name = util::fileNameOf(board.drillPath);
    const std::string header = "its header reads as " + headerText(asRead) + ", where " +
                               std::to_string(stated) + " of " + std::to_string(total) + " do";
    // A few holes off their pads with no reading that helps are the plain findings of those holes.
    if (!best && 2 * stated >= total)
        return std::nullopt;
    std::string message = "no other reading of " + name + " puts more holes on pads: " + header;
    if (best)
        message = (bestLanding == total ? "all " + std::to_string(total)
                                        : std::to_string(bestLanding) + " of " + std::to_string(total)) +
                  " holes land on pads when " + name + " is read as " + headerText(*best) + " (" +
                  described(*best) + "): " + header;
    return Finding{.kind = Kind::DrillReading, .plot = name, .message = message};
}

} // namespace fk::boardcheck

namespace fk::boardcheck {

namespace {

// A drill file's plated holes whose centre lies on copper.
long landingOn(const CopperPoints& copper, const std::vector<board::Hole>& holes) {
    long n = 0;
    for (const auto& h : holes)
        n += h.plated && copper.holds(h.at);
    return n;
}

long platedIn(const std::vector<board::Hole>& holes) {
    return std::count_if(holes.begin(), holes.end(), [](const board::Hole& h) { return h.plated; });
}

std::optional<std::vector<board::Hole>> holesAs(const board::DrillSource& drill, const Reading& r, int file) {
    try {
        const board::DrillText text = board::readDrillTextAs(drill.text, headerText(r));
        return board::holesOfText(text, drill.name, drill.plated, file);
    } catch (const drill::ExcellonError&) {
        return std::nullopt; // a reading the file's numbers do not fit is no candidate
    } catch (const app::JobStop&) {
        return std::nullopt;
    }
}

} // namespace

std::vector<Finding> settleDrillReadings(board::Fabrication& board, const CopperPoints& copper) {
    std::vector<Finding> findings;
    for (size_t i = 0; i < board.drills.size(); ++i) {
        const auto& drill = board.drills[i];
        auto first = std::find_if(board.holes.begin(), board.holes.end(),
                                  [&](const board::Hole& h) { return h.file == int(i); });
        auto last =
            std::find_if(first, board.holes.end(), [&](const board::Hole& h) { return h.file != int(i); });
        const std::vector<board::Hole> asRead(first, last);
        const long total = platedIn(asRead), stated = landingOn(copper, asRead);
        if (total == 0 || stated == total)
            continue;
        const Reading own = readingOf(drill.format);
        std::optional<Reading> best;
        std::vector<board::Hole> bestHoles;
        long bestLanding = stated;
        for (const Reading& r : otherReadings(own)) {
            auto holes = holesAs(drill, r, int(i));
            const long n = holes && holes->size() == asRead.size() ? landingOn(copper, *holes) : 0;
            if (n > bestLanding)
                best = r, bestLanding = n, bestHoles = std::move(*holes);
        }
        const std::string header = "its header reads as " + headerText(own) + ", where " +
                                   std::to_string(stated) + " of " + std::to_string(total) + " do";
        if (!best) {
            if (2 * stated < total)
                findings.push_back({.kind = Kind::DrillReading,
                                    .plot = drill.name,
                                    .message = "no other reading of " + drill.name +
                                               " puts more holes on copper: " + header});
            continue;
        }
        // A file that leaves its format to the reader is checked as the reading that fits reads it.
        const bool open = drill.format.zeros == drill::Zeros::Unstated || !drill.format.digitsStated;
        std::string message =
            (bestLanding == total ? "all " + std::to_string(total)
                                  : std::to_string(bestLanding) + " of " + std::to_string(total)) +
            " holes land on copper when " + drill.name + " is read as " + headerText(*best) + " (" +
            described(*best) + "): " + header;
        if (open) {
            std::copy(bestHoles.begin(), bestHoles.end(), first);
            message += "; its header states no format, so it was checked as so read";
        }
        findings.push_back({.kind = Kind::DrillReading, .plot = drill.name, .message = message});
    }
    return findings;
}

} // namespace fk::boardcheck
