// When holes miss their pads: the drill file read every other way its header leaves open or might have
// misstated (zeros, digits, units), and the reading that puts the holes on their pads. A file that leaves its
// format to the reader is checked as the reading that fits reads it, and the finding says which.
#include "app/context.hpp"
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>

namespace fk::boardcheck {

namespace {

using board::DrillReading;

std::string landed(long n, long total) {
    return (n == total ? "all " + std::to_string(total)
                       : std::to_string(n) + " of " + std::to_string(total)) +
           " holes land on ";
}

std::string readAs(const std::string& name, const DrillReading& r) {
    return " when " + name + " is read as " + board::headerText(r) + " (" + board::described(r) + ")";
}

// A design's NC1 under another reading; nothing when its numbers do not fit it.
std::optional<std::vector<board::Hole>> holesReadAs(const Board& board, const std::string& text,
                                                    const DrillReading& r) {
    try {
        const board::DrillText read = board::readDrillTextAs(text, board::headerText(r));
        return board::holesOf(read.file, board.definitions, board.drillPath);
    } catch (const drill::ExcellonError&) {
        return std::nullopt;
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
            grid_->visitNear({h.at.x, h.at.y, h.at.x, h.at.y}, [&](std::uint32_t i) {
                on = on || signedDistance(h.at, outlines_[i]) <= Length();
            });
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
    std::string text = platform::readBytes(board.drillPath);
    board::normalise(text);
    const DrillReading asRead = board::readingOf(board.drillFormat);
    std::optional<DrillReading> best;
    long bestLanding = stated;
    for (const DrillReading& r : board::otherReadings(asRead)) {
        const auto holes = holesReadAs(board, text, r);
        const long n = holes && holes->size() == board.holes.size() ? pads.landing(*holes) : 0;
        if (n > bestLanding)
            best = r, bestLanding = n;
    }
    const std::string name = util::fileNameOf(board.drillPath);
    const std::string header = "its header reads as " + board::headerText(asRead) + ", where " +
                               std::to_string(stated) + " of " + std::to_string(total) + " do";
    // A few holes off their pads with no reading that helps are the plain findings of those holes.
    if (!best && 2 * stated >= total)
        return std::nullopt;
    const std::string message =
        best ? landed(bestLanding, total) + "pads" + readAs(name, *best) + ": " + header
             : "no other reading of " + name + " puts more holes on pads: " + header;
    return Finding{.kind = Kind::DrillReading, .plot = name, .message = message};
}

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

std::optional<std::vector<board::Hole>> holesAs(const board::DrillSource& drill, const DrillReading& r,
                                                int file) {
    try {
        const board::DrillText text = board::readDrillTextAs(drill.text, board::headerText(r));
        return board::holesOfText(text, drill.name, drill.plated, file);
    } catch (const drill::ExcellonError&) {
        return std::nullopt; // a reading the file's numbers do not fit is no candidate
    } catch (const app::JobStop&) {
        return std::nullopt;
    }
}

// What the header says of the format, and how many holes land as it is read.
std::string headerPart(const board::DrillSource& drill, long stated, long total) {
    const std::string where = ", where " + std::to_string(stated) + " of " + std::to_string(total) + " do";
    if (!drill.format.unitsStated)
        return "its header states no units, and " + board::headerText(drill.reading) + " is read" + where;
    return "its header reads as " + board::headerText(board::readingOf(drill.format)) + where;
}

} // namespace

// The survey of each drill file: its plated holes are read under every other reading, and the reading that
// puts the most on copper is named where it puts more than the file's own; ties keep the earlier reading,
// the file's own first. A file whose header leaves its format open is then checked as that reading reads it.
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
        if (total == 0 || (stated == total && !drill.assumed))
            continue;
        std::optional<DrillReading> best;
        std::vector<board::Hole> bestHoles;
        long bestLanding = stated;
        for (const DrillReading& r : board::otherReadings(drill.reading)) {
            auto holes = holesAs(drill, r, int(i));
            const long n = holes && holes->size() == asRead.size() ? landingOn(copper, *holes) : 0;
            if (n > bestLanding)
                best = r, bestLanding = n, bestHoles = std::move(*holes);
        }
        const auto found = [&](std::string message) {
            findings.push_back(
                {.kind = Kind::DrillReading, .plot = drill.name, .message = std::move(message)});
        };
        if (!best && drill.assumed)
            found(landed(stated, total) + "copper" + readAs(drill.name, drill.reading) + ": " +
                  (drill.format.unitsStated
                       ? "neither its header nor its numbers tell which zeros it leaves out"
                       : "its header states no units") +
                  ", and no other reading puts more holes on copper, so it was checked as so read");
        else if (!best && 2 * stated < total)
            found("no other reading of " + drill.name +
                  " puts more holes on copper: " + headerPart(drill, stated, total));
        if (!best)
            continue;
        // A file that leaves its format to the reader is checked as the reading that fits reads it.
        const bool open =
            drill.assumed || drill.format.zeros == drill::Zeros::Unstated || !drill.format.digitsStated;
        std::string message = landed(bestLanding, total) + "copper" + readAs(drill.name, *best) + ": " +
                              headerPart(drill, stated, total);
        if (open) {
            std::copy(bestHoles.begin(), bestHoles.end(), first);
            board.drills[i].reading = *best;
            message += "; its header states no format, so it was checked as so read";
        }
        found(message);
    }
    return findings;
}

} // namespace fk::boardcheck
