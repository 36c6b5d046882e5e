// "Gerber Converter" on files of other tools: read by their format statement into whole mils, refused where
// the rewritten file falls short, and aperture tables of other tools.
#include "gerberconverter.hpp"
#include "util/text.hpp"

using namespace fk;
using namespace fk::test;

namespace {

// ---- Files of other tools: read by their format statement, refused where the rewritten file falls short.

// A case: its name, the Gerber file, and what is expected (lines of the rewritten file after its header and
// the rounding shift logged, or line number, command and advice of the refusal).
struct Case {
    std::string name, input, expected, also;
};

// Coordinates of each format and unit come out in exact whole mils, halves to even, with the shift logged.
TEST_F(GerberTest, FormatsConvertToWholeMils) {
    const Case cases[] = {
        {"Inch24", "%FSLAX24Y24*%|%MOIN*%|D11*|X12500Y-345000D02*", "D02*|D10*|X01250Y-34500D02*", ""},
        {"TrailingZeros23", "%FSTAX23Y23*%|X125Y034D01*|Y-5D03*", "X12500Y03400D01*|X12500Y-50000D03*", ""},
        {"Metric46HalvesToEven", "%FSLAX46Y46*%|%MOMM*%|X25400000Y12700D03*|X38100Y1D03*",
         "X01000Y00000D03*|X00002Y00000D03*", "0.5"},
        {"Inch35Rounded", "%MOIN*%|%FSLAX35Y35*%|X250Y-350D02*|X1234D01*",
         "X00002Y-00004D02*|X00012Y-00004D01*", "0.5"},
        {"G54AndCommandsOnOneLine",
         "%FSLAX23Y23*%|G54D11*X100Y200D02*G01X300Y400D01*|X500*|D11*|X0Y0D02*|D03*|X0Y0D02*M02*",
         "D02*|D10*|X00100Y00200D02*|X00300Y00400D01*|X00500Y00400D01*|X00000Y00000D02*|D03*|D02M02*", ""},
        {"MoveThenEndOnOneLine", "%FSLAX23Y23*%|D11*|X1Y1D03*|X0Y0D02M02*",
         "D02*|D10*|X00001Y00001D03*|D02M02*", ""},
        {"OperationsThenEndOnOneLine", "%FSLAX23Y23*%|D11*|X1Y1D03*|X5Y6D02M02*|D02M02*",
         "D02*|D10*|X00001Y00001D03*|X00005Y00006D02*|D02M02*|D02*|D02M02*", ""},
        {"M01GoesOnM00Ends", "%FSLAX23Y23*%|D11*|X1Y1D03*|M01*|M00*", "D02*|D10*|X00001Y00001D03*|D02M02*",
         ""},
        {"G71BeforeTheFormat", "G71*|%FSLAX33Y33*%|D11*|X25400Y0D03*", "D02*|D10*|X01000Y00000D03*", ""},
        {"MoveThenEndWithoutFormatStatement", "D11*|X1Y1D03*|D02M02*",
         "D02*|D10*|X00001Y00001D03*|D02*|D02M02*", ""},
        {"G54WithoutFormatStatement", "G54D15*|D11*|X1Y1D03*|G54D40*|X2Y2D03*",
         "D02*|D10*|X00001Y00001D03*|D02*|D11*|X00002Y00002D03*", ""},
        {"MacrosAttributesAndComments",
         "G04 50% done*|%FSDAX23Y23*MOIN*%|%AMOC8*|5,1,8,0,0,1.08239X$1,22.5*%|%TO.C,R1*%|%SR*%|"
         "G75*G70*D11*|X001Y002D03*|%LPD*%",
         "D02*|D10*|X00001Y00002D03*", ""},
        {"ParametersThatChangeNothing",
         "%FSLAX23Y23*%|%OFA0.000B-0*%|%SFA1.000000B1*%|%SRX1.0Y1I0J0*%|%MIA0B0*%|D11*|X+1Y-1D03*",
         "D02*|D10*|X00001Y-00001D03*", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write("w/A.GBR", crlfLines(barLines(c.input)));
        auto r = run({"", w("TABLE.TXT"), w("A.GBR")});
        ASSERT_EQ(r.status, 0) << r.log;
        EXPECT_EQ(read("w/xA.GBR"), crlfLines(barLines("*%FSLAX53Y53*|SFA1.0B1.0*%|" + c.expected)));
        const std::string line =
            "\r\nCoordinates rounded to whole mils, largest shift:\t " + c.also + " mil\r\n";
        EXPECT_EQ(r.log.find(line) != std::string::npos, !c.also.empty()) << r.log;
        EXPECT_EQ(c.also.empty(), r.log.find("rounded") == std::string::npos);
    }
}

const std::string arc = " draws an arc (G02/G03, I/J)|", segments = "plot arcs as straight segments",
                  transform = " offsets, scales, mirrors, rotates or inverts the image",
                  noTransform = "plot without image transformations";

// What the rewritten file cannot hold stops the job with file, line and command, and nothing is written.
TEST_F(GerberTest, RefusalsNameTheCommandAndWriteNothing) {
    const Case cases[] = {
        {"ArcOffsets", "%FSLAX23Y23*%|D11*|G75*G02*|X1Y1I1J0D01*", "4" + arc + "X1Y1I1J0D01*", segments},
        {"ArcMode", "%FSLAX23Y23*%|G03*|X1Y1D02*|X2Y1D01*", "4" + arc + "X2Y1D01*", segments},
        {"ArcWithoutFormat", "X100Y100I50J0D01*", "1" + arc + "X100Y100I50J0D01*", segments},
        {"ArcLowerCaseWithoutFormat", "X100Y100j50D01*", "1" + arc + "X100Y100j50D01*", segments},
        {"Region", "%FSLAX23Y23*%|D11*G36*", "2 fills a region (G36/G37)|G36*",
         "plot without filled regions"},
        {"ClearPolarity", "%FSLAX23Y23*%|%LPC*%", "2 switches to clear polarity (%LPC)|%LPC*%",
         "plot without clear (negative) objects"},
        {"StepAndRepeat", "%FSLAX23Y23*%|%SRX2Y1I0.5J0*%", "2 repeats the image (%SR)|%SRX2Y1I0.5J0*%",
         "plot without step and repeat"},
        {"Incremental", "%FSLIX23Y23*%", "1 states incremental coordinates|%FSLIX23Y23*%",
         "plot with absolute coordinates"},
        {"Overflow", "%FSLAX33Y33*%|X99999Y0D02*|X100000Y0D02*",
         "3 holds a coordinate beyond 99999 mils|X100000Y0D02*", "plot nearer the origin"},
        {"OverflowRoundedNegative", "%FSLAX34Y34*%|X-999990Y0D02*|X-1000000Y0D02*",
         "3 holds a coordinate beyond 99999 mils|X-1000000Y0D02*", "plot nearer the origin"},
        {"TooManyDigits", "%FSLAX23Y23*%|X123456Y0D02*",
         "2 holds a coordinate that does not fit the file's format|X123456Y0D02*", ""},
        {"PointInCoordinate", "%FSLAX23Y23*%|X1.5Y0D02*",
         "2 holds a coordinate that does not fit the file's format|X1.5Y0D02*", ""},
        {"SignWithoutDigits", "%FSLAX23Y23*%|X-Y0D02*",
         "2 holds a coordinate that does not fit the file's format|X-Y0D02*", ""},
        {"OffsetOfATenThousandth", "%FSLAX23Y23*%|%OFA0.0001B0*%", "2" + transform + "|%OFA0.0001B0*%",
         noTransform},
        {"MirrorOfB", "%FSLAX23Y23*%|%MIA0B1*%", "2" + transform + "|%MIA0B1*%", noTransform},
        {"MirrorByANegativeScale", "%FSLAX23Y23*%|%SFA-1B1*%", "2" + transform + "|%SFA-1B1*%", noTransform},
        {"FormatOf14Digits", "%FSLAX77Y77*%",
         "1 states a coordinate format that cannot be read|%FSLAX77Y77*%", ""},
        {"IncrementalWithoutFormat", "G91*", "1 states incremental coordinates|G91*",
         "plot with absolute coordinates"},
        {"ScaleThatIsNoNumber", "%FSLAX23Y23*%|%SFA1e0B1*%", "2" + transform + "|%SFA1e0B1*%", noTransform},
        {"RepeatOfOnePointFive", "%FSLAX23Y23*%|%SRX1.5Y1*%", "2 repeats the image (%SR)|%SRX1.5Y1*%",
         "plot without step and repeat"},
        {"FormatAfterCoordinates", "D11*|%FSLAX23Y23*%",
         "2 states the coordinate format after the first coordinates|%FSLAX23Y23*%", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write("w/HOLES.TXT", "DRILL: 20\r\nX 1 Y 2\r\n");
        write("w/A.GBR", crlfLines(barLines(c.input)));
        auto r = run({w("HOLES.TXT"), w("TABLE.TXT"), w("A.GBR")});
        EXPECT_EQ(r.status, 1);
        const auto e = barLines(c.expected);
        EXPECT_EQ(r.log, "Aperture file processed:\t 4 codes found.\r\nLine " + e[0] +
                             ", which the rewritten file cannot hold:\r\n<" + w("A.GBR") + ">\r\n" + e[1] +
                             "\r\nNo file was written; " + (c.also.empty() ? "correct the file" : c.also) +
                             " and re-try.");
        EXPECT_FALSE(exists("w/HOLES.pcb") || exists("w/xA.GBR") || exists("w/Aperture.new"));
    }
}

// Table lines in the D form of other tools are taken; a table without aperture lines and apertures the table
// lacks are named in the log.
TEST_F(GerberTest, TableLinesOfOtherToolsAndMissingSizes) {
    write("w/D.TXT",
          crlfLines({"D-CODE WIDTH HEIGHT SHAPE", "D10 5 5 ROUND", "D11,10, 10 ,SQUARE", "d12\t7\t7\tOVAL"}));
    write("w/A.GBR", crlfLines({"%FSLAX23Y23*%", "D10*", "D11*", "D12*", "D40*"}));
    auto r = run({"", w("D.TXT"), w("A.GBR")});
    EXPECT_EQ(r.log, "Aperture file processed:\t 3 codes found.\r\nGerber files processed:\t 1\r\n"
                     "Descreet apertures found:\t 4\r\nApertures not in the aperture table:\t D40\r\n"
                     "Writing with new codes:\tOK\r\nWriting compressed table:\tOK");
    EXPECT_NE(read("w/Aperture.new")
                  .find("\r\nD10\t5\t5\tROUND\r\nD11\t10\t10\tSQUARE\r\nD12\t7\t7\tOVAL\r\nD13\t\t\t\r\n"),
              std::string::npos);

    // A file of no aperture line is refused before the plots are asked for: an empty file, a Gerber plot
    // (its selections size nothing), a drill file; the drill list's drawing is not written either.
    write("w/E.TXT", "");
    write("w/DRILL.TXT", crlfLines({"M48", "T1C0.8", "%", "T1", "X1000Y1000", "M30"}));
    write("w/LIST.TXT", crlfLines({"DRILL: 28", "X 1000 Y 1000"}));
    fs::remove(path("w/xA.GBR"));
    fs::remove(path("w/Aperture.new"));
    for (const std::string table : {"E.TXT", "A.GBR", "DRILL.TXT"}) {
        r = run({w("LIST.TXT"), w(table), w("A.GBR")});
        EXPECT_EQ(r.log,
                  util::lines(
                      {"Aperture file processed:\t 0 codes found.",
                       "The aperture table holds no aperture line:", "<" + w(table) + ">",
                       (table == "A.GBR" ? "Line 2 [D10*] is no aperture line: it gives no width.\r\n" : "") +
                           tableExpected}))
            << table;
        for (const char* output : {"w/xA.GBR", "w/Aperture.new", "w/LIST.pcb"})
            EXPECT_FALSE(fs::exists(path(output))) << output;
    }
}

// Files of other tools come out byte for byte as samples/gerber/expected holds them (each draw and flash of
// those was compared with an independent reading of the source, and with gerbv, when they were made); a file
// with arcs is refused with nothing written.
TEST_F(GerberTest, SamplesOfOtherToolsTranslateDrawByDraw) {
    const fs::path samples(FLASHKIT_GERBER_SAMPLES);
    const std::vector<std::string> names = {"BoardOutline.gml", "currentMonitor-RevB_BOTTOMSOLDERMASK.m2",
                                            "herovco_switch-MaskTop.gts", "ButtonBoard-F_Mask.gts",
                                            "jacdac_connector_0.1-Edge_Cuts.gm1"};
    for (const auto& name : names)
        fs::copy_file(samples / name, path("w/" + name));
    auto r = run({"", w("TABLE.TXT"), w(names[0]) + " ," + names[1] + " ," + names[2] + " ," + names[3]});
    EXPECT_EQ(r.log,
              "Aperture file processed:\t 4 codes found.\r\nGerber files processed:\t 4\r\n"
              "Descreet apertures found:\t 10\r\nCoordinates rounded to whole mils, largest shift:\t 0.4724 "
              "mil\r\nApertures not in the aperture table:\t D10 D12 D13 D33 D34 D39 D43 D44 D57\r\n"
              "Writing with new codes:\tOK\r\nWriting compressed table:\tOK");
    for (size_t i = 0; i + 1 < names.size(); ++i)
        EXPECT_EQ(read("w/x" + names[i]), readBytes(samples / "expected" / ("x" + names[i]))) << names[i];

    r = run({"", w("TABLE.TXT"), w(names[0]) + " ," + names.back()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.log.find("Line 27 draws an arc (G02/G03, I/J), which the rewritten file cannot hold:\r\n<" +
                         w(names.back()) + ">\r\nX2850000Y-1500000I350000J0D01*\r\n"),
              std::string::npos);
    EXPECT_FALSE(exists("w/x" + names.back()));
}

// Catches: a table line taken on its number alone, its next three words unchecked (a report's "D10 ELLIPSE 12
// 12 DRAW", a via plane list's "50/28 GD"): a line sizes an aperture only with numbers for width and height
// and a shape the table knows; a table of no such line is refused with its first refused line.
TEST_F(GerberTest, TableLinesNeedSizesAndAShape) {
    const struct {
        std::string line, refused; // empty: taken
    } cases[] = {
        {"11 60 60 ROUND", ""},
        {"D12 0.012 .5 circle", ""},
        {"D13,10, 7. ,RdRect", ""},
        {"d14\t60\t60\tTHERMAL", ""},
        {"    D10    ELLIPSE   12   12         DRAW", "its width ELLIPSE is no number"},
        {"D10 12 12 DRAW", "its shape DRAW is none the table knows"},
        {"50/28 GD", "its width GD is no number"},
        {"11 60 ROUND", "its height ROUND is no number"},
        {"11 60 60", "it gives no shape"},
        {"11 6.0.0 60 ROUND", "its width 6.0.0 is no number"},
        {"11 -60 60 ROUND", "its width -60 is no number"},
        {"11 60 . ROUND", "its height . is no number"},
        {"D11*", "it gives no width"},
    };
    write("w/A.GBR", "D11*\r\nX1Y1D03*\r\n");
    for (const auto& c : cases) {
        fs::remove(path("w/xA.GBR"));
        fs::remove(path("w/Aperture.new"));
        write("w/T.TXT", crlfLines({"Aperture table", "10 5 5 ROUND", c.line}));
        auto r = run({"", w("T.TXT"), w("A.GBR")});
        if (c.refused.empty()) {
            EXPECT_EQ(r.log.substr(0, r.log.find("\r\n")), "Aperture file processed:\t 1 codes found.")
                << c.line;
            continue;
        }
        EXPECT_EQ(r.status, 1) << c.line;
        EXPECT_EQ(r.log, util::lines({"Aperture file processed:\t 0 codes found.",
                                      "The aperture table holds no aperture line:", "<" + w("T.TXT") + ">",
                                      "Line 3 [" + c.line + "] is no aperture line: " + c.refused + ".",
                                      tableExpected}));
        EXPECT_FALSE(exists("w/xA.GBR") || exists("w/Aperture.new")) << c.line;
    }
    // Beside lines that size apertures a refused line sizes nothing: its aperture is listed as missing.
    write("w/T.TXT", crlfLines({"11 60 60 ROUND", "12 60 60 DRAW"}));
    write("w/A.GBR", "D11*\r\nX1Y1D03*\r\nD12*\r\nX2Y1D03*\r\n");
    auto r = run({"", w("T.TXT"), w("A.GBR")});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.log.find("Apertures not in the aperture table:\t D12\r\n"), std::string::npos);
    EXPECT_NE(read("w/Aperture.new").find("\r\nD10\t60\t60\tROUND\r\nD11\t\t\t\r\n"), std::string::npos);
}

// Catches: a file that is no aperture table taken as one: every file of examples/ given as the table, only
// the aperture table itself passes, with the count of its lines.
TEST_F(GerberTest, OnlyTheExamplesTablePassesAsATable) {
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(FLASHKIT_EXAMPLES)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const auto r = run({"", platform::toPathText(entry.path())});
        const bool table = entry.path().filename() == "APERTURE.TXT";
        EXPECT_EQ(
            r.log.substr(0, r.log.find("\r\n", r.log.find("\r\n") + 2)),
            table ? "Aperture file processed:\t 6 codes found.\r\n" + cancelled
                  : "Aperture file processed:\t 0 codes found.\r\nThe aperture table holds no aperture line:")
            << entry.path();
        EXPECT_EQ(r.status, 1) << entry.path(); // a table alone, then a cancel
    }
    EXPECT_GE(files, 20u);
    const std::string report = platform::toPathText(fs::path(FLASHKIT_EXAMPLES) / "BOARD.REP");
    EXPECT_NE(run({"", report})
                  .log.find("\r\nLine 4 [    D10    ELLIPSE   12   12         DRAW] is no aperture "
                            "line: its width ELLIPSE is no number.\r\n"),
              std::string::npos);
}

} // namespace
