// The board picture's model around the new findings: a segment drawn from one end to the other with its
// label, the view that shows it whole, the findings filtered by kind, and the limits row built from the
// table.
#include "boardcheck/boardcheck.hpp"
#include "model/checklimits.hpp"
#include "model/picturewindow.hpp"

#include <gtest/gtest.h>

namespace fk::test {
namespace {

using boardcheck::Kind;
using boardcheck::mils;
using util::Length;

boardcheck::Finding segmentFinding(Kind kind, int x1, int y1, int x2, int y2, Length measured) {
    return {.kind = kind,
            .plot = "TOP.GBR",
            .at = {mils((x1 + x2) / 2), mils((y1 + y2) / 2)},
            .measured = measured,
            .limit = mils(5),
            .message = "gap",
            .from = board::Point{mils(x1), mils(y1)},
            .to = board::Point{mils(x2), mils(y2)}};
}

// A ring at a hole, two gaps, a width, a short whose ends meet, and the drill file's reading.
boardcheck::Checked checkedBoard() {
    boardcheck::Checked checked;
    checked.board.holes.push_back({.at = {mils(100), mils(100)}, .diameter = mils(40)});
    checked.findings = {
        {.kind = Kind::Ring, .plot = "TOP.GBR", .at = {mils(100), mils(100)}, .measured = mils(3)},
        segmentFinding(Kind::Spacing, 200, 100, 203, 104, Length::fromMilDecimals(500, 2)),
        segmentFinding(Kind::Width, 400, 0, 400, 4, Length::fromMilDecimals(401, 2)),
        segmentFinding(Kind::Spacing, 600, 300, 630, 340, Length::fromMilDecimals(5000, 2)),
        {.kind = Kind::NetShort,
         .plot = "TOP.GBR",
         .at = {mils(50), mils(50)},
         .from = board::Point{mils(50), mils(50)},
         .to = board::Point{mils(50), mils(50)}},
        {.kind = Kind::DrillReading, .plot = "BOARD.DRL", .message = "read as ..."}};
    checked.lines = {"Checked: holes on 2 layers, spacing and width on 2", "Not checked: the board's edge"};
    return checked;
}

// Each finding as the picture draws it: a segment from end to end labelled with its kind and measure where
// both ends are known and apart, else a ring at its place (at the hole's size where one is there).
TEST(PictureFindings, SegmentsFromEndToEndRingsElsewhere) {
    const model::BoardPicture picture = model::pictureOf(checkedBoard());
    struct Case {
        bool segment;
        int x1, y1, x2, y2;
        std::string label;
        int diameter;
    } cases[] = {
        {false, 0, 0, 0, 0, "", 40}, // the ring round its hole
        {true, 200, 100, 203, 104, "spacing 5.00 mil", 0},
        {true, 400, 0, 400, 4, "width 4.01 mil", 0},
        {true, 600, 300, 630, 340, "spacing 50.00 mil", 0},
        {false, 0, 0, 0, 0, "", 0}, // copper of two nets touching: a point, ringed
        {false, 0, 0, 0, 0, "", 0},
    };
    ASSERT_EQ(picture.findings.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& f = picture.findings[i];
        const Case& c = cases[i];
        EXPECT_EQ(f.segment, c.segment) << i;
        EXPECT_EQ(f.label, c.label) << i;
        EXPECT_EQ(f.diameter, mils(c.diameter)) << i;
        if (c.segment) {
            EXPECT_EQ(std::vector({f.x1, f.y1, f.x2, f.y2}),
                      std::vector({mils(c.x1), mils(c.y1), mils(c.x2), mils(c.y2)}))
                << i;
        }
    }
    EXPECT_EQ(picture.findings[1].kind, Kind::Spacing);
    EXPECT_FALSE(picture.findings[5].placed);
    EXPECT_EQ(picture.checked, checkedBoard().lines);
}

// A segment clicked: its middle in the middle, four times its length across the drawing's height (50 mil at
// least); its label right of its right end, or left of its left end where the drawing ends.
TEST(PictureFindings, ClickedSegmentShowsWholeWithItsLabel) {
    const model::BoardPicture picture = model::pictureOf(checkedBoard());
    model::PictureView view;
    view.resize(1000, 500);
    ASSERT_TRUE(view.showFinding(picture.findings[3])); // 50 mil long: 200 mil across
    EXPECT_DOUBLE_EQ(view.pixelsPerMil(), 2.5);
    EXPECT_EQ(view.pointerText(500, 250), "X 0.6150 in Y 0.3200 in (15.621 mm, 8.128 mm)");
    const model::Pixel from = view.pixelOf(mils(600), mils(300)), to = view.pixelOf(mils(630), mils(340));
    EXPECT_DOUBLE_EQ(from.x, 462.5);
    EXPECT_DOUBLE_EQ(to.y, 200);
    ASSERT_TRUE(view.showFinding(picture.findings[1])); // 5 mil long: 50 mil across, not 20
    EXPECT_DOUBLE_EQ(view.pixelsPerMil(), 10);
    EXPECT_EQ(view.pointerText(500, 250), "X 0.2015 in Y 0.1020 in (5.118 mm, 2.591 mm)");
    // Ends at x 485 and 515, y 270 and 230: the label 100 x 20 right of 515, level with 250.
    const model::Pixel right = view.labelCorner(picture.findings[1], 100, 20);
    EXPECT_DOUBLE_EQ(right.x, 515 + 8);
    EXPECT_DOUBLE_EQ(right.y, 240);
    const model::Pixel left = view.labelCorner(picture.findings[1], 478, 20); // 523 + 478 would pass 1000
    EXPECT_DOUBLE_EQ(left.x, 485 - 8 - 478);
    EXPECT_DOUBLE_EQ(view.labelCorner(picture.findings[1], 477, 20).x, 523);
    // A ring's finding keeps its quarter inch.
    ASSERT_TRUE(view.showFinding(picture.findings[0]));
    EXPECT_DOUBLE_EQ(view.pixelsPerMil(), 2);
}

// The filter: "All kinds", then each kind found with its count in the kinds' order; one chosen lists and
// marks only its findings, in columns of their own; the verdict still counts the whole board; checked again,
// the kind stays where it is still found.
TEST(PictureFindings, FilteredByKind) {
    model::BoardPicture picture = model::pictureOf(checkedBoard());
    std::vector<std::string> texts;
    for (const auto& choice : model::kindChoices(picture))
        texts.push_back(choice.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"All kinds", "ring (1)", "drill-reading (1)", "net-short (1)",
                                               "spacing (2)", "width (1)"}));
    EXPECT_EQ(model::shownFindings(picture), (std::vector<size_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(model::kindChoiceOf(picture), 0);
    picture.only = model::kindChoices(picture)[4].kind;
    EXPECT_EQ(model::kindChoiceOf(picture), 4);
    EXPECT_EQ(model::shownFindings(picture), (std::vector<size_t>{1, 3}));
    EXPECT_FALSE(model::isShown(picture, picture.findings[2]));
    const auto rows = model::findingRows(picture);
    ASSERT_EQ(rows.size(), 2u);
    // In columns of the rows shown: the kind's column as wide as "spacing", not "drill-reading".
    EXPECT_EQ(rows[0], "spacing  TOP.GBR  X 0.2010 Y 0.1020 in (X 5.105 Y 2.591 mm)   5.00 mil (0.127 mm), "
                       "limit 5.00 mil (0.127 mm)   gap");
    EXPECT_EQ(model::verdictOf(picture), "6 findings");

    model::BoardPicture again = model::pictureOf(checkedBoard());
    model::keepChoices(picture, again);
    EXPECT_EQ(again.only, Kind::Spacing);
    boardcheck::Checked clean = checkedBoard();
    clean.findings.erase(clean.findings.begin() + 1, clean.findings.begin() + 4);
    model::BoardPicture fewer = model::pictureOf(clean);
    model::keepChoices(picture, fewer);
    EXPECT_EQ(fewer.only, std::nullopt);
    EXPECT_EQ(model::findingRows({.problem = "The board could not be read; the log says why."}),
              std::vector<std::string>{"The board could not be read; the log says why."});
}

// The limits row from the table: a caption each in its order with its default; every Alt letter of the
// window reaches one control.
TEST(LimitsRow, FromTheTable) {
    const auto texts = model::limitTexts(app::SettingsTable("Z:\\nowhere"));
    ASSERT_EQ(texts.size(), board::limitCount);
    std::string row;
    for (const auto& t : texts)
        row += t.caption + "=" + t.byDefault + " ";
    EXPECT_EQ(row, "&Registration=1 Ri&ng=5 &Web=8 &Clearance=8 &Spacing=5 W&idth=5 &Edge=10 &Mask web=4 "
                   "Le&gend=4 ");
    EXPECT_EQ(model::sharedAltLetters(model::pictureCaptions()), "");
    EXPECT_EQ(model::sharedAltLetters({"&Ring", "Re&gistration", "&registration", "Le&gend", "&Web", "R&ing",
                                       "W&idth", "no letter", "&R"}),
              "rgi");
}

// A profile chosen in the row: each limit it names takes its text as written, one it leaves out keeps what
// the field holds; flashkit.ini's profile over the shipped one of its name; a bad line or an unknown name
// leaves every text as it was and says why.
TEST(LimitsRow, ProfileFillsTheFields) {
    app::SettingsTable settings("Z:\\prog");
    settings.setLine(20, "BOARDCHECK_PROFILE=mine: ring 0.1mm, spacing 3.5");
    settings.setLine(21, "boardcheck_profile=fine-4-layer: width 2");
    settings.setLine(22, "BOARDCHECK_PROFILE=bad: edge ten");
    EXPECT_EQ(
        model::limitProfiles(settings),
        (std::vector<std::string>{"mine", "fine-4-layer", "bad", "standard-2-layer", "milled-prototype"}));
    const auto fill = [&](std::string_view name) {
        std::vector<model::LimitText> texts = model::limitTexts(settings);
        texts[0].text = "2", texts[5].text = "7";
        const auto problem = model::applyProfile(settings, name, texts);
        std::string row;
        for (const auto& t : texts)
            row += t.option + "=" + t.text + " ";
        return problem ? *problem : row;
    };
    const struct {
        const char* name;
        std::string row;
    } cases[] = {
        {"mine", "registration=2 ring=0.1mm web= clearance= spacing=3.5 width=7 edge= mask-web= silk= "},
        {"fine-4-layer", "registration=2 ring= web= clearance= spacing= width=2 edge= mask-web= silk= "},
        {"Standard-2-Layer",
         "registration=1 ring=6 web=10 clearance=10 spacing=6 width=6 edge=12 mask-web=4 silk=5 "},
        {"bad",
         "The profile bad of Z:\\prog\\flashkit.ini line 22 holds \"edge ten\", which is no limit and "
         "length.\r\nExpected: a limit's name and a length, separated by commas (spacing 4, width 0.1mm). "
         "Nothing was checked."},
        {"none", "No profile is named none."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fill(c.name), c.row) << c.name;
}

// Fields on as many lines as the width needs, filled evenly.
TEST(LimitsRow, FieldsPerLine) {
    struct Case {
        int count, each, width, perLine;
    } cases[] = {
        {9, 146, 1314, 9}, {9, 146, 1313, 5}, {9, 146, 736, 5}, {9, 146, 730, 5}, {9, 146, 729, 3},
        {9, 146, 500, 3},  {9, 146, 100, 1},  {9, 146, 0, 1},   {4, 100, 350, 2}, {1, 100, 50, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(model::fieldsPerLine(c.count, c.each, c.width), c.perLine) << c.count << " " << c.width;
}

} // namespace
} // namespace fk::test
