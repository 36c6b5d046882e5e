// The drill preview's data: where a machine drills the holes of NC1 to NC5, and each file's marker against
// NC1.
#include "model/drillpreview.hpp"
#include "support.hpp"

namespace fk::test {

using model::Placement;
using model::UnstatedZeros;

namespace {

constexpr util::Length step = util::Length::fromInchDecimals(1, 4);
constexpr util::Length nm(std::int64_t nanometres) {
    return util::Length::fromNanometres(nanometres);
}

// Two tools, a fourth inch decimal that the 2.3 files cut, a negative coordinate and a hole at 10 inches.
const Lines nc1{"M48",
                "INCH",
                "T1C0.0350",
                "T2C0.0520",
                "T1",
                "X+012346Y+005001",
                "X+015000Y-002500",
                "T2",
                "X+100000Y+020000",
                "M30"};

} // namespace

class DrillPreviewTest : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        write("in/B.NC1", crlfLines(nc1));
        fs::create_directories(path("out"));
        ASSERT_EQ(
            cli({"ncdrill", "--input-path", text("in"), "--output-path", text("out"), "--base", "B"}).status,
            0);
    }
    model::DrillPreview load(UnstatedZeros rule = UnstatedZeros::LeadingKept) const {
        app::Fields fields;
        fields.fnamebase = "B";
        fields.indatapath = text("in");
        fields.outdatapath = text("out");
        return model::loadDrillPreview(fields, rule);
    }
};

// A machine reading NC2 and NC4 ("INCH" over 2.3 numbers) with the wrong zeros, or any file by the wrong
// digits, places holes elsewhere than NC1; the preview must show where, and say so.
TEST_F(DrillPreviewTest, HolesWhereTheMachineDrillsThem) {
    struct Case {
        UnstatedZeros rule;
        size_t panel;
        std::vector<std::pair<std::int64_t, std::int64_t>> holes; // in 0.0001 inch
        Placement placement;
        std::string marker;
    };
    const std::vector<std::pair<std::int64_t, std::int64_t>> exact{
        {12346, 5001}, {15000, -2500}, {100000, 20000}};
    const std::vector<std::pair<std::int64_t, std::int64_t>> cut{
        {12340, 5000}, {15000, -2500}, {100000, 20000}};
    const std::vector<std::pair<std::int64_t, std::int64_t>> tenth{{1234, 500}, {1500, -250}, {10000, 2000}};
    const std::string same = "Holes at NC1's places (largest offset 0.0000 inch)";
    const std::string sameCut = "Holes at NC1's places (largest offset 0.0006 inch)";
    const std::string tenX = "Holes 10x off NC1: at 1/10 of NC1's distances from the origin (largest offset "
                             "9.0000 inch, hole 3, line 9)";
    const auto kept = UnstatedZeros::LeadingKept, omitted = UnstatedZeros::LeadingOmitted;
    const std::vector<Case> cases{
        {kept, 0, exact, Placement::Reference, "The holes the other files are compared with"},
        {kept, 1, cut, Placement::AtNc1, sameCut},
        {kept, 2, exact, Placement::AtNc1, same},
        {kept, 3, cut, Placement::AtNc1, sameCut},
        {kept, 4, cut, Placement::AtNc1, sameCut},
        {omitted, 0, exact, Placement::Reference, "The holes the other files are compared with"},
        {omitted, 1, tenth, Placement::Scaled, tenX},
        {omitted, 2, exact, Placement::AtNc1, same},
        {omitted, 3, tenth, Placement::Scaled, tenX},
        {omitted, 4, cut, Placement::AtNc1,
         sameCut}, // its header says LZ: the machine's default is not asked
    };
    const model::DrillPreview kept_ = load(kept), omitted_ = load(omitted);
    for (const auto& c : cases) {
        const model::DrillPanel& p = (c.rule == kept ? kept_ : omitted_).panels.at(c.panel);
        SCOPED_TRACE(p.name + (c.rule == kept ? " leading zeros kept" : " leading zeros omitted"));
        ASSERT_EQ(p.holes.size(), c.holes.size()) << p.problem;
        for (size_t i = 0; i < c.holes.size(); ++i)
            EXPECT_EQ(std::pair(p.holes[i].x, p.holes[i].y),
                      std::pair(c.holes[i].first * step, c.holes[i].second * step));
        EXPECT_EQ(p.placement, c.placement);
        EXPECT_EQ(model::placementText(p), c.marker);
    }
    const model::DrillPanel& nc1Panel = kept_.panels[0];
    EXPECT_EQ(model::toolTexts(nc1Panel), Lines({"T1 0.0350 inch: 2 holes", "T2 0.0520 inch: 1 hole"}));
    EXPECT_EQ(model::extentText(nc1Panel), "X 1.2346 to 10.0000 inch, Y -0.2500 to 2.0000 inch");
    EXPECT_EQ(model::countText(nc1Panel), "3 holes");
    EXPECT_EQ(model::lengthText(nm(-1270), drill::Units::Inch) +
                  model::lengthText(nm(-1271), drill::Units::Inch),
              "0.0000 inch-0.0001 inch");
    EXPECT_EQ(model::formatText(kept_.panels[1], kept),
              "INCH 2.4, zeros not stated: leading zeros kept (Excellon's default): short numbers read from "
              "the left");
    EXPECT_EQ(model::formatText(kept_.panels[4], kept),
              "INCH,LZ 2.4: leading zeros kept, short numbers read from the left");
    // One view for all panels: every hole and the origin.
    EXPECT_EQ(std::tuple(kept_.view.minX, kept_.view.minY, kept_.view.maxX, kept_.view.maxY),
              std::tuple(util::Length(), -2500 * step, 100000 * step, 20000 * step));
}

// A file that is missing, cannot be read, or holds other holes (one just 0.001 inch off) shows that in its
// panel; the preview writes nothing.
TEST_F(DrillPreviewTest, EachPanelSaysWhatIsWrong) {
    // Holes 2 and 3 are both off by the largest offset: the first of them is named.
    write("out/B.NC2",
          crlfLines({"M48", "INCH", "T1", "X+01234Y+00500", "X+01500Y-00251", "T2", "X+10001Y+02000"}));
    write("out/B.NC3", crlfLines({"M48", "INCH", "T1", "X012346Y005001", "X015000Y-002500"}));
    const std::string sixty = "X1.2.5" + std::string(54, '0'); // quoted whole: a panel cuts only longer lines
    write("out/B.NC5", crlfLines({"M48", "INCH,LZ", "T1", "X+01234Y+005", sixty}));
    fs::remove(path("out/B.NC4"));
    const auto before = filesIn({"in", "out"});
    const model::DrillPreview preview = load();
    const std::vector<std::pair<Placement, std::string>> expected{
        {Placement::Reference, "The holes the other files are compared with"},
        {Placement::Moved, "Holes off NC1's places (largest offset 0.0010 inch, hole 2, line 5)"},
        {Placement::OtherCount, "Not NC1's holes: 2 holes where NC1 has 3"},
        {Placement::Unread, "File not found: <" + text("out") + "\\B.NC4>"},
        {Placement::Unread,
         "Line 5 [" + sixty + "] cannot be read. Expected: at most one decimal point in a value."},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(preview.panels[i].placement, expected[i].first) << preview.panels[i].name;
        EXPECT_EQ(model::placementText(preview.panels[i]), expected[i].second);
    }
    EXPECT_TRUE(preview.panels[3].holes.empty());
    EXPECT_EQ(filesIn({"in", "out"}), before);

    // Another kind of file is no drill file; a drill file whose header lists no holes is one, without holes.
    write("out/B.NC2", std::string("\x01\x02random\r\n\xff", 11));
    write("out/B.NC3", crlfLines({"M48", "INCH,TZ", "%", "M30"}));
    // 1/10 of NC1's distances but for a hole 0.001 inch off: moved, not scaled.
    write("out/B.NC4", crlfLines({"M48", "INCH,TZ", "T1", "X01234Y00500", "X01500Y-00260", "X10000Y02000"}));
    const model::DrillPreview empties = load();
    EXPECT_EQ(model::placementText(empties.panels[1]),
              "Not a drill file: it holds no header (M48, INCH or METRIC), no tool and no hole.");
    EXPECT_EQ(empties.panels[1].placement, Placement::Unread);
    EXPECT_EQ(empties.panels[2].problem, "");
    EXPECT_EQ(model::countText(empties.panels[2]), "No holes");
    EXPECT_EQ(empties.panels[3].placement, Placement::Moved);

    fs::remove(path("in/B.NC1"));
    const model::DrillPreview withoutNc1 = load();
    EXPECT_EQ(withoutNc1.panels[0].problem, "File not found: <" + text("in") + "\\B.NC1>");
    EXPECT_EQ(model::placementText(withoutNc1.panels[2]), "No NC1 to compare with");
}

} // namespace fk::test

namespace fk::test {

// Catches: Y drawn downwards, the view's middle off the drawing's middle, the margin or the widest drill left
// out of the scale, or a tiny drill drawn too small to see.
TEST(DrillDrawing, OneScaleMiddleAndYUp) {
    model::DrillPreview preview;
    preview.view = {.minX = nm(0), .minY = nm(0), .maxX = nm(10'000'000), .maxY = nm(5'000'000)};
    preview.panels.push_back({.tools = {{.number = 1, .diameter = nm(1'000'000), .holes = 1}}});
    // 11 mm wide with the widest drill into 224 pixels within the margins; 6 mm high into 276.
    const double scale = model::drawingScale(preview, 224 + 2 * model::drawingMargin, 300);
    EXPECT_DOUBLE_EQ(scale, 224.0 / 11'000'000);
    const auto middle = model::pixelOf(preview, scale, 248, 300, nm(5'000'000), nm(2'500'000));
    EXPECT_DOUBLE_EQ(middle.x, 124);
    EXPECT_DOUBLE_EQ(middle.y, 150);
    const auto corner = model::pixelOf(preview, scale, 248, 300, nm(10'000'000), nm(5'000'000));
    EXPECT_DOUBLE_EQ(corner.x, 124 + 5'000'000 * scale);
    EXPECT_DOUBLE_EQ(corner.y, 150 - 2'500'000 * scale); // up
    EXPECT_DOUBLE_EQ(model::holeRadius(nm(1'000'000), scale), 500'000 * scale);
    EXPECT_DOUBLE_EQ(model::holeRadius(nm(1'000), scale), 2.5);
    EXPECT_DOUBLE_EQ(model::holeRadius(std::nullopt, scale), 3.5);
}

} // namespace fk::test
