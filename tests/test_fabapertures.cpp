// PCB.DFN's apertures and tools for Fab Export: each aperture as its RS-274-X aperture, the shapes no
// aperture can hold refused, and a number given twice.
#include "app/context.hpp"
#include "board/shape.hpp"
#include "fab/model.hpp"
#include "support.hpp"
#include "util/text.hpp"

using namespace fk;
using namespace fk::test;

namespace {

// Catches a shape drawn by the wrong aperture or a size not written exactly in inches, for the cases the
// example's exported bytes (FabExport.ExampleAsInTheReadme) leave out: an oval of equal sizes, and sizes of
// more decimals.
TEST_F(Scratch, ApertureDefinesTheDescribedShape) {
    struct Case {
        std::string dfnLine;
        std::vector<std::string> macro;
        std::string definition;
    } cases[] = {{R"(GRB_AP2 12 70 70 0 FLASH OVAL "ROUND PAD- 70 MILS")", {}, "%ADD12C,0.07*%"},
                 {R"(GRB_AP2 14 62.125 80 0 FLASH RDRECT "ROUNDED RECT PAD- X62.125 Y80")",
                  {"%AMRRECT14*", "0 Rounded rectangle 0.062125 x 0.08, corner radius 0.01553125*",
                   "21,1,0.062125,0.0489375,0,0,0*", "21,1,0.0310625,0.08,0,0,0*",
                   "1,1,0.0310625,0.01553125,0.02446875*", "1,1,0.0310625,-0.01553125,0.02446875*",
                   "1,1,0.0310625,-0.01553125,-0.02446875*", "1,1,0.0310625,0.01553125,-0.02446875*%"},
                  "%ADD14RRECT14*%"}};
    for (const auto& c : cases) {
        write("PCB.DFN", crlfLines({"GRB_DRAWCODE 10", c.dfnLine}));
        const fab::Definitions definitions = fab::readDefinitions(text("PCB.DFN"));
        const int dcode = std::stoi(util::field(c.dfnLine, 2));
        const auto a = fab::gerberAperture(*fab::apertureOf(definitions, dcode), definitions.path);
        EXPECT_EQ(a.macro, c.macro) << c.dfnLine;
        EXPECT_EQ(a.definition, c.definition) << c.dfnLine;
    }
}

// Catches a shape no aperture draws exactly, or a line read wrongly, being written instead of refused.
TEST_F(Scratch, UnrepresentableAperturesAreRefused) {
    struct Case {
        std::string line, why;
    } cases[] = {
        {R"(GRB_AP2 11 60 100 0 FLASH ELLIPSE "ELLIPSE PAD- X60 Y100")", "is an ellipse of unequal sizes"},
        {R"(GRB_AP2 11 60 100 0 DRAW ELLIPSE "ROUND DRAW- 60 MILS")", "is an ellipse of unequal sizes"},
        {R"(GRB_AP2 11  300 0300 280 FLASH ELLIPSE "DONUT PAD-OD0310 ID270")",
         "description's OD or ID differs"},
        {R"(GRB_AP2 11  060 0060 0 FLASH THERMAL "THERMAL-OD060 ID040 SP45 AN45")", "ring or spokes"},
        {R"(GRB_AP2 11  060 0060 0 FLASH THERMAL "THERMAL-OD060 ID060 SP15 AN45")", "ring or spokes"},
        {R"(GRB_AP2 11  060 0060 0 FLASH THERMAL "THERMAL-OD070 ID040 SP15 AN45")", "OD differs"},
        {R"(GRB_AP2 11  060 0060 0 FLASH THERMAL "THERMAL-OD060 SP15")", "gives no OD, ID, SP and AN"},
        {R"(GRB_AP2 11 60 60 40 FLASH SQRECT "SQUARE PAD- 60 MILS")", "has a hole"},
        {R"(GRB_AP2 11 60 60 0 FLASH STAR "STAR- 60 MILS")", "is of a kind no Gerber aperture"},
        {R"(GRB_AP2 11 0 0 0 FLASH ELLIPSE "ROUND PAD- 0 MILS")", "has no size"},
        {R"(GRB_AP2 11 60.0625 60.0625 0 FLASH ELLIPSE "ROUND PAD- 60.0625 MILS")", "is no aperture line"},
        {R"(GRB_AP2 11 60 60 0 FLASH ELLIPSE)", "is no aperture line"},
        {R"(GRB_AP2 11 60 60 0 FLASH ELLIPSE "ROUND PAD- 60 MILS)", "is no aperture line"},
        {R"(GRB_AP2 11 60 60 60 FLASH ELLIPSE "DONUT PAD")", "is a donut whose hole is as large as the pad"},
        {R"(GRB_AP2 11 100 120 0 FLASH TARGET "TARGET- 100 MILS")", "is an ellipse of unequal sizes"},
        {R"(GRB_AP2 11 125 130 0 FLASH MTHOLE "MOUNTING HOLE- 125 MILS")", "is an ellipse of unequal sizes"},
        {R"(GRB_AP2 11 -60 60 0 FLASH ELLIPSE "ROUND PAD- 60 MILS")", "is no aperture line"},
        {R"(GRB_AP2 11 60 60 +0 FLASH ELLIPSE "ROUND PAD- 60 MILS")", "is no aperture line"},
        {"CAM_TOOL 11 0", "is no tool line"},
        {"CAM_TOOL 11 -28", "is no tool line"},
    };
    for (const auto& c : cases) {
        write("PCB.DFN", crlfLines({"GRB_DRAWCODE 10", c.line}));
        const fab::Definitions definitions = fab::readDefinitions(text("PCB.DFN"));
        try {
            if (c.line.starts_with("CAM_TOOL"))
                (void)fab::toolOf(definitions, 11);
            else
                (void)fab::gerberAperture(*fab::apertureOf(definitions, 11), definitions.path);
            ADD_FAILURE() << "accepted: " << c.line;
        } catch (const app::JobStop& stop) {
            EXPECT_EQ(stop.message.rfind("PCB.DFN line 2 ", 0), 0u) << stop.message;
            EXPECT_NE(stop.message.find(c.why), std::string::npos) << stop.message;
            EXPECT_NE(stop.message.find(c.line), std::string::npos) << stop.message;
        }
        // The board check draws with the same rule: what Fab Export refuses, it refuses for the same reason.
        if (c.line.starts_with("CAM_TOOL") || c.why == "is no aperture line")
            continue;
        try {
            (void)board::shapeOf(*fab::apertureOf(definitions, 11), definitions.path);
            ADD_FAILURE() << "drawn by the board check: " << c.line;
        } catch (const app::JobStop& stop) {
            EXPECT_NE(stop.message.find(c.why), std::string::npos) << stop.message;
            EXPECT_TRUE(stop.message.ends_with(c.line + "\r\nCorrect PCB.DFN and re-try.")) << stop.message;
        }
    }
    write("PCB.DFN", crlfLines({R"(GRB_AP2 0000011 60 60 0 FLASH ELLIPSE "ROUND PAD- 60 MILS")"}));
    EXPECT_FALSE(fab::apertureOf(fab::readDefinitions(text("PCB.DFN")), 11)); // a D number has 1 to 6 digits
}

// One number given twice: the same words with other trailing blanks are one line; other words are refused,
// naming the later line.
TEST_F(Scratch, ApertureAndToolLinesGivenTwice) {
    const std::string pad = R"(GRB_AP2 11 60 60 0 FLASH ELLIPSE "ROUND PAD- 60 MILS")",
                      tool = "CAM_TOOL 11 28";
    struct Case {
        std::string first, second, refusal;
    } cases[] = {
        {pad, pad + "   ", ""},
        {pad, R"(GRB_AP2 11 62 62 0 FLASH ELLIPSE "ROUND PAD- 62 MILS")",
         "defines D11 again, unlike line 2:"},
        {tool, tool + "  ", ""},
        {tool, "CAM_TOOL 11 29", "defines tool 11 again, unlike line 2:"},
    };
    for (const auto& c : cases) {
        write("PCB.DFN", crlfLines({"GRB_DRAWCODE 10", c.first, c.second}));
        const fab::Definitions definitions = fab::readDefinitions(text("PCB.DFN"));
        try {
            if (c.first == tool)
                EXPECT_EQ(fab::toolOf(definitions, 11)->line, 2);
            else
                EXPECT_EQ(fab::apertureOf(definitions, 11)->line, 2);
            EXPECT_EQ(c.refusal, "") << c.second;
        } catch (const app::JobStop& stop) {
            EXPECT_EQ(stop.message + "\r\n",
                      crlfLines({"PCB.DFN line 3 " + c.refusal, "<" + text("PCB.DFN") + ">", c.second,
                                 "No file was written; correct PCB.DFN and re-try."}));
            EXPECT_NE(c.refusal, "") << c.second;
        }
    }
}

} // namespace
