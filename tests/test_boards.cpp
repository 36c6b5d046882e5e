// Real boards of KiCad, Eagle and Altium, checked as their CAD tools wrote them, against rings and gaps
// measured on gerbv's renderings (tests/samples/boards/*/expected.tsv), and with faults planted in them.
#include "app/context.hpp"
#include "board/fabrication.hpp"
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"
#include "support.hpp"

#include <fstream>
#include <map>
#include <sstream>

namespace fk::test {
namespace {

using boardcheck::Finding;
using boardcheck::Kind;
using util::Length;

const std::string boards = std::string(FLASHKIT_SAMPLES) + "/boards/";

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, separator);)
        fields.push_back(field);
    return fields;
}

// One hole of expected.tsv and, per layer column name, what gerbv's rendering shows around it.
struct Measured {
    bool copper = false;
    std::optional<double> ring, other; // mils; none where NA or beyond the search
};
struct ExpectedHole {
    std::string drill;
    long line = 0;
    bool plated = true;
    std::map<std::string, Measured> layers;
};

std::vector<ExpectedHole> expectedOf(const std::string& board) {
    std::ifstream in(boards + board + "/expected.tsv");
    std::vector<std::string> columns;
    std::vector<ExpectedHole> holes;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const auto fields = split(line, '\t');
        if (columns.empty()) {
            columns = fields;
            continue;
        }
        ExpectedHole h{fields[0], std::stol(fields[1]), fields[9] != "no", {}};
        for (size_t i = 10; i + 2 < fields.size(); i += 3) {
            const std::string layer = columns[i].substr(0, columns[i].size() - 7); // "<layer>_copper"
            const auto number = [](const std::string& f) -> std::optional<double> {
                if (f == "NA" || f.starts_with(">"))
                    return std::nullopt;
                return std::stod(f);
            };
            h.layers[layer] = {fields[i] == "yes", number(fields[i + 1]), number(fields[i + 2])};
        }
        holes.push_back(h);
    }
    return holes;
}

// The layer file a column names ("F.Cu" names usb_breakout-F.Cu.gbr and RVPC_Rev_B-F_Cu.gbr).
std::string layerFile(const board::Fabrication& board, std::string column) {
    for (const auto& l : board.layers) {
        std::string name = l.image.name, underscored = column;
        std::replace(underscored.begin(), underscored.end(), '.', '_');
        if (name.find(column) != std::string::npos || name.find(underscored) != std::string::npos)
            return name;
    }
    return "";
}

struct Checked {
    board::Fabrication board;
    std::vector<Finding> findings;
};

Checked check(const std::string& folder, const boardcheck::Limits& limits) {
    Checked c{board::readFabrication(platform::toPathText(folder), {}), {}};
    const boardcheck::CopperPoints copper(c.board);
    c.findings = boardcheck::settleDrillReadings(c.board, copper);
    const auto rest = boardcheck::checkFabrication(c.board, copper, limits);
    c.findings.insert(c.findings.end(), rest.begin(), rest.end());
    return c;
}

std::vector<const Finding*> findingsOf(const Checked& c, const std::string& layer, const ExpectedHole& h) {
    std::vector<const Finding*> found;
    const std::string of = "of line " + std::to_string(h.line) + " (";
    for (const auto& f : c.findings) {
        if (f.plot == layer && f.message.find(of) != std::string::npos &&
            f.message.find(" of " + h.drill) != std::string::npos)
            found.push_back(&f);
    }
    return found;
}

double inMils(Length l) {
    return double(l.count()) / double(Length::perMil);
}

// With ring and clearance limits of 60 mil every ring and gap below it is reported with its measure.
TEST(RealBoards, RingsAndGapsAgreeWithGerbvRenderings) {
    const double limit = 60, tolerance = 0.6; // two pixels of the rendering and its arcs' chords
    boardcheck::Limits limits{.registration = boardcheck::mils(1000),
                              .ring = boardcheck::mils(60),
                              .web = Length(),
                              .clearance = boardcheck::mils(60)};
    for (const std::string name :
         {"kicad4-usb-breakout", "kicad7-rvpc", "eagle-simon85", "altium-wulpus-adapter"}) {
        SCOPED_TRACE(name);
        const Checked c = check(boards + name, limits);
        int compared = 0;
        for (const auto& h : expectedOf(name)) {
            for (const auto& [column, m] : h.layers) {
                const std::string layer = layerFile(c.board, column);
                SCOPED_TRACE(h.drill + " line " + std::to_string(h.line) + " on " + layer);
                ASSERT_FALSE(layer.empty()) << column;
                const auto found = findingsOf(c, layer, h);
                const auto of = [&](std::initializer_list<Kind> kinds) -> const Finding* {
                    for (const Finding* f : found)
                        if (std::find(kinds.begin(), kinds.end(), f->kind) != kinds.end())
                            return f;
                    return nullptr;
                };
                if (!m.copper && h.plated) {
                    EXPECT_TRUE(of({Kind::NoPad, Kind::Breakout}));
                    continue;
                }
                if (m.copper && h.plated && m.ring) {
                    const Finding* ring = of({Kind::Ring, Kind::Breakout});
                    if (*m.ring < limit - tolerance) {
                        ASSERT_TRUE(ring) << "ring " << *m.ring;
                        EXPECT_NEAR(inMils(*ring->measured), std::max(*m.ring, 0.0), tolerance);
                        ++compared;
                    } else if (*m.ring > limit + tolerance) {
                        EXPECT_FALSE(ring) << "ring " << *m.ring;
                    }
                }
                if (!h.plated && m.copper)
                    continue; // an unplated hole through its own pad: nothing to measure
                const Finding* gap = of({Kind::Clearance});
                if (m.other && *m.other < limit - tolerance) {
                    ASSERT_TRUE(gap) << "gap " << *m.other;
                    EXPECT_NEAR(inMils(*gap->measured), *m.other, tolerance);
                    ++compared;
                } else if (!m.other || *m.other > limit + tolerance) {
                    EXPECT_FALSE(gap) << "gap " << (gap ? inMils(*gap->measured) : 0);
                }
            }
        }
        EXPECT_GT(compared, 20);
    }
}

} // namespace
} // namespace fk::test
