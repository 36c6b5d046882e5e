// The Gerber reader of the board model: every construct as copper at probe points (in or out), and every
// construct it cannot read exactly refused with its line and what was found.
#include "app/context.hpp"
#include "board/image.hpp"
#include "boardcheck/copperlayer.hpp"
#include "files.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <tuple>

namespace fk::board {
namespace {

Point inch(double x, double y) {
    return {Length::fromCount(std::llround(x * double(Length::perInch))),
            Length::fromCount(std::llround(y * double(Length::perInch)))};
}

// Copper at a point as the board house sees it: the last object in file order that holds it decides.
bool copperAt(const boardcheck::CopperLayer& copper, Point p) {
    return copper.pieceAt({double(p.x.count()), double(p.y.count())}).has_value();
}

const std::string inchHead = "%FSLAX26Y26*%\n%MOIN*%\n";

struct Probe {
    double x, y;
    bool copper;
};

struct Case {
    const char* what; // the construct, and the fault a wrong reading of it shows
    std::string text;
    std::vector<Probe> probes;
};

TEST(BoardGerber, EveryConstructPutsCopperWhereItDraws) {
    const Case cases[] = {
        {"round flash: its radius, not its diameter",
         inchHead + "%ADD10C,0.1*%\nD10*\nX1000000Y1000000D03*\nM02*\n",
         {{1, 1, true}, {1.049, 1, true}, {1.051, 1, false}}},
        {"rectangle with a hole: the hole is open, the corners are copper",
         inchHead + "%ADD11R,0.2X0.1X0.05*%\nD11*\nX1000000Y1000000D03*\nM02*\n",
         {{1, 1, false}, {1.09, 1.04, true}, {1, 1.06, false}, {1.11, 1, false}}},
        {"obround: rounded ends, no corners",
         inchHead + "%ADD12O,0.2X0.1*%\nD12*\nX1000000Y1000000D03*\nM02*\n",
         {{1.099, 1, true}, {1.095, 1.045, false}, {1.05, 1.049, true}}},
        {"regular polygon: first vertex on +X, turned by its rotation",
         inchHead + "%ADD13P,0.2X4*%\n%ADD14P,0.2X4X45*%\nD13*\nX1000000Y1000000D03*\nD14*"
                    "\nX2000000Y1000000D03*\nM02*\n",
         {{1.098, 1, true}, {1.06, 1.06, false}, {2.06, 1.06, true}, {2.098, 1, false}}},
        {"macro: variables, arithmetic (x as multiply, before + and -), exposure off removes within the "
         "aperture",
         inchHead + "%AMDONUT*\n$3=0.1+$1x0.5-0.1*\n1,1,$1,0,0*\n1,0,$3,0,0*%\n%ADD15DONUT,0.2*%\n"
                    "%ADD10C,0.5*%\nD10*\nX3000000Y1000000D03*\nD15*\nX1000000Y1000000D03*\nM02*\n",
         {{1, 1, false}, {1.04, 1, false}, {1.055, 1, true}, {1.11, 1, false}, {3, 1, true}}},
        {"macro primitives 20, 21, 4 and 5 with a rotation",
         inchHead + "%AMSHAPES*\n20,1,0.02,0,0,0.2,0,90*\n21,1,0.1,0.04,0.5,0,0*\n"
                    "4,1,3,1,0,1.1,0,1,0.1,1,0,0*\n5,1,6,2,0,0.2,0*%\n%ADD16SHAPES*%\nD16*\nX0Y0D03*\nM02*\n",
         {{0, 0.15, true},
          {0.15, 0, false},
          {0.54, 0.015, true},
          {0.5, 0.03, false},
          {1.02, 0.02, true},
          {1.08, 0.08, false},
          {2.09, 0, true},
          {2.0, 0.095, false}}},
        {"thermal primitive: ring cut by two gaps",
         inchHead + "%AMTH*\n7,0,0,0.1,0.06,0.02,0*%\n%ADD17TH*%\nD17*\nX0Y0D03*\nM02*\n",
         {{0.04, 0.0, false}, {0.03, 0.03, true}, {0, 0, false}, {0.06, 0, false}}},
        {"linear draw, and coordinates without a D code repeat D01",
         inchHead + "%ADD10C,0.02*%\nD10*\nX0Y0D02*\nX1000000Y0D01*\nY1000000*\nM02*\n",
         {{0.5, 0.009, true}, {0.5, 0.011, false}, {1.009, 0.5, true}, {0.5, 0.5, false}}},
        {"a draw starts where the move before it went; an axis the move leaves out stays",
         inchHead + "%ADD10C,0.02*%\nD10*\nX0Y0D02*\nX1000000Y0D01*\nX0Y500000D02*\nX500000D01*\nM02*\n",
         {{0.25, 0.5, true}, {0.5, 0.5, true}, {0.55, 0.5, false}, {0.75, 0.25, false}}},
        {"rectangle dragged along a line: corners kept",
         inchHead + "%ADD18R,0.1X0.02*%\nD18*\nX0Y0D02*\nX1000000Y0D01*\nM02*\n",
         {{-0.049, 0.009, true}, {1.049, -0.009, true}, {1.051, 0, false}}},
        {"counter-clockwise quarter arc, multi quadrant (G75): centre from I and J",
         inchHead + "%ADD10C,0.01*%\nD10*\nG75*\nX1000000Y0D02*\nG03*\nX0Y1000000I-1000000J0D01*\nM02*\n",
         {{0.7071, 0.7071, true}, {-0.7071, 0.7071, false}, {0.5, 0.5, false}}},
        {"clockwise arc, single quadrant (G74): unsigned offsets, the centre that fits",
         inchHead + "%ADD10C,0.01*%\nD10*\nG74*\nX0Y1000000D02*\nG02*\nX1000000Y0I0J1000000D01*\nM02*\n",
         {{0.7071, 0.7071, true}, {0.2929, 0.2929, false}}},
        {"full circle: start and end one point under G75",
         inchHead + "%ADD10C,0.01*%\nD10*\nG75*\nX1000000Y0D02*\nG02*\nX1000000Y0I-1000000J0D01*\nM02*\n",
         {{-1, 0, true}, {0, -1, true}, {0, 1, true}, {0, 0, false}}},
        {"region with an arc edge",
         inchHead + "G36*\nX0Y0D02*\nG01*\nX1000000Y0D01*\nG75*\nG03*\nX0Y1000000I-1000000J0D01*\nG01*\n"
                    "X0Y0D01*\nG37*\nM02*\n",
         {{0.69, 0.69, true}, {0.72, 0.72, false}, {0.1, 0.1, true}}},
        {"region drawn with cut lines into its holes",
         inchHead +
             "G36*\nX0Y0D02*\nG01*\nX400000Y0D01*\nX400000Y100000D01*\nX300000Y100000D01*\n"
             "X300000Y300000D01*\nX500000Y300000D01*\nX500000Y100000D01*\nX400000Y100000D01*\n"
             "X400000Y0D01*\nX1000000Y0D01*\nX1000000Y1000000D01*\nX0Y1000000D01*\nX0Y0D01*\nG37*\nM02*\n",
         {{0.4, 0.2, false}, {0.4, 0.05, true}, {0.8, 0.8, true}}},
        {"clear polarity removes what lies below, dark after it draws again",
         inchHead + "%ADD10C,0.5*%\n%ADD11C,0.2*%\n%ADD12C,0.05*%\nD10*\nX0Y0D03*\n%LPC*%\nD11*\nX0Y0D03*\n"
                    "%LPD*%\nD12*\nX0Y0D03*\nM02*\n",
         {{0, 0, true}, {0.05, 0, false}, {0.2, 0, true}}},
        {"step and repeat: every copy at its offset, the first in place",
         inchHead + "%ADD10C,0.02*%\n%SRX2Y3I1.0J0.5*%\nD10*\nX0Y0D03*\n%SR*%\nM02*\n",
         {{0, 0, true}, {1, 0, true}, {1, 1, true}, {0, 1, true}, {2, 0, false}, {0, 1.5, false}}},
        {"block aperture: flashed twice, its own clear part inside",
         inchHead + "%ADD10C,0.2*%\n%ADD11C,0.1*%\n%ABD20*%\nD10*\nX0Y0D03*\n%LPC*%\nD11*\nX0Y0D03*\n%LPD*%\n"
                    "%AB*%\nD20*\nX1000000Y0D03*\nX2000000Y0D03*\nM02*\n",
         {{1, 0, false}, {1.08, 0, true}, {2.08, 0, true}, {0.08, 0, false}}},
        {"flash at the current point (D03 alone), as Altium writes",
         inchHead + "%ADD10C,0.1*%\nD10*\nX1000000Y1000000D02*\nD03*\nM02*\n",
         {{1, 1, true}, {0, 0, false}}},
        {"deprecated forms: G70 units, G54 selection, %OF offset, unchanged %MI, %SF, %IN, %LN",
         "G70*\n%OFA0.5B0*%\n%MIA0B0*%\n%SFA1B1*%\n%INboard*%\n%LNtop*%\n%FSLAX24Y24*%\n%ADD10C,0.1*%\n"
         "G54D10*\nX10000Y10000D03*\nM02*\n",
         {{1.5, 1, true}, {1, 1, false}}},
        {"trailing zeros omitted (T): digits from the left",
         "%FSTAX24Y24*%\n%MOIN*%\n%ADD10C,0.02*%\nD10*\nX1Y05D03*\nM02*\n",
         {{10, 5, true}, {0.0001, 0.00005, false}}},
        {"millimetres: G71 and %MOMM",
         "%FSLAX46Y46*%\n%MOMM*%\n%ADD10C,2.54*%\nD10*\nX25400000Y0D03*\nM02*\n",
         {{1.049, 0, true}, {1.051, 0, false}}},
        {"a draw of no length is a dot",
         inchHead + "%ADD10C,0.1*%\nD10*\nX0Y0D02*\nX0Y0D01*\nM02*\n",
         {{0.049, 0, true}, {0.051, 0, false}}},
        {"a UTF-8 mark before the first command",
         "\xEF\xBB\xBF" + inchHead + "%ADD10C,0.1*%\nD10*\nX0Y0D03*\nM02*\n",
         {{0, 0, true}}},
        {"mirrored image (%MIA1B0): X negated, the shape with it",
         inchHead + "%MIA1B0*%\n%ADD10R,0.2X0.1*%\n%ADD11R,0.1X0.02*%\nD10*\nX1000000Y0D03*\nD11*\nX0Y0D02*\n"
                    "X1000000Y1000000D01*\nM02*\n",
         {{-1.09, 0.04, true}, {1, 0, false}, {-1, 0.06, false}, {-0.5, 0.5, true}, {0.5, 0.5, false}}},
        {"image turned a quarter (%IR90): counter-clockwise about the origin",
         inchHead + "%IR90*%\n%ADD10R,0.2X0.1*%\nD10*\nX1000000Y0D03*\nM02*\n",
         {{0.04, 1.09, true}, {0.06, 1, false}, {1, 0, false}}},
        {"negative image: copper everywhere but where it draws",
         "%IPNEG*%\n" + inchHead + "%ADD10C,0.1*%\nD10*\nX0Y0D03*\nM02*\n",
         {{0, 0, false}, {0.2, 0, true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BoardLayer layer{.role = {.layer = Layer::TopCopper}, .image = {}};
        try {
            layer.image = readGerber("Z:\\T.GBR", c.text);
        } catch (const app::JobStop& stop) {
            ADD_FAILURE() << stop.message;
            continue;
        }
        layer.plane = layer.image.negative;
        const boardcheck::CopperLayer copper(layer,
                                             layer.image.extent.grown(Length::fromCount(Length::perInch)));
        for (const auto& p : c.probes)
            EXPECT_EQ(copperAt(copper, inch(p.x, p.y)), p.copper) << "at " << p.x << ", " << p.y;
    }
}

// Catches: a clear shape reaching past a plane's frame taken as standing inside it (the part beyond the
// frame would become copper), and one inside it not taken out.
TEST(BoardGerber, ClearShapesAtThePlanesFrame) {
    BoardLayer layer{.role = {.layer = Layer::TopCopper}, .image = {}, .plane = true};
    layer.image = readGerber("Z:\\P.GBR", "%IPNEG*%\n" + inchHead +
                                              "%ADD10C,0.1*%\nD10*\nX0Y0D03*\nX0Y500000D03*\nX500000Y0D03*\n"
                                              "X-500000Y0D03*\nX0Y-500000D03*\nM02*\n");
    // The frame's edges run through the four outer flashes.
    const boardcheck::CopperLayer copper(
        layer, board::Box{inch(-0.5, -0.5).x, inch(-0.5, -0.5).y, inch(0.5, 0.5).x, inch(0.5, 0.5).y});
    for (const auto& [x, y, held] : {std::tuple{0.0, 0.0, false},
                                     {0.06, 0.0, true},
                                     {0.0, 0.47, false},
                                     {0.0, 0.52, false},
                                     {0.0, 0.4, true},
                                     {0.52, 0.0, false},
                                     {-0.52, 0.0, false},
                                     {0.0, -0.52, false},
                                     {0.3, 0.3, true}})
        EXPECT_EQ(copperAt(copper, inch(x, y)), held) << "at " << x << ", " << y;
}

TEST(BoardGerber, ApertureFunctionsAndFileFunction) {
    const Image image =
        readGerber("Z:\\F.GBR", "%TF.FileFunction,Copper,L1,Top*%\n%TF.FilePolarity,Positive*%\n" + inchHead +
                                    "%TA.AperFunction,ComponentPad*%\n%ADD10C,0.06*%\n"
                                    "%TA.AperFunction,ViaPad*%\n%ADD11C,0.03*%\n%TD*%\n"
                                    "%ADD12C,0.01*%\nD10*\nX0Y0D03*\nD11*\nX1000000Y0D03*\n"
                                    "D12*\nX0Y0D02*\nX1000000Y0D01*\nM02*\n");
    EXPECT_EQ(image.function, "Copper,L1,Top");
    EXPECT_FALSE(image.negative);
    ASSERT_EQ(image.objects.size(), 3u);
    EXPECT_EQ(image.objects[0].function, PadFunction::ComponentPad);
    EXPECT_EQ(image.objects[1].function, PadFunction::ViaPad);
    EXPECT_EQ(image.objects[2].function, PadFunction::None);
    EXPECT_EQ(image.objects[2].line, 17);
    EXPECT_TRUE(image.objects[0].flash);
    EXPECT_FALSE(image.objects[2].flash);
}

TEST(BoardGerber, CoordinatesAreExact) {
    // 4.6 millimetres: 0.000001 mm steps are whole counts; 2.7 inches likewise.
    const Image mm =
        readGerber("Z:\\M.GBR", "%FSLAX46Y46*%\n%MOMM*%\n%ADD10C,0.1*%\nD10*\nX1234567Y-7654321D03*\nM02*\n");
    EXPECT_EQ(mm.objects.at(0).from.x, Length::fromMillimetreDecimals(1234567, 6));
    EXPECT_EQ(mm.objects.at(0).from.y, Length::fromMillimetreDecimals(-7654321, 6));
    const Image in =
        readGerber("Z:\\I.GBR", "%FSLAX27Y27*%\n%MOIN*%\n%ADD10C,0.1*%\nD10*\nX12345678Y1D03*\nM02*\n");
    EXPECT_EQ(in.objects.at(0).from.x, Length::fromInchDecimals(12345678, 7));
    EXPECT_EQ(in.objects.at(0).from.y, Length::fromInchDecimals(1, 7));
    EXPECT_EQ(in.objects.at(0).radius, Length::fromInchDecimals(5, 2));
}

TEST(BoardGerber, WhatItCannotReadStopsWithLineAndFinding) {
    struct Refusal {
        const char* what;
        std::string text;
        std::string line; // the message's first line
        std::string found;
    };
    const Refusal refusals[] = {
        {"a truncated file", inchHead + "%ADD10C,0.1*%\nD10*\nX0Y0D03*\n", "Line 5 of",
         "found the end of the file, expected M02* at the end of the file"},
        {"incremental coordinates", inchHead + "G91*\nM02*\n", "Line 3 of",
         "found G91, expected absolute coordinates (G90): incremental ones (G91) are not read"},
        {"incremental format", "%FSLIX26Y26*%\nM02*\n", "Line 1 of",
         "found %FSLIX26Y26%, expected absolute coordinates (A): incremental ones (I) are not read"},
        {"a scaled image", inchHead + "%SFA2B2*%\nM02*\n", "Line 3 of",
         "found %SFA2B2%, expected %SFA1B1%: a scaled image is not read"},
        {"an undefined aperture", inchHead + "%ADD10C,0.1*%\nD11*\nM02*\n", "Line 4 of",
         "found D11, expected an aperture defined by %ADD11...% before it is selected"},
        {"an unknown G code", inchHead + "G12*\nM02*\n", "Line 3 of",
         "found G12, expected a G code of the format (G01, G02, G03, G36, G37, G74, G75, G04)"},
        {"an arc drawn with a rectangle",
         inchHead + "%ADD10R,0.1X0.1*%\nD10*\nG75*\nG03*\nX0Y0D02*\nX1Y1I1J0D01*\nM02*\n", "Line 8 of",
         "found X1Y1I1J0D01, expected an arc drawn with a round aperture"},
        {"a coordinate longer than its format", inchHead + "%ADD10C,0.1*%\nD10*\nX123456789Y0D03*\nM02*\n",
         "Line 5 of", "found X123456789Y0D03, expected coordinates of at most 8 digits (format 2.6)"},
        {"a flash inside a region", inchHead + "G36*\nX0Y0D03*\nG37*\nM02*\n", "Line 4 of",
         "found X0Y0D03, expected no flash inside a region (G36 to G37)"},
        {"a macro dividing by zero", inchHead + "%AMBAD*\n1,1,$1/0,0,0*%\n%ADD10BAD,1*%\nM02*\n", "Line 4 of",
         "found an aperture macro, expected a divisor other than 0 in '$1/0'"},
        {"an unknown polarity", inchHead + "%LPX*%\nM02*\n", "Line 3 of",
         "found %LPX%, expected %LPD% or %LPC%"},
        {"a coordinate before the format", "%MOIN*%\n%ADD10C,0.1*%\nD10*\nX0Y0D03*\nM02*\n", "Line 4 of",
         "found X0Y0D03, expected the coordinate format (%FS...%) before the first coordinate"},
        {"a size before the unit", "%FSLAX26Y26*%\n%ADD10C,0.1*%\nM02*\n", "Line 2 of",
         "found a size before the unit, expected %MOIN% or %MOMM% (or G70/G71) before the first size"},
        {"a region left open", inchHead + "G36*\nX0Y0D02*\nM02*\n", "Line 5 of",
         "found M02, expected G37 closing the region before the end"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.what);
        try {
            readGerber("Z:\\W\\BOARD.GTL", r.text);
            ADD_FAILURE() << "read";
        } catch (const app::JobStop& stop) {
            EXPECT_EQ(stop.message,
                      r.line + " a Gerber file holds what the check cannot read:\r\n<Z:\\W\\BOARD.GTL>\r\n" +
                          r.found + "\r\nNothing was checked.");
        }
    }
}

// Catches: a budget off by one, checked after the memory is taken, or not at all; a refusal that does not
// name the budget.
TEST(BoardGerber, BudgetsHoldExactlyTheirCountAndRefuseOneMore) {
    const auto flashes = [](int n, const std::string& before = "") {
        std::string text = inchHead + "%ADD10R,0.1X0.1*%\n" + before + "D10*\n";
        for (int i = 0; i < n; ++i)
            text += "X" + std::to_string(i) + "000000Y0D03*\n";
        return text + "M02*\n";
    };
    const auto macro = [](int primitives) {
        std::string text = inchHead + "%AMM*\n";
        for (int i = 0; i < primitives; ++i)
            text += "1,1,0.1,0," + std::to_string(i) + "*\n";
        return text + "%\n%ADD10M*%\nD10*\nX0Y0D03*\nM02*\n";
    };
    const auto region = [](int vertices) {
        std::string text = inchHead + "G36*\nX0Y0D02*\n";
        for (int i = 1; i < vertices; ++i)
            text += "X" + std::to_string(i % 2) + "000000Y" + std::to_string(i / 2) + "000000D01*\n";
        return text + "G37*\nM02*\n";
    };
    const struct {
        const char* what;
        std::size_t GerberBudgets::*budget;
        std::size_t count;
        std::string at, past, refusal;
    } cases[] = {
        {"objects of a file", &GerberBudgets::objects, 4, flashes(4), flashes(5),
         "Line 9|found X4000000Y0D03, expected at most 4 objects in one file"},
        {"polygon points of a file (a square's four)", &GerberBudgets::points, 8, flashes(2), flashes(3),
         "Line 7|found X2000000Y0D03, expected at most 8 polygon points in one file"},
        {"objects of a step and repeat", &GerberBudgets::repeatObjects, 6, flashes(1, "%SRX2Y3I1J1*%\n"),
         flashes(1, "%SRX7Y1I1J1*%\n"),
         "Line 4|found %SRX7Y1I1J1%, expected at most 6 objects from one step and repeat"},
        {"objects of a step and repeat, counted as they come", &GerberBudgets::repeatObjects, 6,
         flashes(1, "%SRX2Y3I1J1*%\n"), flashes(2, "%SRX2Y3I1J1*%\n"),
         "Line 4|found %SRX2Y3I1J1%, expected at most 6 objects from one step and repeat"},
        {"primitives of a macro", &GerberBudgets::macroPrimitives, 3, macro(3), macro(4),
         "Line 7|found primitive 4 of the aperture macro M, expected at most 3 primitives in one aperture "
         "macro"},
        {"vertices of a region", &GerberBudgets::regionVertices, 4, region(4), region(5),
         "Line 8|found X0000000Y2000000D01, expected at most 4 vertices in one region"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GerberBudgets budgets;
        budgets.*c.budget = c.count;
        try {
            readGerber("Z:\\B.GBR", c.at, budgets);
            readGerber("Z:\\B.GBR", c.past, budgets);
            ADD_FAILURE() << "read past its budget";
        } catch (const app::JobStop& stop) {
            const auto bar = c.refusal.find('|');
            EXPECT_EQ(stop.message, c.refusal.substr(0, bar) +
                                        " of a Gerber file holds what the check cannot read:"
                                        "\r\n<Z:\\B.GBR>\r\n" +
                                        c.refusal.substr(bar + 1) + "\r\nNothing was checked.");
        }
    }
}

// Catches: a step and repeat that copies before it counts (the unclosed one below, in a real KiCad bottom
// copper, took minutes), and the default budget's number.
TEST(BoardGerber, AStepAndRepeatBeyondItsBudgetIsRefusedAtOnce) {
    std::string kicad =
        test::readBytes(std::filesystem::path(FLASHKIT_SAMPLES) / "boards/kicad7-rvpc/RVPC_Rev_B-B_Cu.gbr");
    normalise(kicad);
    const size_t units = kicad.find("%MOMM*%\n") + 8;
    kicad.insert(units, "%SRX100Y100I-0.01J-0.01*%\n");
    const long line = std::count(kicad.begin(), kicad.begin() + long(units), '\n') + 1;
    for (const auto& [text, found] :
         {std::pair{kicad, "Line " + std::to_string(line) + "|%SRX100Y100I-0.01J-0.01%"},
          std::pair{inchHead + "%ADD10C,0.1*%\n%SRX10000Y10000I0.001J0.001*%\nD10*\nX0Y0D03*\nM02*\n",
                    std::string("Line 4|%SRX10000Y10000I0.001J0.001%")}}) {
        try {
            readGerber("Z:\\B.GBR", text);
            ADD_FAILURE() << "read";
        } catch (const app::JobStop& stop) {
            EXPECT_EQ(stop.message,
                      found.substr(0, found.find('|')) +
                          " of a Gerber file holds what the check cannot read:\r\n<Z:\\B.GBR>\r\nfound " +
                          found.substr(found.find('|') + 1) +
                          ", expected at most 1000000 objects from one step and repeat\r\nNothing was "
                          "checked.");
        }
    }
}

// Catches: macro arithmetic read by recursion (70 000 parentheses or 100 000 signs overflowed the stack), and
// an outline primitive's vertex count taken as a size (48 vertices in inches were "beyond 1 m").
TEST(BoardGerber, HostileMacrosAreReadWithoutRecursion) {
    std::string outline = "4,1,48,0,0";
    for (int i = 1; i < 48; ++i)
        outline += ",0.0" + std::to_string(i % 2) + ",0.00" + std::to_string(i % 10);
    const std::string primitives[] = {"1,1," + std::string(70000, '(') + "0.1" + std::string(70000, ')') +
                                          ",0,0",
                                      "1,1," + std::string(100000, '-') + "0.1,0,0", outline + ",0,0,0"};
    for (const std::string& primitive : primitives) {
        const Image image = readGerber("Z:\\D.GBR", inchHead + "%AMDEEP*\n" + primitive +
                                                        "*%\n%ADD10DEEP*%\nD10*\nX0Y0D03*\nM02*\n");
        ASSERT_EQ(image.objects.size(), 1u);
        EXPECT_EQ(image.objects[0].kind, ObjectKind::Outlines);
    }
}

} // namespace
} // namespace fk::board
