// "PCB Processor": polygons with fewer than three distinct points removed, repeated points dropped.
#include "pcbedit/pcbedit.hpp"

#include "app/commit.hpp"
#include "app/runner.hpp"
#include "pcbedit/design.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace fk::pcbedit {

namespace {

bool isPolygonLine(std::string_view line) {
    return line.size() >= 4 && util::equalsNoCase(line.substr(0, 4), "poly");
}
bool isPointLine(std::string_view line) {
    return line.size() >= 4 && util::equalsNoCase(line.substr(0, 4), "pnt ");
}

// A polygon's points are held until it ends; this bound keeps any design within a few megabytes.
constexpr size_t maxPolygonPoints = 100000;
// Up to this many points, repeated ones are found by comparing each with those before it: faster than
// hashing for the few points most polygons have.
constexpr size_t pointsComparedDirectly = 32;

class PolygonCleaner {
  public:
    PolygonCleaner(platform::AtomicWriter& out, std::string design) : out_(out), design_(std::move(design)) {}

    void line(std::string_view text) {
        ++lineNumber_;
        if (isPointLine(text)) {
            // Point lines outside a polygon's run belong to nothing and are dropped.
            if (inPolygon_)
                addPoint(text);
            return;
        }
        if (inPolygon_)
            cleanPolygon();
        if (isPolygonLine(text)) {
            polygon_.assign(text);
            polygonLine_ = lineNumber_;
            clearPoints();
            inPolygon_ = true;
        } else {
            out_.writeLine(text);
            inPolygon_ = false;
        }
    }

    long removed() const { return removed_; }
    long modified() const { return modified_; }

  private:
    // The points' texts stand one after another in one string, reused from polygon to polygon.
    struct Point {
        size_t at, size;
    };
    std::string_view pointText(const Point& p) const {
        return std::string_view(pointTexts_).substr(p.at, p.size);
    }

    void clearPoints() {
        points_.clear();
        pointTexts_.clear();
    }

    void addPoint(std::string_view text) {
        if (points_.size() >= maxPolygonPoints)
            throw app::JobStop{
                util::lines({"The polygon on line " + std::to_string(polygonLine_) + " has more than " +
                                 std::to_string(maxPolygonPoints) + " points:",
                             util::angled(design_), "No file was changed."})};
        points_.push_back({.at = pointTexts_.size(), .size = text.size()});
        pointTexts_.append(text);
    }

    // The points without repeats, in their first order.
    void findDistinct() {
        distinct_.clear();
        if (points_.size() <= pointsComparedDirectly) {
            for (const Point& p : points_) {
                if (std::find(distinct_.begin(), distinct_.end(), pointText(p)) == distinct_.end())
                    distinct_.push_back(pointText(p));
            }
            return;
        }
        std::unordered_set<std::string_view> seen;
        for (const Point& p : points_) {
            if (seen.insert(pointText(p)).second)
                distinct_.push_back(pointText(p));
        }
    }

    void cleanPolygon() {
        findDistinct();
        const size_t k = distinct_.size();
        if (k < 3) {
            ++removed_;
            return;
        }
        if (k != points_.size())
            ++modified_;
        // POLY, two blanks, then the polygon's own fields with the new point count in place of its third.
        const auto f = [this](long n) { return util::fieldOf(polygon_, n); };
        heading_.assign("POLY  ");
        heading_.append(f(2)).append(util::signedText(static_cast<long long>(k)));
        for (long n : {4, 5, 6})
            heading_.append(" ").append(f(n));
        out_.writeLine(heading_);
        for (std::string_view p : distinct_)
            out_.writeLine(p);
    }

    platform::AtomicWriter& out_;
    std::string design_;
    long lineNumber_ = 0;
    long polygonLine_ = 0;
    std::string polygon_;
    std::vector<Point> points_;
    std::string pointTexts_;
    std::vector<std::string_view> distinct_;
    std::string heading_;
    bool inPolygon_ = false;
    long removed_ = 0;
    long modified_ = 0;
};

} // namespace

namespace {

const std::string asciiHeader = ";Tango-PCB PLUS V2.30 Series II";

app::JobResult clean(const app::JobContext& context, const std::string& chosen) {
    auto& log = context.log();
    if (firstLine(chosen) != asciiHeader) {
        log.show(util::lines({"File is not in ASCII format!", "Save as ASCII and Re-Try."}));
        log.refresh();
        return app::JobResult::Stopped;
    }
    platform::AtomicWriter out(util::directoryOf(chosen) + "\\x" + util::fileNameOf(chosen));
    PolygonCleaner cleaner(out, chosen);
    forEachLine(chosen, [&](std::string_view line) { cleaner.line(line); });
    // Two single-blank lines close a polygon that ends the design. The output has always carried them; the
    // design itself is left as it is.
    cleaner.line(" ");
    cleaner.line(" ");
    app::commitOutputs(log, {&out});
    log.show(util::lines({"Bad polygons removed:\t" + util::signedText(cleaner.removed()),
                          "Modified polygons:\t\t" + util::signedText(cleaner.modified())}));
    log.refresh();
    return app::JobResult::Completed;
}

} // namespace

app::JobResult pcbprocess(const app::JobContext& context) {
    auto& log = context.log();
    const std::string chosen = context.pickfile({.mask = "*.pcb",
                                                 .startDirectory = context.fields.indatapath,
                                                 .title = "Select a PCB file to process..."});
    if (chosen.empty()) {
        // Without a word the previous job's log would stand as if it were this job's.
        log.show("PCB Processor was cancelled; nothing was written.");
        log.refresh();
        return app::JobResult::Stopped;
    }
    if (!platform::fileexists(chosen)) {
        // Something was chosen: saying nothing would look as if the job had done its work.
        log.show(util::lines({"The file you specified was not found:", util::angled(chosen)}));
        log.refresh();
        return app::JobResult::Stopped;
    }
    return app::runBody(context, {.placement = app::Placement::Show}, [&] { return clean(context, chosen); });
}

} // namespace fk::pcbedit
