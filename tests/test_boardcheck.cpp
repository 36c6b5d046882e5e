// The board check: shape distances on tables, the example's findings, one planted fault at a time, the
// RS-274-X exports against their plots, and the holes PCB.DFN's PAD and VIA lines give.
#include "boardcheck/geometry.hpp"
#include "boardcheck/nearedges.hpp"
#include "boardexample.hpp"
#include "util/text.hpp"

#include <random>

namespace fk::test {
namespace {

// The default limits with another clearance.
board::Limits clearanceOf(util::Length clearance) {
    board::Limits limits;
    limits.clearance = clearance;
    return limits;
}

using namespace boardcheck;
using board::Shape;
using board::ShapeKind;

Point at(int x, int y) {
    return {mils(x), mils(y)};
}

// Hundredths of a mil, where doubles and rounding could hide an off-by-one of a whole shape size.
std::int64_t centimils(Length l) {
    return l.toMilDecimals(2);
}

TEST(BoardCheckGeometry, RingWidthPerShape) {
    struct Case {
        Shape shape;
        Point hole;
        int holeMils;
        std::int64_t ring; // hundredths of a mil
    } cases[] = {
        {{.kind = ShapeKind::Circle, .width = mils(60), .height = mils(60)}, at(0, 0), 28, 1600},
        {{.kind = ShapeKind::Circle, .width = mils(60), .height = mils(60)}, at(3, 4), 28, 1100},
        {{.kind = ShapeKind::Circle, .width = mils(60), .height = mils(60)}, at(40, 0), 28, -2400},
        {{.kind = ShapeKind::Obround, .width = mils(60), .height = mils(100)}, at(0, 20), 35, 1250},
        {{.kind = ShapeKind::Obround, .width = mils(100), .height = mils(60)}, at(0, 5), 20, 1500},
        {{.kind = ShapeKind::Rectangle, .width = mils(62), .height = mils(80)}, at(0, 0), 30, 1600},
        {{.kind = ShapeKind::Rectangle, .width = mils(62), .height = mils(80)}, at(10, 30), 10, 500},
        {{.kind = ShapeKind::RoundedRectangle, .width = mils(60), .height = mils(80), .corner = mils(15)},
         at(0, 0),
         40,
         1000},
        // Towards the corner: on the arc (9, 12 from its centre, radius 15), so the hole's radius leaves it.
        {{.kind = ShapeKind::RoundedRectangle, .width = mils(60), .height = mils(80), .corner = mils(15)},
         at(24, 37),
         2,
         -100},
        {{.kind = ShapeKind::Target, .width = mils(100), .height = mils(100)}, at(0, 0), 30, 3500},
        {{.kind = ShapeKind::Donut, .width = mils(80), .height = mils(80), .inner = mils(60)},
         at(0, 0),
         28,
         1000},
        {{.kind = ShapeKind::Donut, .width = mils(80), .height = mils(80), .inner = mils(60)},
         at(0, 0),
         70,
         500},
        {{.kind = ShapeKind::Thermal, .width = mils(70), .height = mils(70), .inner = mils(50)},
         at(2, 0),
         28,
         800},
    };
    for (const auto& c : cases) {
        const Length ring = ringWidth(c.shape, at(0, 0), c.hole, mils(c.holeMils));
        EXPECT_EQ(centimils(ring), c.ring)
            << static_cast<int>(c.shape.kind) << " hole at " << c.hole.x.toMilDecimals(0);
    }
}

TEST(BoardCheckGeometry, CapsuleDistances) {
    const Capsule track{at(0, 0), at(100, 0), mils(6)};
    struct Case {
        Point p;
        std::int64_t signedDistance;
    } points[] = {{at(50, 20), 1400}, {at(-30, 40), 4400}, {at(100, 6), 0}, {at(50, 0), -600}};
    for (const auto& c : points)
        EXPECT_EQ(centimils(signedDistance(c.p, track)), c.signedDistance) << c.p.x.toMilDecimals(0);
    struct PadCase {
        Outline pad;
        std::int64_t gap;
    } pads[] = {{{at(50, 30), {}, {}, mils(10)}, 1400},
                {{at(130, 0), mils(10), mils(10), {}}, 1400},
                {{at(140, 50), mils(10), mils(10), {}}, 4400}, // corner to end: 30, 40 apart
                {{at(50, 0), mils(100), mils(2), {}}, -600},   // crossing the track
                {{at(50, 40), mils(2), mils(40), {}}, -600}};
    for (const auto& c : pads)
        EXPECT_EQ(centimils(gap(track, c.pad)), c.gap) << c.pad.centre.x.toMilDecimals(0);
}

// Catches: the nearest edge of a piece taken from too few cells (a ring search stopped early, a long edge
// left out of the grid) or another of equal distance than the first gathered.
TEST(BoardCheckGeometry, NearestEdgeAsAmongAllEdges) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> place(0, 1000), step(-20, 20);
    NearEdges edges;
    std::vector<NearEdges::Edge> all;
    for (std::uint32_t i = 0; i < 3000; ++i) {
        const Vec a{place(random), place(random)};
        // Short edges, every tenth one long and slanting, every hundredth one again (an equal distance).
        const Vec b = i % 10 == 0 ? Vec{place(random), place(random)} : a + Vec{step(random), step(random)};
        all.push_back({i % 3, 0, i, {a, b}});
        if (i % 100 == 0)
            all.push_back({i % 3, 0, i + 100000, {a, b}});
    }
    for (const auto& e : all)
        edges.add(e);
    edges.index({100, 100, 900, 900}); // some edges and points beyond it
    std::uniform_real_distribution<double> anywhere(-200, 1200);
    for (int k = 0; k < 3000; ++k) {
        const Vec p{anywhere(random), anywhere(random)};
        const std::uint32_t piece = std::uint32_t(k % 3);
        const NearEdges::Edge* first = nullptr;
        double least = INFINITY;
        for (const auto& e : all)
            if (e.piece == piece && norm(p - e.seg.at(nearestParameter(e.seg, p))) < least)
                least = norm(p - e.seg.at(nearestParameter(e.seg, p))), first = &e;
        std::uint64_t steps = 0;
        const auto found = edges.nearest(piece, p, steps);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->edge->index, first->index) << p.x << " " << p.y;
        EXPECT_EQ(found->distance, least);
    }
    std::uint64_t steps = 0;
    EXPECT_FALSE(edges.nearest(3, {500, 500}, steps)); // a piece with no edge here
}

TEST_F(BoardCheck, ExampleHasOneFinding) {
    EXPECT_EQ(findings(), Lines{baseline});
    // A mask's openings are shown, not checked: no hole needs one, and no opening needs a hole.
    write("in/BOARD.GTS", "G54D11*\r\nX1400Y100D03*\r\nX0Y0D02*\r\nM02*\r\n");
    EXPECT_EQ(findings({"TOP.GBR", "PLANE.GBR", "BOARD.GTS"}), Lines{baseline});
}

// Each planted fault is found once on each plot it shows on, at its place, and nothing else is.
TEST_F(BoardCheck, PlantedFaults) {
    struct Case {
        const char* fault;
        const char* file;
        const char* from;
        const char* to;
        Lines expected;
        Limits limits = {};
    } cases[] = {
        // At the limit is within it; a step past it is not.
        {"hole moved exactly the registration tolerance",
         "BOARD.NC1",
         "X+002000Y+002000",
         "X+002010Y+002000",
         {baseline}},
        {"hole moved a step past the registration tolerance",
         "BOARD.NC1",
         "X+002000Y+002000",
         "X+002011Y+002000",
         {"registration TOP.GBR 201,200", baseline}},
        // A track ending on a pad's edge is that pad's copper, however large the clearance asked.
        {"track touching a pad",
         "TOP.GBR",
         "X0Y0D02*",
         "G54D10*\r\nX636Y500D02*\r\nX700Y500D01*\r\nX0Y0D02*",
         {baseline},
         clearanceOf(util::Length::fromMilDecimals(20, 0))},
        {"track a mil off a pad",
         "TOP.GBR",
         "X0Y0D02*",
         "G54D10*\r\nX637Y500D02*\r\nX700Y500D01*\r\nX0Y0D02*",
         {"clearance TOP.GBR 600,500", baseline, "spacing TOP.GBR 630,500"},
         clearanceOf(util::Length::fromMilDecimals(20, 0))},
        // A donut's opening is no hole to drill, on copper as in a plane.
        {"donut flashed on the top",
         "TOP.GBR",
         "X0Y0D02*",
         "G54D17*\r\nX1200Y800D03*\r\nX0Y0D02*",
         {baseline}},
        // PCB.DFN's CAM_TOOL gives a tool's size over the drill file's own header.
        {"header size under a CAM_TOOL line", "BOARD.NC1", "INCH\r\n", "INCH\r\nT1C0.0300\r\n", {baseline}},
        {"hole moved 3 mil",
         "BOARD.NC1",
         "X+002000Y+002000",
         "X+002030Y+002000",
         {"registration TOP.GBR 203,200", baseline}},
        {"hole moved 40 mil",
         "BOARD.NC1",
         "X+006000Y+005000",
         "X+006400Y+005000",
         {"breakout TOP.GBR 640,500", "pad-without-hole TOP.GBR 600,500", "plane-solid PLANE.GBR 640,500",
          baseline}},
        {"hole removed", "BOARD.NC1", "X+010000Y+007000\r\n", "", {"pad-without-hole TOP.GBR 1000,700"}},
        // The hole of a through-hole pad is on its PAD line; GRB_AP2's hole column is 0 for pads.
        {"through-hole pad's hole removed",
         "BOARD.NC1",
         "X+002000Y+002000\r\n",
         "",
         {"pad-without-hole TOP.GBR 200,200", baseline}},
        {"pad drilled with the other tool",
         "BOARD.NC1",
         "T1\r\nX+002000Y+002000\r\n",
         "T2\r\nX+002000Y+002000\r\nT1\r\n",
         {"tool-size TOP.GBR 200,200", baseline}},
        {"tool above its pad's hole",
         "PCB.DFN",
         "CAM_TOOL 3 125",
         "CAM_TOOL 3 130",
         {"tool-size TOP.GBR 1000,700", baseline}},
        // Without a PAD line the aperture's own hole is the size to drill.
        {"mounting hole without its PAD line",
         "PCB.DFN",
         "PAD MH 125 125 125 AL 16 0 0 0 1 3\r\n",
         "",
         {baseline}},
        {"two holes the registration tolerance apart",
         "BOARD.NC1",
         "X+002000Y+002000",
         "X+002000Y+002000\r\nX+002010Y+002000",
         {baseline, "stacked BOARD.NC1 201,200"}},
        {"two holes on one spot",
         "BOARD.NC1",
         "X+002000Y+002000",
         "X+002000Y+002000\r\nX+002000Y+002000",
         {baseline, "stacked BOARD.NC1 200,200"}},
        {"track past a hole",
         "TOP.GBR",
         "X0Y0D02*",
         "G54D10*\r\nX900Y775D02*\r\nX1100Y775D01*\r\nX0Y0D02*",
         {"clearance TOP.GBR 1000,700", baseline}},
        {"plane hole bare",
         "PLANE.GBR",
         "D17*\r\nX200Y200D03*\r\n",
         "D17*\r\n",
         {"plane-solid PLANE.GBR 200,200", baseline}},
        // A thermal's ring is measured as such, never as a breakout.
        {"hole on a thermal moved 12 mil",
         "BOARD.NC1",
         "X+006000Y+005000",
         "X+006120Y+005000",
         {"registration TOP.GBR 612,500", "ring TOP.GBR 612,500", "plane-clearance PLANE.GBR 612,500",
          baseline}},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        edit(c.file, c.from, c.to);
        EXPECT_EQ(findings({"TOP.GBR", "PLANE.GBR"}, {}, c.limits), c.expected) << c.fault;
    }
}

// Fab Export's RS-274-X files of the same plots hold the same flashes and draws.
TEST_F(BoardCheck, ExportsGiveTheFindingsOfTheirPlots) {
    const std::string exports = platform::toPathText(fs::path(FLASHKIT_EXAMPLES) / "fab" / "OUTPUT");
    edit("BOARD.NC1", "X+006000Y+005000", "X+006400Y+005000");
    const Lines plots = findings();
    Lines renamed;
    // Holes need nothing of the outline export; only the edge check reads it (the plots' own pick has none).
    for (auto line : findings({"BOARD.GTL", "BOARD.GBL", "BOARD.GKO"}, exports)) {
        if (line.starts_with("edge "))
            continue;
        const size_t name = line.find("BOARD.");
        line.replace(name, line.find(' ', name) - name,
                     line.find("GTL", name) != std::string::npos ? "TOP.GBR" : "PLANE.GBR");
        renamed.push_back(line);
    }
    EXPECT_EQ(renamed, plots);
}

// Leading zeros left out under a header that says they are kept: every hole misses, and the reading that
// puts them back is named.
TEST_F(BoardCheck, DrillReadWithTheOtherZeros) {
    write("in/BOARD.NC1", crlfLines({"M48", "INCH,LZ", "T1", "X2000Y2000", "X6000Y5000", "T2", "X9000Y2000",
                                     "X13000Y2000", "T3", "X10000Y7000", "M30"}));
    const Checked checked =
        checkFiles(text("in") + "\\PCB.DFN", {text("in") + "\\TOP.GBR", text("in") + "\\PLANE.GBR"},
                   text("in") + "\\BOARD.NC1", Limits{});
    ASSERT_EQ(checked.findings.size(),
              16u); // 5 on no pad, 5 in the bare plane, the 5 pads left undrilled
    EXPECT_EQ(
        findingLine(checked.findings.back()),
        "drill-reading\tBOARD.NC1\tall 5 holes land on pads when BOARD.NC1 is read as INCH,TZ,00.0000 "
        "(leading zeros omitted, 2.4 digits, inches): its header reads as INCH,LZ,00.0000, where 0 of 5 do");
    EXPECT_EQ(findingLine(checked.findings.front()), "no-pad\tTOP.GBR\tX 20.0000 Y 20.0000 in (X 508.000 Y "
                                                     "508.000 mm)\thole of line 4 (T1) lies on no pad");
}

// Only the holes written with a trailing zero move when the header's zeros are wrong: the few that miss are
// diagnosed all the same.
TEST_F(BoardCheck, DrillReadingForAFewHoles) {
    write("in/BOARD.NC1", crlfLines({"M48", "INCH,TZ", "T1", "X002000Y002000", "X006000Y005000", "T2",
                                     "X009000Y002000", "X013000Y002000", "T3", "X01Y007", "M30"}));
    const Checked checked =
        checkFiles(text("in") + "\\PCB.DFN", {text("in") + "\\TOP.GBR", text("in") + "\\PLANE.GBR"},
                   text("in") + "\\BOARD.NC1", Limits{});
    ASSERT_FALSE(checked.findings.empty());
    EXPECT_EQ(
        findingLine(checked.findings.back()),
        "drill-reading\tBOARD.NC1\tall 5 holes land on pads when BOARD.NC1 is read as INCH,LZ,00.0000 "
        "(trailing zeros omitted, 2.4 digits, inches): its header reads as INCH,TZ,00.0000, where 4 of 5 do");
}

// Copper drawn rather than flashed is copper all the same: a hole in a wide draw has its ring, and one whose
// pad is too small is measured to the edge of the copper it lies in.
TEST_F(BoardCheck, HoleInDrawnCopper) {
    edit("PCB.DFN", "CAM_TOOL 1 28",
         "GRB_AP2 21 80 80 0 DRAW ELLIPSE \"ROUND DRAW- 80 MILS\"\r\nCAM_TOOL 1 28");
    edit("TOP.GBR", "D11*\r\nX200Y200D03*\r\n", "D21*\r\nX150Y200D02*\r\nX250Y200D01*\r\nD11*\r\n");
    EXPECT_EQ(findings(), (Lines{baseline}));
    // Without the wide draw the hole sits on the end of a 12 mil track: it leaves that copper.
    edit("TOP.GBR", "D21*\r\nX150Y200D02*\r\nX250Y200D01*\r\n", "");
    const Checked checked = checkFiles(text("in") + "\\PCB.DFN", {text("in") + "\\TOP.GBR"},
                                       text("in") + "\\BOARD.NC1", Limits{});
    ASSERT_FALSE(checked.findings.empty());
    const Finding& breakout = checked.findings.front();
    EXPECT_EQ(breakout.kind, Kind::Breakout);
    EXPECT_EQ(breakout.plot, "TOP.GBR");
    EXPECT_EQ(breakout.message, "hole of line 4 (T1) of BOARD.NC1 leaves the copper it lies in");
    // 6 mil of track beyond the centre less the hole's 14, within the chord error of the track's round end.
    ASSERT_TRUE(breakout.measured);
    EXPECT_NEAR(double(breakout.measured->count()), double(-mils(8).count()),
                double(board::chordError.count()));
}

TEST_F(BoardCheck, ShrunkPadRing) {
    edit("PCB.DFN", "CAM_TOOL 1 28",
         "GRB_AP2 21 36 36 0 FLASH ELLIPSE \"ROUND PAD- 36 MILS\"\r\nCAM_TOOL 1 28");
    edit("TOP.GBR", "D11*\r\nX200Y200D03*\r\n", "D21*\r\nX200Y200D03*\r\nD11*\r\n");
    EXPECT_EQ(findings(), (Lines{"ring TOP.GBR 200,200", baseline}));
}

// A pad's hole and tool are read from its PAD or VIA line, each field where that kind of line keeps it; a
// line that does not read so names no pad.
TEST_F(Scratch, PadAndViaLinesGiveHoleAndTool) {
    struct Case {
        std::string line;
        int dcode;
        const char* hole; // mils, or nullptr when the line names no pad
        int tool;
    } cases[] = {
        {"PAD EL 60 60 28 AL 11 1 18 19 1 1", 11, "28", 1},
        {"VIA EL 40 20 12 1 40 42 1 2", 12, "20", 2},
        {"PAD SQ 62.5 80 0 TL 13 1 0 0 1 0", 13, "0", 0},
        {"PAD EL 60 60 2.5 AL 14 1 0 0 1 3", 14, "2.5", 3},
        {"PAD EL 60 60 28 AL 15 1 18 19 1 1 9", 15, nullptr, 0},
        {"VIA EL 40 20 16 1 40 42 1 2 9", 16, nullptr, 0},
        {"VIA EL 40 -20 17 1 40 42 1 2", 17, nullptr, 0},
        {"PAD EL 60 60 28 AL 18 1 18 19 1", 18, nullptr, 0},
    };
    for (const auto& c : cases) {
        write("PCB.DFN", crlfLines({c.line}));
        const board::Definitions definitions = board::readDefinitions(text("PCB.DFN"));
        const auto& pads = board::padsOf(definitions, c.dcode);
        if (!c.hole) {
            EXPECT_TRUE(pads.empty()) << c.line;
            continue;
        }
        ASSERT_EQ(pads.size(), 1u) << c.line;
        EXPECT_EQ(pads[0].hole, *board::milsText(c.hole)) << c.line;
        EXPECT_EQ(pads[0].tool, c.tool) << c.line;
        EXPECT_EQ(pads[0].line, 1) << c.line;
    }
}

} // namespace
} // namespace fk::test
