// The board check: shape distances on tables, the example's findings, one planted fault at a time, the
// RS-274-X exports against their plots, and the command line's files and exit status.
#include "app/context.hpp"
#include "boardcheck/boardcheck.hpp"
#include "boardcheck/geometry.hpp"
#include "model/boardpicture.hpp"
#include "model/checklimits.hpp"
#include "model/session.hpp"
#include "support.hpp"
#include "util/text.hpp"

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

// The example of examples/fab in a scratch folder, edited one fault at a time.
class BoardCheck : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        copyFilesOf(fs::path(FLASHKIT_EXAMPLES) / "fab", path("in"));
    }
    // Replaces the one occurrence of `from` in a file of the example.
    void edit(const std::string& name, const std::string& from, const std::string& to) const {
        std::string bytes = read("in/" + name);
        const size_t at = bytes.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        ASSERT_EQ(bytes.find(from, at + 1), std::string::npos) << from;
        write("in/" + name, bytes.replace(at, from.size(), to));
    }
    // Each finding as "kind plot x,y" in mils.
    Lines findings(const std::vector<std::string>& plots = {"TOP.GBR", "PLANE.GBR"}, std::string dir = {},
                   const Limits& limits = {}) const {
        dir = dir.empty() ? text("in") : dir;
        std::vector<std::string> paths;
        for (const auto& p : plots)
            paths.push_back(dir + "\\" + p);
        const Checked checked =
            checkFiles(text("in") + "\\PCB.DFN", paths, text("in") + "\\BOARD.NC1", limits);
        Lines out;
        for (const auto& f : checked.findings)
            out.push_back(std::string(kindName(f.kind)) + " " + f.plot + " " +
                          std::to_string(f.at.x.toMilDecimals(0)) + "," +
                          std::to_string(f.at.y.toMilDecimals(0)));
        return out;
    }
};

const char* const baseline = "plane-solid PLANE.GBR 1000,700";

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

// The picture's model: layers, holes and findings of the example, and the view's arithmetic.
TEST_F(BoardCheck, PictureModel) {
    app::Fields fields;
    fields.fnamebase = "BOARD", fields.indatapath = fields.dfnpath = text("in");
    model::Session session(text("prog"));
    std::string choice = text("in") + "\\TOP.GBR ,PLANE.GBR";
    session.fileWindow = [&choice](const app::PickRequest&) { return model::PickOutcome{choice, {}}; };
    EXPECT_EQ(session.press(model::boardCheckButton, fields), app::JobResult::Findings);
    const model::BoardPicture picture = session.boardPicture();
    ASSERT_EQ(picture.problem, "");
    ASSERT_EQ(picture.layers.size(), 2u);
    EXPECT_FALSE(picture.layers[0].plane);
    EXPECT_TRUE(picture.layers[1].plane);
    EXPECT_EQ(model::layerLabel(picture.layers[0]), "TOP.GBR");
    EXPECT_EQ(model::layerLabel(picture.layers[1]), "PLANE.GBR (plane)");
    EXPECT_EQ(model::verdictOf(picture), "1 finding");
    // TOP: 9 flashes, then 3 draws; PLANE: donuts and thermals as outlines that clear the plane: a donut a
    // ring with its hole, a thermal its ring cut into four by the spokes' gaps.
    using Drawn = model::Primitive::Kind;
    const auto& top = picture.layers[0].primitives;
    ASSERT_EQ(top.size(), 12u);
    EXPECT_EQ(top[0].kind, Drawn::Disc);
    EXPECT_EQ(top[2].kind, Drawn::Outline); // the oval
    EXPECT_EQ(top[9].kind, Drawn::Stroke);
    // The third draw starts where the move before it went (X900Y200D02*), not where the last draw ended.
    EXPECT_EQ(std::vector({top[11].x, top[11].y, top[11].x2, top[11].y2}),
              std::vector({mils(900), mils(200), mils(1300), mils(200)}));
    const auto& plane = picture.layers[1];
    ASSERT_EQ(plane.primitives.size(), 4u);
    const size_t pieces[] = {2, 2, 4, 4};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(plane.primitives[i].ink, model::Ink::Cleared);
        ASSERT_EQ(plane.primitives[i].kind, Drawn::Outline);
        EXPECT_EQ(plane.outlines.at(plane.primitives[i].shape).size(), pieces[i]) << i;
    }
    // The donut of OD 80, its corners on the circle: at most two chord errors narrower across.
    EXPECT_LE((mils(80) - plane.primitives[0].width).count(), 2 * board::chordError.count());
    EXPECT_GE((mils(80) - plane.primitives[0].width).count(), 0);
    EXPECT_EQ(picture.holes.size(), 5u);
    ASSERT_EQ(picture.findings.size(), 1u);
    EXPECT_EQ(picture.findings[0].x, mils(1000));
    // "Check again" takes the same files without asking; a check that read nothing hands nothing over.
    choice = text("in") + "\\NONE.GBR";
    EXPECT_EQ(session.checkAgain(fields), app::JobResult::Findings);
    EXPECT_EQ(session.boardPicture().layers.size(), 2u);
    EXPECT_EQ(session.press(model::boardCheckButton, fields), app::JobResult::Stopped);
    EXPECT_EQ(session.boardPicture().problem, "The board could not be read; the log says why.");
    EXPECT_NE(session.log().text().find(
                  util::lines({"Could not read the file:", "<" + text("in") + "\\NONE.GBR>"})),
              std::string::npos);

    // The findings list in columns: each padded to its widest, counted in characters; the last left as it is.
    EXPECT_EQ(
        model::inColumns({"ring\tTOP.GBR\tX 1", "no-pad\tPLÄNE.GBR\tX 22", "drill-reading"}),
        (std::vector<std::string>{"ring    TOP.GBR    X 1", "no-pad  PLÄNE.GBR  X 22", "drill-reading"}));
    // The mark rings the hole it is found at, at any zoom: never smaller than 9 pixels across its radius.
    EXPECT_EQ(model::markRadius(0), 9);
    EXPECT_EQ(model::markRadius(40), 25);

    model::PictureView view;
    view.resize(1000, 500);
    view.fit(picture.extent); // 50 to 1450 by 150 to 950 mils: the height decides
    EXPECT_DOUBLE_EQ(view.pixelsPerMil(), 0.9 * 500 / 800);
    EXPECT_EQ(view.pointerText(500, 250), "X 0.7500 in Y 0.5500 in (19.050 mm, 13.970 mm)");
    const model::Pixel before = view.pixelOf(mils(200), mils(200));
    view.zoomAt(before.x, before.y, 4);
    const model::Pixel after = view.pixelOf(mils(200), mils(200));
    EXPECT_NEAR(after.x, before.x, 1e-6);
    EXPECT_NEAR(after.y, before.y, 1e-6);
    view.centreOn(mils(1000), mils(700), mils(250));
    EXPECT_EQ(view.pointerText(500, 250), "X 1.0000 in Y 0.7000 in (25.400 mm, 17.780 mm)");
    EXPECT_EQ(view.scaleBar().text,
              "100 mil (2.54 mm)"); // 2 pixels a mil: a fifth of 1000 pixels is 100 mils
    EXPECT_DOUBLE_EQ(view.scaleBar().pixels, 200);
    view.panStep(1, 0); // an eighth of the width to the right: the picture moves left
    EXPECT_EQ(view.pointerText(500, 250), "X 1.0625 in Y 0.7000 in (26.988 mm, 17.780 mm)");
    // A finding clicked: a placed one is centred a quarter inch across the height; one of the whole file
    // leaves the view.
    EXPECT_FALSE(view.showFinding({.text = "drill-reading", .placed = false, .x = mils(0), .y = mils(0)}));
    EXPECT_EQ(view.pointerText(500, 250), "X 1.0625 in Y 0.7000 in (26.988 mm, 17.780 mm)");
    EXPECT_TRUE(view.showFinding(picture.findings[0]));
    EXPECT_EQ(view.pointerText(500, 250), "X 1.0000 in Y 0.7000 in (25.400 mm, 17.780 mm)");
    EXPECT_DOUBLE_EQ(view.pixelsPerMil(), 2);
    // Painted only where it lands in the drawing (750 to 1250 by 575 to 825 mils).
    using Kind = model::Primitive::Kind;
    const auto primitive = [](Kind kind, int x, int y, int width, int height = 0, int x2 = 0, int y2 = 0) {
        return model::Primitive{.kind = kind,
                                .x = mils(x),
                                .y = mils(y),
                                .x2 = mils(x2),
                                .y2 = mils(y2),
                                .width = mils(width),
                                .height = mils(height)};
    };
    EXPECT_TRUE(view.shows(primitive(Kind::Disc, 1260, 700, 20)));
    EXPECT_FALSE(view.shows(primitive(Kind::Disc, 1270, 700, 20)));
    EXPECT_TRUE(view.shows(primitive(Kind::Stroke, 0, 0, 10, 0, 2000, 700)));
    EXPECT_FALSE(view.shows(primitive(Kind::Stroke, 0, 900, 10, 0, 2000, 900)));
    EXPECT_TRUE(view.shows(primitive(Kind::Box, 1300, 700, 100, 20)));
    EXPECT_FALSE(view.shows(mils(1000), mils(850), mils(40)));
    // Below two pixels either way a primitive is a pixel at its middle.
    model::Primitive dot = primitive(Kind::Disc, 1000, 700, 1);
    EXPECT_FALSE(view.tiny(dot));
    dot.width = util::Length::fromMilDecimals(9, 1);
    EXPECT_TRUE(view.tiny(dot));
    const model::Primitive shortStroke = primitive(Kind::Stroke, 1000, 700, 0, 0, 1000, 701);
    EXPECT_FALSE(view.tiny(shortStroke));
    EXPECT_DOUBLE_EQ(view.middleOf(shortStroke).y, 249);
}

// The command line: the log, the JSON's bytes, the picture, the limits and the exit status.
class BoardCheckCli : public BoardCheck {
  protected:
    CliResult run(std::vector<std::string> extra, const std::string& picks = "TOP.GBR ,PLANE.GBR") const {
        std::vector<std::string> args{"boardcheck",   "--base",   "BOARD",
                                      "--input-path", text("in"), "--dfn-path",
                                      text("in"),     "--pick",   text("in") + "\\" + picks};
        args.insert(args.end(), extra.begin(), extra.end());
        return cli(args);
    }
};

TEST_F(BoardCheckCli, ExampleLogJsonAndPicture) {
    const CliResult r = run({"--json", path("check.json").string(), "--picture", path("board.svg").string()});
    EXPECT_EQ(r.status, 1);
    const std::string hole = "X 1.0000 Y 0.7000 in (X 25.400 Y 17.780 mm)\thole of line 10 (T3)";
    EXPECT_EQ(
        r.log,
        util::lines({"[Reading PCB.DFN, 2 plots and BOARD.NC1]",
                     "plane-solid\tPLANE.GBR\t" + hole + " in the plane with neither thermal nor clearance",
                     "Checked: holes on 2 layers, spacing and width on 2",
                     "Not checked: the board's edge (no outline), mask web (no solder mask layer), "
                     "legend (no legend layer)",
                     "Findings: 1, plane-solid 1", "[Board Check completed with findings]"}));
    EXPECT_EQ(
        read("check.json"),
        crlfLines({"{\"findings\":[",
                   "{\"kind\":\"plane-solid\",\"plot\":\"PLANE.GBR\",\"x\":1,\"y\":0.7,"
                   "\"message\":\"hole of line 10 (T3) in the plane with neither thermal nor clearance\"}",
                   "]}"}));
    const std::string svg = read("board.svg");
    // The board (0 to 1500 by 100 to 1000 mils), a unit of 15 mils: above it 10 text units for the title, the
    // limits and the legend on one row (the nine limits' 172 letters fit 1500 mils at 6.61 mils a unit),
    // below it 6 units for the scale bar; the finding ringed a unit beyond its hole.
    EXPECT_TRUE(
        svg.starts_with("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 -1066.11 1500 1056.11\""));
    for (const char* part :
         {"<circle cx=\"1000\" cy=\"700\" r=\"62.5\" fill=\"#000000\"/>",
          ">Board Check of TOP.GBR, PLANE.GBR with BOARD.NC1</text>",
          ">Limits: registration 1.00 mil, ring 5.00 mil, web 8.00 mil, clearance 8.00 mil, spacing 5.00 "
          "mil, "
          "width 5.00 mil, edge 10.00 mil, mask-web 4.00 mil, silk 4.00 mil; 1 finding</text>",
          "fill=\"#4a78b8\" stroke=\"#000000\" stroke-width=\"0.66\"/>", ">PLANE.GBR (plane)</text>",
          "<circle cx=\"1000\" cy=\"-700\" r=\"77.5\" fill=\"none\" stroke=\"#e00000\" stroke-width=\"6\">"
          "<title>plane-solid PLANE.GBR</title></circle>",
          ">plane-solid</text>", ">200 mil (5.08 mm)</text>",
          "<line x1=\"200\" y1=\"200\" x2=\"600\" y2=\"200\" stroke=\"#b87333\" stroke-width=\"12\""})
        EXPECT_NE(svg.find(part), std::string::npos) << part;
}

TEST_F(BoardCheckCli, LimitsAndExitStatus) {
    const CliResult clean = run({}, "TOP.GBR");
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.log, util::lines({"[Reading PCB.DFN, 1 plot and BOARD.NC1]",
                                      "Checked: holes on 1 layer, spacing and width on 1",
                                      "Not checked: the board's edge (no outline), mask web (no solder mask "
                                      "layer), legend (no legend layer)",
                                      "Findings: 0", "[Board Check completed: the board is clean]"}));
    const CliResult web = run({"--web", "9.3mm"}, "TOP.GBR");
    EXPECT_EQ(web.status, 1);
    EXPECT_NE(
        web.log.find("web\tBOARD.NC1\tX 1.3000 Y 0.2000 in (X 33.020 Y 5.080 mm)\t365.00 mil (9.271 mm), "
                     "limit 366.14 mil (9.300 mm)\tholes of lines 7 and 8: web below the "
                     "minimum\r\nChecked: "),
        std::string::npos)
        << web.log;
    write("prog/flashkit.ini",
          crlfLines({"0", "0", "0", "BOARD", ".", ".", ".", ".", "boardcheck_ring=12.6"}));
    EXPECT_NE(run({}, "TOP.GBR").log.find("\r\nring\tTOP.GBR\tX 0.9000 Y 0.2000 in"), std::string::npos);
    EXPECT_EQ(run({"--ring", "5"}, "TOP.GBR").status, 0); // the command line wins over flashkit.ini
    std::vector<std::string> lastLine(app::settingsLineCount - 1, "");
    lastLine.push_back("boardcheck_ring=12.6"); // a key is found on every line the file keeps, the last too
    write("prog/flashkit.ini", crlfLines(lastLine));
    EXPECT_NE(run({}, "TOP.GBR").log.find("\r\nring\tTOP.GBR\tX 0.9000 Y 0.2000 in"), std::string::npos);
    write("prog/flashkit.ini", crlfLines({"BOARDCHECK_WEB=8 mils"}));
    const CliResult bad = run({}, "TOP.GBR");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.log,
              util::lines({"The web limit of " + text("prog") + "\\flashkit.ini line 1 is no length: 8 mils",
                           "Expected: mils (5, 2.5) or millimetres (0.127mm). Nothing was checked."}));
    fs::remove(path("prog/flashkit.ini"));
    write("in/EMPTY.GBR", "G04 nothing*\r\n");
    const CliResult empty = run({}, "EMPTY.GBR");
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.log,
              util::lines({"[Reading PCB.DFN, 1 plot and BOARD.NC1]",
                           "The plot holds no flash and no draw:", "<" + text("in") + "\\EMPTY.GBR>",
                           "Nothing was checked; pick the board's plots and re-try."}));
    // Plots of no copper would pass every hole: refused, each named with its role.
    fs::copy_file(path("in/TOP.GBR"), path("in/BOARD.GKO"));
    fs::copy_file(path("in/TOP.GBR"), path("in/SMT.GBR"));
    const CliResult outline = run({}, "BOARD.GKO ,SMT.GBR");
    EXPECT_EQ(outline.status, 2);
    EXPECT_EQ(outline.log, util::lines({"[Reading PCB.DFN, 2 plots and BOARD.NC1]",
                                        "None of the picked plots is copper or a plane:",
                                        "<" + text("in") + ">", "  BOARD.GKO: outline", "  SMT.GBR: topmask",
                                        "Nothing was checked; pick the design's copper plots and planes."}));
    EXPECT_NE(run({}, "BOARD.GKO ,TOP.GBR").status, 2); // one copper plot among them is enough
    const CliResult drill = run({}, "BOARD.NC1");
    EXPECT_EQ(drill.status, 2);
    EXPECT_EQ(drill.log, util::lines({"[Reading PCB.DFN, 1 plot and BOARD.NC1]",
                                      "Line 1 starts a drill program (M48): the file is a drill file, which "
                                      "the check cannot read:",
                                      "<" + text("in") + "\\BOARD.NC1>", "M48",
                                      "Nothing was checked; pick Gerber plots and re-try."}));
    fs::remove(path("in/BOARD.NC1"));
    const CliResult missing = run({}, "TOP.GBR");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.log, "File (" + text("in") + "\\BOARD.NC1) not found!");
    for (const char* signed_ : {"-1", "+5", "+0.127mm"}) { // refused by the command line as a usage error
        const std::string err = run({"--ring", signed_}, "TOP.GBR").err;
        EXPECT_EQ(
            err.substr(0, err.find('\n')),
            std::string("flashkit-cli: --ring takes a length in mils (5) or millimetres (0.127mm), not \"") +
                signed_ + "\"");
    }
    EXPECT_EQ(cli({"fabexport", "--json", "x.json"}).status, 2);
}

} // namespace
} // namespace fk::test

namespace fk::test {
namespace {

// Where each limit comes from: the option over the profile it names, the profile over flashkit.ini's line,
// that over the default; a profile of flashkit.ini over the shipped one of its name.
TEST_F(Scratch, LimitsFromProfilesAndLines) {
    struct Case {
        const char* what;
        std::vector<std::string> ini;
        std::map<std::string, std::string> options;
        std::string spacing, width, ring; // mils as Board Check then checks
    } cases[] = {
        {"the defaults", {}, {}, "5", "5", "5"},
        {"a line of flashkit.ini", {"BOARDCHECK_SPACING=7"}, {}, "7", "5", "5"},
        {"a shipped profile over the line",
         {"BOARDCHECK_SPACING=7"},
         {{"profile", "fine-4-layer"}},
         "4",
         "4",
         "5"},
        {"the option over the profile",
         {},
         {{"profile", "Standard-2-Layer"}, {"width", "0.2mm"}},
         "6",
         "7.87",
         "6"},
        {"flashkit.ini's profile of a shipped name",
         {"boardcheck_profile=fine-4-layer: spacing 3.5", "BOARDCHECK_PROFILE=fine-4-layer: spacing 9"},
         {{"profile", "fine-4-layer"}},
         "3.5",
         "5",
         "5"},
        {"a profile of its own",
         {"BOARDCHECK_PROFILE=mine: ring 0.1mm, width 2"},
         {{"profile", "mine"}},
         "5",
         "2",
         "3.94"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::create_directories(path("prog"));
        std::vector<std::string> lines(8, "");
        lines.insert(lines.end(), c.ini.begin(), c.ini.end());
        write("prog/flashkit.ini", crlfLines(lines));
        const app::JobContext context{
            .fields = {}, .programDir = text("prog"), .services = {}, .options = c.options};
        const board::Limits limits = board::limitsOf(context);
        const auto mils = [](util::Length l) { return util::shortDecimalText(l.toMilDecimals(2), 2); };
        EXPECT_EQ(mils(limits.spacing) + " " + mils(limits.width) + " " + mils(limits.ring),
                  c.spacing + " " + c.width + " " + c.ring);
    }
    // A profile no line or shipped set names, and one that holds no limit, stop the check with the reason.
    write("prog/flashkit.ini", crlfLines({"", "BOARDCHECK_PROFILE=bad: spacing four"}));
    const auto refusal = [&](const std::string& name) {
        try {
            board::limitsOf(
                {.fields = {}, .programDir = text("prog"), .services = {}, .options = {{"profile", name}}});
        } catch (const app::JobStop& stop) {
            return stop.message;
        }
        return std::string("no refusal");
    };
    EXPECT_EQ(refusal("none"), util::lines({"--profile names none, which is no profile.",
                                            "Expected one of: bad, standard-2-layer, fine-4-layer, "
                                            "milled-prototype. Nothing was checked."}));
    EXPECT_EQ(
        refusal("bad"),
        util::lines({"The profile bad of " + text("prog") +
                         "\\flashkit.ini line 2 holds \"spacing four\", "
                         "which is no limit and length.",
                     "Expected: a limit's name and a length, separated by commas (spacing 4, width 0.1mm). "
                     "Nothing was checked."}));
}

// The limits row's lines: a key's own line replaced (in any case), a new one on the first empty line past the
// fields, an empty text clears; a text that is no length, or a table without room, stores nothing.
TEST(BoardCheckLimits, KeptInTheSettingsTable) {
    app::SettingsTable settings("Z:\\nowhere");
    settings.setLine(9, "kept");
    settings.setLine(12, "boardcheck_web=3");
    EXPECT_FALSE(model::storeLimits(settings, {{"ring", "7.5"}, {"web", ""}, {"clearance", " 0.2mm"}}));
    EXPECT_EQ(settings.line(9), "kept");
    EXPECT_EQ(settings.line(10), "BOARDCHECK_RING=7.5");
    EXPECT_EQ(settings.line(11), "BOARDCHECK_CLEARANCE=0.2mm");
    EXPECT_EQ(settings.line(12), "");
    // The row shows each limit in force: the text kept, else the default greyed.
    std::string row;
    for (const auto& limit : model::limitTexts(settings))
        row += limit.option + "=" + limit.text + "/" + limit.byDefault + " ";
    EXPECT_EQ(row, "registration=/1 ring=7.5/5 web=/8 clearance=0.2mm/8 spacing=/5 width=/5 edge=/10 "
                   "mask-web=/4 silk=/4 ");
    EXPECT_EQ(*model::storeLimits(settings, {{"ring", "8"}, {"web", "-1"}}),
              "The web limit is no length: -1\nExpected: mils (5, 2.5) or millimetres (0.127mm).");
    for (int n = 9; n <= 80; ++n)
        if (settings.line(n).empty())
            settings.setLine(n, "x");
    EXPECT_EQ(*model::storeLimits(settings, {{"web", "8"}}),
              "No line of the settings file is free for the web limit (lines 9 to 80).");
    EXPECT_EQ(model::limitOptions(settings),
              (std::map<std::string, std::string>{{"clearance", "0.2mm"}, {"ring", "7.5"}}));
}

} // namespace
} // namespace fk::test

namespace fk::test {
namespace {

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

// Catches a CAD board's Gerber files picked without their drill file read against the fields' PCB.DFN and NC1
// (another board's apertures and holes), and a board's folder picked in the window not read as the board;
// the picture's verdict counts what was checked.
TEST_F(BoardCheck, TheWindowsTakeABoardsFolderAndRefuseItsGerberAlone) {
    const fs::path rvpc = fs::path(FLASHKIT_SAMPLES) / "boards" / "kicad7-rvpc";
    copyFilesOf(rvpc, path("rvpc"), {"Mask", "Paste", "Silkscreen"}); // its copper, outline and drill files
    app::Fields fields;
    fields.fnamebase = "BOARD", fields.indatapath = fields.dfnpath = text("in");
    model::Session session(text("prog"));
    std::string choice;
    session.fileWindow = [&choice](const app::PickRequest& request) {
        EXPECT_TRUE(request.board);
        return model::PickOutcome{choice, {}};
    };
    const std::string cu = "RVPC_Rev_B-F_Cu.gbr", bottom = "RVPC_Rev_B-B_Cu.gbr";
    for (const std::string& picked : {text("rvpc") + "\\" + cu + " ," + bottom, text("rvpc") + "\\" + cu}) {
        choice = picked;
        EXPECT_EQ(session.press(model::boardCheckButton, fields), app::JobResult::Stopped) << picked;
        EXPECT_EQ(
            session.log().text(),
            util::lines({"Line 33 of the plot defines an aperture of its own, as a CAD tool's Gerber "
                         "file does:",
                         "<" + text("rvpc") + "\\" + cu + ">", "%ADD10R,1.600000X1.600000*%",
                         "Its apertures are not PCB.DFN's, and no drill file is picked with it: pick the "
                         "board's drill file with its Gerber files, or pick its zip or its folder "
                         "(flashkit-cli: --board), and re-try. Nothing was checked."}));
    }
    // Fab Export's own files define PCB.DFN's apertures: checked with the design's PCB.DFN and NC1.
    const fs::path exports = fs::path(FLASHKIT_EXAMPLES) / "fab" / "OUTPUT";
    choice = platform::toPathText(exports) + "\\BOARD.GTL ,BOARD.GBL";
    EXPECT_EQ(session.press(model::boardCheckButton, fields), app::JobResult::Findings)
        << session.log().text();
    // With its drill file, or as its folder, it is a board.
    for (const std::string& picked :
         {text("rvpc") + "\\" + cu + " ," + bottom + " ,RVPC_Rev_B-PTH.drl", text("rvpc") + "\\"}) {
        choice = picked;
        EXPECT_EQ(session.press(model::boardCheckButton, fields), app::JobResult::Completed)
            << session.log().text();
        EXPECT_TRUE(session.log().text().starts_with(
            picked.ends_with('\\') ? "[Reading the board <" + text("rvpc") + ">]\r\n"
                                   : "[Reading the board's files in <" + text("rvpc") + ">]\r\n"));
    }
    EXPECT_EQ(model::verdictOf(session.boardPicture()), "Clean: 3 layers, 109 holes checked");
}

} // namespace
} // namespace fk::test
