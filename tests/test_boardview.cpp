// The board picture's model after Board Check, and boards picked in the file window: layers, holes and
// findings of the example, the view's arithmetic, and the refusal of a CAD board's Gerber files alone.
#include "boardcheck/grid.hpp"
#include "boardexample.hpp"
#include "model/boardpicture.hpp"
#include "model/session.hpp"
#include "util/text.hpp"

namespace fk::test {
namespace {

using boardcheck::mils;

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
