// Drill files as the CAD tools write them: their holes and slots, the reading taken, refusals at their line,
// and routed slots along their arcs.
#include "board/fabrication.hpp"
#include "model/boardpicture.hpp"
#include "support.hpp"

#include <cmath>

namespace fk::test {
namespace {

using util::Length;

Length inch(std::int64_t digits, int decimals) {
    return Length::fromInchDecimals(digits, decimals);
}
Length mm(std::int64_t digits, int decimals) {
    return Length::fromMillimetreDecimals(digits, decimals);
}

// Drill files as the CAD tools write them: each read into its holes and slots, the reading taken and whether
// the file left it to the reader, or refused at its line.
TEST(BoardDrills, DialectsAsTheToolsWriteThem) {
    struct Case {
        const char *what, *text;
        size_t holes;
        board::Point first;  // the first hole's centre
        size_t path;         // points of the first slot's path
        const char* taken;   // the reading its holes are placed by
        bool assumed;        // the file leaves units or zeros to the reader
        const char* refusal; // "line: expected", or "" when it reads
    };
    const Case cases[] = {
        // OrCAD Layout's thruhole.tap: no M48, no units, six-digit integers. The first lines of nesl/h34c's
        // thruhole.tap (commit 4fcc9b3e00d0ea4c5921e71bd8177d6be9aebae5; no licence stated, quoted for its
        // form alone).
        {"OrCAD Layout",
         "%\nT1C0.0100F200S100\nX007020Y001480\nX007180Y002110\nT2C0.0420F200S100\nX006000Y009000\nM30\n",
         3,
         {inch(7020, 4), inch(1480, 4)},
         0,
         "INCH,00.0000",
         true,
         ""},
        // The same with longer numbers: read in the first other reading they fit.
        {"no units, seven digits",
         "%\nT1C0.0100\nX0070200Y0014800\n",
         1,
         {inch(70200, 5), inch(14800, 5)},
         0,
         "INCH,TZ,00.00000",
         true,
         ""},
        // Older Eagle: the units line before M48 (hand-made in that form).
        {"units before M48",
         "INCH,TZ\n%\nM48\nM72\nT01C0.0236\n%\nT01\nX40944Y19842\nM30\n",
         1,
         {inch(40944, 4), inch(19842, 4)},
         0,
         "INCH,TZ,00.0000",
         false,
         ""},
        // LibrePCB's ExcellonGenerator::printRout: G00, M15, G01 and G03 with a radius A, M16, G05.
        {"LibrePCB's routed arc",
         "M48\nFMAT,2\nMETRIC,TZ\nT1C1.0\n%\nG90\nG05\nM71\nT1\nG00X0.0Y0.0\nM15\nG01X1.0Y0.0\n"
         "G03X2.0Y1.0A1.0\nG01X2.0Y2.0\nM16\nG05\nX5.0Y5.0\nT0\nM30\n",
         2,
         {mm(0, 0), mm(0, 0)},
         0,
         "METRIC,TZ,000.000",
         false,
         ""},
        // G02 with its centre as I and J, on lines of their own (modal), as the Excellon standard has it.
        {"clockwise arc by its centre",
         "M48\nMETRIC\nT1C1.0\n%\nT1\nG00\nX0.0Y1.0\nM15\nG02\nX1.0Y0.0I0.0J-1.0\nM16\n",
         1,
         {mm(0, 0), mm(1, 0)},
         0,
         "METRIC,000.000",
         false,
         ""},
        {"M30 ends the program",
         "M48\nMETRIC\nT1C1.0\n%\nT1\nX1.0Y1.0\nM30\nX2.0Y2.0\n",
         1,
         {mm(1, 0), mm(1, 0)},
         0,
         "METRIC,000.000",
         false,
         ""},
        // Fritzing's svg2gerber: tools below the number the comment names are unplated.
        {"Fritzing's plating by tool number",
         "; NON-PLATED HOLES START AT T1\n; THROUGH (PLATED) HOLES START AT T100\nM48\nINCH\nT1C0.086614\n"
         "T100C0.038\n%\nT1\nX017222Y011222\nT100\nX010000Y010000\nT00\nM30\n",
         2,
         {inch(17222, 4), inch(11222, 4)},
         0,
         "INCH,00.0000",
         false,
         ""},
        {"an arc shorter than its chord",
         "M48\nMETRIC\nT1C1.0\n%\nT1\nG00X0.0Y0.0\nM15\nG03X4.0Y0.0A1.0\nM16\n",
         0,
         {},
         0,
         "",
         false,
         "8: an arc's radius A of at least half the distance it spans"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (*c.refusal) {
            try {
                board::readDrillText(c.text);
                ADD_FAILURE() << "read";
            } catch (const drill::ExcellonError& e) {
                EXPECT_EQ(std::to_string(e.line) + ": " + e.expected, c.refusal);
            }
            continue;
        }
        const board::DrillText text = board::readDrillText(c.text);
        const auto holes = board::holesOfText(text, "d", true, 0);
        ASSERT_EQ(holes.size(), c.holes);
        EXPECT_EQ(holes[0].at, c.first);
        EXPECT_EQ(board::headerText(text.taken), c.taken);
        EXPECT_EQ(text.assumed, c.assumed);
    }
}

// A routed slot keeps every point of its path, its arcs as chords on the true circle; a plain hole and a
// straight slot keep none; the slot is named by the line of the move to its start.
TEST(BoardDrills, RoutedSlotsAlongTheirArcs) {
    const auto slotOf = [](const char* text) {
        return board::holesOfText(board::readDrillText(text), "d", true, 0);
    };
    const auto routed = slotOf("M48\nMETRIC\nT1C1.0\n%\nT1\nG00X0.0Y0.0\nM15\nG01X1.0Y0.0\nG03X2.0Y1.0A1.0\n"
                               "G01X2.0Y2.0\nM16\nG05\nX5.0Y5.0\n");
    ASSERT_EQ(routed.size(), 2u);
    const auto& path = routed[0].path;
    ASSERT_GT(path.size(), 8u);
    EXPECT_TRUE(routed[0].slot);
    EXPECT_EQ(routed[0].line, 6);
    EXPECT_EQ(path.front(), (board::Point{mm(0, 0), mm(0, 0)}));
    EXPECT_EQ(path[1], (board::Point{mm(1, 0), mm(0, 0)}));
    EXPECT_EQ(path.back(), (board::Point{mm(2, 0), mm(2, 0)}));
    EXPECT_EQ(routed[0].end, path.back());
    for (size_t i = 2; i + 1 < path.size(); ++i) { // the arc's points, centre (1, 1) mm, anticlockwise
        const double dx = double((path[i].x - mm(1, 0)).count()), dy = double((path[i].y - mm(1, 0)).count());
        EXPECT_NEAR(std::hypot(dx, dy), double(mm(1, 0).count()), double(board::chordError.count()));
        EXPECT_GT(path[i].x, path[i - 1].x);
        EXPECT_GT(path[i].y, path[i - 1].y);
    }
    EXPECT_TRUE(routed[1].path.empty());
    EXPECT_FALSE(routed[1].slot);
    // The board picture draws the routed slot along its path, a slot a chord.
    const auto picture = model::pictureOf({.fabrication = {.holes = routed}});
    ASSERT_EQ(picture.holes.size(), path.size());
    EXPECT_EQ(picture.holes[0].x, path[0].x);
    EXPECT_EQ(picture.holes[path.size() - 2].x2, path.back().x);
    EXPECT_EQ(picture.holes[path.size() - 2].y2, path.back().y);
    const auto straight = slotOf("M48\nMETRIC\nT1C1.0\n%\nT1\nG00X0.0Y0.0\nM15\nG01X3.0Y0.0\nM16\nG05\n");
    ASSERT_EQ(straight.size(), 1u);
    EXPECT_TRUE(straight[0].slot);
    EXPECT_TRUE(straight[0].path.empty());
    EXPECT_EQ(straight[0].end, (board::Point{mm(3, 0), mm(0, 0)}));
    const auto fritzing =
        slotOf("; THROUGH (PLATED) HOLES START AT T100\nM48\nINCH\nT1C0.08\nT100C0.03\n%\nT1\n"
               "X010000Y010000\nT100\nX020000Y020000\n");
    EXPECT_FALSE(fritzing[0].plated);
    EXPECT_TRUE(fritzing[1].plated);
}

} // namespace
} // namespace fk::test
