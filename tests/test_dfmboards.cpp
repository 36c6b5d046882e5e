// Spacing, width, edge, mask web and legend on real boards of other CAD tools at the default limits, against
// gerbv renderings measured by hand (tests/samples/boards/*/expected-dfm.tsv), and faults planted in them by
// exact text edits whose measures were computed from the coordinates (planted-dfm.tsv).
#include "board/fabrication.hpp"
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"
#include "files.hpp"
#include "support.hpp"

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fk::test {
namespace {

using boardcheck::Finding;
using boardcheck::Kind;

const std::string boards = std::string(FLASHKIT_SAMPLES) + "/boards/";

using Row = std::map<std::string, std::string>;

// A tab-separated table with a header line; '#' lines are comments.
std::vector<Row> tableOf(const std::string& file) {
    std::ifstream in(file);
    std::vector<std::string> header;
    std::vector<Row> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::stringstream s(line);
        for (std::string f; std::getline(s, f, '\t');)
            fields.push_back(f);
        if (header.empty()) {
            header = fields;
            continue;
        }
        Row row;
        for (size_t i = 0; i < header.size() && i < fields.size(); ++i)
            row[header[i]] = fields[i];
        rows.push_back(row);
    }
    return rows;
}

Kind kindOf(const std::string& name) {
    static const std::map<std::string, Kind> kinds{{"spacing", Kind::Spacing},
                                                   {"width", Kind::Width},
                                                   {"edge", Kind::Edge},
                                                   {"web", Kind::MaskWeb},
                                                   {"silk", Kind::Silk}};
    return kinds.at(name);
}

std::vector<Finding> checked(const std::string& folder) {
    board::Fabrication board = board::readFabrication(platform::toPathText(folder), {});
    const boardcheck::CopperPoints copper(board);
    auto findings = boardcheck::settleDrillReadings(board, copper);
    const auto rest = boardcheck::checkFabrication(board, copper, boardcheck::Limits());
    findings.insert(findings.end(), rest.begin(), rest.end());
    return findings;
}

double mm(util::Length l) {
    return double(l.count()) / double(util::Length::perMil) * 0.0254;
}
double mil(util::Length l) {
    return double(l.count()) / double(util::Length::perMil);
}
double limitOf(Kind kind) {
    const boardcheck::Limits l;
    switch (kind) {
    case Kind::Spacing:
        return mil(l.spacing);
    case Kind::Width:
        return mil(l.width);
    case Kind::Edge:
        return mil(l.edge);
    case Kind::MaskWeb:
        return mil(l.maskWeb);
    default:
        return mil(l.silk);
    }
}

// Where this check and the rendering are known to part, and why; each stays a row of its board's table.
struct Parting {
    const char* board;
    const char* kind;
    const char* layer; // every layer where none
    double x, y;
};
constexpr Parting partings[] = {
    // A pour that runs all along the edge is one place; the rendering breaks it where its pixels do.
    {"kicad4-usb-breakout", "edge", "usb_breakout-B.Cu.gbr", 111.008, -74.590},
    {"kicad4-usb-breakout", "edge", "usb_breakout-B.Cu.gbr", 111.230, -89.500},
    {"kicad4-usb-breakout", "edge", "usb_breakout-F.Cu.gbr", 111.008, -74.590},
    // A neck of a pour narrower than one rendering pixel's reach from the pour's own arcs.
    {"altium23-wulpus-hv-4layer", "width", "PCB1.GTL", 15.148, 15.688},
    // Altium flashes copper of an unplated hole's own size into it: the drill takes it all, so the edge is
    // measured to the copper beyond; the rendering sees the flash touch the hole.
    {"altium23-wulpus-hv-4layer", "edge", nullptr, 3.902, 21.206},
    {"altium23-wulpus-hv-4layer", "edge", nullptr, 15.599, 21.206},
    {"altium-wulpus-adapter", "edge", nullptr, -17.694, 16.481},
    {"altium-wulpus-adapter", "edge", nullptr, -17.561, -15.681},
    {"altium-wulpus-adapter", "edge", nullptr, 17.358, 16.481},
    {"altium-wulpus-adapter", "edge", nullptr, 17.491, -15.681},
};

bool parts(const std::string& board, const Row& r) {
    for (const auto& p : partings)
        if (board == p.board && r.at("kind") == p.kind && (!p.layer || r.at("layer") == p.layer) &&
            std::abs(std::stod(r.at("x_mm")) - p.x) < 1e-3 && std::abs(std::stod(r.at("y_mm")) - p.y) < 1e-3)
            return true;
    return false;
}

// Every place the rendering shows below a default limit, by a clear margin, is a finding of that kind on that
// layer inside the place's box, measured as the rendering measures it; and no finding stands where the
// rendering shows nothing below the limit.
TEST(RealBoards, DesignChecksAgreeWithRenderings) {
    for (const auto& entry : fs::directory_iterator(boards)) {
        const std::string board = entry.path().filename().string();
        if (!fs::exists(entry.path() / "expected-dfm.tsv"))
            continue;
        SCOPED_TRACE(board);
        const auto rows = tableOf((entry.path() / "expected-dfm.tsv").string());
        const auto findings = checked(entry.path().string());
        const auto inBox = [](const Finding& f, const Row& r, double grow) {
            const double x = mm(f.at.x), y = mm(f.at.y);
            return x >= std::stod(r.at("x1_mm")) - grow && x <= std::stod(r.at("x2_mm")) + grow &&
                   y >= std::stod(r.at("y1_mm")) - grow && y <= std::stod(r.at("y2_mm")) + grow;
        };
        std::set<const Finding*> matched;
        int compared = 0;
        for (const auto& r : rows) {
            const Kind kind = kindOf(r.at("kind"));
            const double limit = limitOf(kind), measured = std::stod(r.at("measured_mil"));
            const double tolerance = r.at("px_mil") == "0.05" ? 0.2 : 0.6;
            const bool found =
                std::stod(r.at("found_above_mil")) < limit && limit <= std::stod(r.at("found_upto_mil"));
            if (!found || measured > limit - tolerance || parts(board, r))
                continue;
            SCOPED_TRACE(r.at("kind") + " " + r.at("layer") + " " + r.at("x_mm") + " " + r.at("y_mm"));
            const Finding* best = nullptr;
            for (const auto& f : findings)
                if (f.kind == kind && f.plot == r.at("layer") && inBox(f, r, 0.05) &&
                    (!best ||
                     std::abs(mil(*f.measured) - measured) < std::abs(mil(*best->measured) - measured)))
                    best = &f;
            ASSERT_TRUE(best) << "no finding, measured " << measured;
            EXPECT_NEAR(mil(*best->measured), measured, tolerance);
            matched.insert(best);
            ++compared;
        }
        EXPECT_GT(compared, 0);
        for (const auto& f : findings) {
            if (matched.count(&f) || f.kind < Kind::Spacing || !f.measured)
                continue;
            const bool somewhere = std::any_of(rows.begin(), rows.end(), [&](const Row& r) {
                return kindOf(r.at("kind")) == f.kind && r.at("layer") == f.plot && inBox(f, r, 0.26);
            });
            EXPECT_TRUE(somewhere) << f.plot << " " << mm(f.at.x) << " " << mm(f.at.y) << " " << f.message;
        }
    }
}

std::string unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    return out;
}

bool same(const Finding& a, const Finding& b) {
    return a.kind == b.kind && a.plot == b.plot && a.at.x == b.at.x && a.at.y == b.at.y &&
           a.measured == b.measured;
}

// Each planted fault adds exactly the finding computed for it, at its place and measure, or nothing where it
// stays at or above the limit.
TEST_F(Scratch, PlantedDesignFaultsFoundExactly) {
    std::map<std::string, std::vector<Finding>> before;
    int n = 0;
    for (const auto& r : tableOf(boards + "planted-dfm.tsv")) {
        SCOPED_TRACE(r.at("board") + " " + r.at("file") + " " + r.at("kind") + " " + r.at("replace"));
        const std::string board = r.at("board");
        if (!before.count(board))
            before[board] = checked(boards + board);
        const fs::path copy = path("planted" + std::to_string(n++));
        copyFilesOf(boards + board, copy);
        std::string text = readBytes(copy / r.at("file"));
        const std::string find = unescaped(r.at("find"));
        const size_t at = text.find(find);
        ASSERT_NE(at, std::string::npos);
        ASSERT_EQ(text.find(find, at + 1), std::string::npos);
        writeBytes(copy / r.at("file"), text.replace(at, find.size(), unescaped(r.at("replace"))));
        std::vector<const Finding*> added;
        const auto after = checked(copy.string());
        for (const auto& f : after)
            if (f.kind == kindOf(r.at("kind")) && std::none_of(before[board].begin(), before[board].end(),
                                                               [&](const Finding& b) { return same(b, f); }))
                added.push_back(&f);
        if (r.at("found") == "no") {
            EXPECT_TRUE(added.empty()) << added.front()->message;
            continue;
        }
        ASSERT_EQ(added.size(), 1u);
        EXPECT_EQ(added[0]->plot, r.at("layer"));
        EXPECT_NEAR(mm(added[0]->at.x), std::stod(r.at("x_mm")), 0.005);
        EXPECT_NEAR(mm(added[0]->at.y), std::stod(r.at("y_mm")), 0.005);
        EXPECT_NEAR(mil(*added[0]->measured), std::stod(r.at("measured_mil")), 0.05);
    }
    EXPECT_GT(n, 10);
}

} // namespace
} // namespace fk::test
