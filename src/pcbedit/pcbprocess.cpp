// "PCB Processor": polygons with fewer than three distinct points removed, repeated points dropped.
#include "pcbedit/pcbedit.hpp"

#include "app/commit.hpp"
#include "app/runner.hpp"
#include "pcbedit/design.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <unordered_set>
#include <vector>

namespace fk::pcbedit {

namespace {

bool isPolygonLine(const std::string& line) {
    return util::lower(util::left(line, 4)) == "poly";
}
bool isPointLine(const std::string& line) {
    return util::lower(util::left(line, 4)) == "pnt ";
}

// A polygon's points are held until it ends; this bound keeps any design within a few megabytes.
constexpr size_t maxPolygonPoints = 100000;

class PolygonCleaner {
  public:
    PolygonCleaner(platform::AtomicWriter& out, std::string design) : out_(out), design_(std::move(design)) {}

    void line(const std::string& text) {
        ++lineNumber_;
        if (isPointLine(text)) {
            // Point lines outside a polygon's run belong to nothing and are dropped.
            if (inPolygon_)
                addPoint(text);
            return;
        }
        if (inPolygon_) {
            cleanPolygon();
            points_.clear();
        }
        if (isPolygonLine(text)) {
            polygon_ = text;
            polygonLine_ = lineNumber_;
            points_.clear();
            inPolygon_ = true;
        } else {
            out_.writeLine(text);
            inPolygon_ = false;
        }
    }

    long removed() const { return removed_; }
    long modified() const { return modified_; }

  private:
    void addPoint(const std::string& text) {
        if (points_.size() >= maxPolygonPoints)
            throw app::JobStop{
                util::lines({"The polygon on line " + std::to_string(polygonLine_) + " has more than " +
                                 std::to_string(maxPolygonPoints) + " points:",
                             util::angled(design_), "No file was changed."})};
        points_.push_back(text);
    }

    void cleanPolygon() {
        std::vector<const std::string*> distinct;
        std::unordered_set<std::string> seen;
        for (const auto& p : points_) {
            if (seen.insert(p).second)
                distinct.push_back(&p);
        }
        const size_t k = distinct.size();
        if (k < 3) {
            ++removed_;
            return;
        }
        if (k != points_.size())
            ++modified_;
        const auto f = [this](long n) { return util::field(polygon_, n); };
        out_.writeLine("POLY  " + f(2) + util::signedText(static_cast<long long>(k)) + " " + f(4) + " " +
                       f(5) + " " + f(6));
        for (const auto* p : distinct)
            out_.writeLine(*p);
    }

    platform::AtomicWriter& out_;
    std::string design_;
    long lineNumber_ = 0;
    long polygonLine_ = 0;
    std::string polygon_;
    std::vector<std::string> points_;
    bool inPolygon_ = false;
    long removed_ = 0;
    long modified_ = 0;
};

} // namespace

namespace {

const std::string asciiHeader = ";Tango-PCB PLUS V2.30 Series II";

// The design keeps two single-blank lines at its end: they close a polygon that ends the file.
void appendClosingLines(platform::AtomicWriter& design, const std::string& path) {
    const char last = platform::copyInto(design, path);
    if (last != '\n' && last != '\r' && last != '\0')
        design.write(util::crlf);
    design.writeLine(" ");
    design.writeLine(" ");
}

app::JobResult clean(const app::JobContext& context, const std::string& chosen) {
    auto& log = context.log();
    if (firstLine(chosen) != asciiHeader) {
        log.show(util::lines({"File is not in ASCII format!", "Save as ASCII and Re-Try."}));
        log.refresh();
        return app::JobResult::Stopped;
    }
    platform::AtomicWriter design(chosen);
    appendClosingLines(design, chosen);
    design.finish();
    platform::AtomicWriter out(util::directoryOf(chosen) + "\\x" + util::fileNameOf(chosen));
    PolygonCleaner cleaner(out, chosen);
    forEachLine(chosen, [&](const std::string& line) { cleaner.line(line); });
    cleaner.line(" ");
    cleaner.line(" ");
    app::commitOutputs({&design, &out});
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
    if (chosen.empty())
        return app::JobResult::Stopped;
    if (!platform::fileexists(chosen)) {
        // Something was chosen: saying nothing would look as if the job had done its work.
        log.show(util::lines({"The file you specified was not found:", util::angled(chosen)}));
        log.refresh();
        return app::JobResult::Stopped;
    }
    return app::runBody(context, {.placement = app::Placement::Show}, [&] { return clean(context, chosen); });
}

} // namespace fk::pcbedit
