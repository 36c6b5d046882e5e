// "PCB Processor": polygons with fewer than three distinct points removed, repeated points dropped.
#include "pcbedit/pcbedit.hpp"

#include "app/commit.hpp"
#include "pcbedit/design.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <unordered_set>
#include <vector>

namespace fk::pcbedit {

namespace {

const std::string crlf(util::crlf);

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
            throw app::JobStop{"The polygon on line " + std::to_string(polygonLine_) + " has more than " +
                               std::to_string(maxPolygonPoints) + " points:" + crlf + "<" + design_ + ">" +
                               crlf + "No file was changed."};
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

app::JobResult pcbprocess(const app::JobContext& context) {
    auto& log = context.log();
    const std::string chosen =
        context.pickfile({"", "*.pcb", context.fields.indatapath, "Select a PCB file to process..."});
    if (chosen.empty())
        return app::JobResult::Stopped;
    if (!platform::fileexists(chosen)) {
        // Something was chosen: saying nothing would look as if the job had done its work.
        log.show("The file you specified was not found:" + crlf + "<" + chosen + ">");
        log.refresh();
        return app::JobResult::Stopped;
    }
    try {
        if (firstLine(chosen) != ";Tango-PCB PLUS V2.30 Series II") {
            log.show("File is not in ASCII format!" + crlf + "Save as ASCII and Re-Try.");
            log.refresh();
            return app::JobResult::Stopped;
        }
        // The design keeps two single-blank lines at its end: they close a polygon that ends the file.
        platform::AtomicWriter design(chosen);
        char last = platform::copyInto(design, chosen);
        if (last != '\n' && last != '\r' && last != '\0')
            design.write(crlf);
        design.writeLine(" ");
        design.writeLine(" ");
        design.finish();

        platform::AtomicWriter out(util::splitname(chosen, 3) + "\\x" + util::splitname(chosen, 0));
        PolygonCleaner cleaner(out, chosen);
        forEachLine(chosen, [&](const std::string& line) { cleaner.line(line); });
        cleaner.line(" ");
        cleaner.line(" ");
        app::commitOutputs({&design, &out});
        log.show("Bad polygons removed:\t" + util::signedText(cleaner.removed()) + crlf +
                 "Modified polygons:\t\t" + util::signedText(cleaner.modified()));
        log.refresh();
        return app::JobResult::Completed;
    } catch (const platform::FileError& e) {
        log.show(e.logMessage());
    }
    log.refresh();
    return app::JobResult::Stopped;
}

} // namespace fk::pcbedit
