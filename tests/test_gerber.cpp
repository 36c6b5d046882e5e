// "Gerber Converter": drill list drawing, renumbering, rewrite rules and the compressed table.
#include "gerber/draft.hpp"
#include "support.hpp"
#include "util/text.hpp"

using namespace fk;
using namespace fk::test;

namespace {

const std::vector<std::string> drawingHeader = {";Tango-PCB PLUS V2.30 Series II", "VERSION 1 3 A",
                                                "BOARD 1 1 31999 31999 1 1"};

class GerberTest : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        fs::create_directories(path("w"));
        write("w/TABLE.TXT", crlfLines({"D-Code Width Height Shape", "10 5 5 ROUND", "11 10 10 ROUND",
                                        "15 60 60 SQUARE", "40 20 30 RECT", "15 62 62 SQUARE"}));
    }
    test::CliResult run(std::vector<std::string> picks) const {
        std::vector<std::string> args{"gerberconverter", "--input-path", text("w")};
        for (const auto& p : picks) {
            args.push_back("--pick");
            args.push_back(p);
        }
        return cli(args);
    }
    std::string w(const std::string& name) const { return text("w") + "\\" + name; }
    // The whole job with a drill list picked: its drawing is written with the job's other files.
    test::CliResult drill(const std::string& listPick) const {
        write("w/A.GBR", "D11*\r\nX1Y1D03*\r\n");
        return run({listPick, w("TABLE.TXT"), w("A.GBR")});
    }
    const std::string cancelled = "Gerber Converter was cancelled; nothing was written.";
    const std::string tableExpected =
        "Expected: lines of an aperture number above 10 (or D and the number), then its width and height as "
        "numbers and its shape (ROUND, SQUARE, RECT, OVAL, ...), as 11 60 60 ROUND. Nothing was written.";
};

// Catches: a drill radius rounded instead of cut, or an arc record with a field out of place.
TEST_F(GerberTest, DrillListIsDrawnAsArcs) {
    write("w/HOLES.TXT", crlfLines({"DRILL: 35", "X 1000 Y 2000", "X 1500 Y 2000", "Drill: 20", "x 100 y 50",
                                    "comment X", "X -5 Y -7", "drill:"}) +
                             "X 1 Y 2");
    auto r = drill(w("HOLES.TXT"));
    EXPECT_EQ(r.status, 0);
    std::vector<std::string> expected = drawingHeader;
    for (const char* arc :
         {"ARC 17 0 360 2 18 1000 2000 0 0 0", "ARC 17 0 360 2 18 1500 2000 0 0 0",
          "ARC 10 0 360 2 18 100 50 0 0 0", "ARC 10 0 360 2 18-5-7 0 0 0", "ARC 0 0 360 2 18 1 2 0 0 0"})
        expected.push_back(arc);
    EXPECT_EQ(read("w/HOLES.pcb"), crlfLines(expected));
}

// Catches: holes before the first drill size stopping the step, or a file that is no drill list (empty,
// without a size or hole line, binary) drawn as an empty board.
TEST_F(GerberTest, DrillListEdgeCases) {
    const struct {
        std::string content, what;
    } refused[] = {{"", "The drill list holds no drill size line and no hole line:"},
                   {"M48\r\nT1C0.035\r\n%\r\n", "The drill list holds no drill size line and no hole line:"},
                   {"DRILL: 35\r\nX 1 Y\x01 1\r\n", "Line 2 of the drill list is not text:"}};
    for (const auto& c : refused) {
        write("w/NOLIST.TXT", c.content);
        auto r = drill(w("NOLIST.TXT"));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.log,
                  c.what + "\r\n<" + w("NOLIST.TXT") +
                      ">\r\nExpected lines such as \"DRILL: 35\" and \"X 1000 Y 2000\"; correct the drill "
                      "list and re-try.");
        EXPECT_FALSE(exists("w/NOLIST.pcb") || exists("w/xA.GBR"));
    }

    write("w/HOLESONLY.TXT", "X 5 Y 6"); // holes without a size are a drill list all the same
    EXPECT_EQ(drill(w("HOLESONLY.TXT")).status, 0);
    EXPECT_EQ(read("w/HOLESONLY.pcb"), crlfLines({drawingHeader[0], drawingHeader[1], drawingHeader[2],
                                                  "ARC 0 0 360 2 18 5 6 0 0 0"}));

    write("w/ODD.TXT", crlfLines({"X 1 Y 1", "DRILL: -35", "X 1 Y 1"}));
    drill(w("ODD.TXT ,OTHER.TXT"));
    EXPECT_EQ(read("w/ODD.pcb"), crlfLines({drawingHeader[0], drawingHeader[1], drawingHeader[2],
                                            "ARC 0 0 360 2 18 1 1 0 0 0", "ARC-18 0 360 2 18 1 1 0 0 0"}));

    write("w/HOLES.PCB", "DRILL: 35\r\nX 1 Y 1\r\n");
    auto r = drill(w("HOLES.PCB"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log, "The drill list would be replaced by its own drawing file:\r\n<" + w("HOLES.PCB") +
                         ">\r\nRename the drill list and re-try.");
    EXPECT_EQ(read("w/HOLES.PCB"), "DRILL: 35\r\nX 1 Y 1\r\n");

    write("w/BIG.TXT", "DRILL: 35\r\nX 40000 Y 1\r\n");
    r = drill(w("BIG.TXT"));
    EXPECT_EQ(r.log, "Line 2 of the drill list holds a number out of range:\r\n<" + w("BIG.TXT") +
                         ">\r\nCorrect the drill list and re-try.");
    EXPECT_FALSE(exists("w/BIG.pcb"));
}

// Catches: each file numbered on its own instead of one numbering across the selection.
TEST_F(GerberTest, TwoFilesShareOneNumbering) {
    write("w/A.GBR", crlfLines({"%ADD11C,0.010*%", "G54D11*", "D40*", "X1250Y3400D01*", "Y3500D02*",
                                "X1300Y3500*", "X0Y0D02*", "x0y0d03*", "d11*", "X123456Y1D03*", "M02*",
                                "m02*", "M02* ", "G04 comment*"}));
    // The last line that selects an aperture below 10 is the one its row shows ("d01*", not "D01*").
    write("w/B.GBR", crlfLines({"Y7*", "D15*", "D01*", "D03*", "X-5Y-7D01*", "X5.5Y2.5*", "d01*"}));
    auto r = run({"", w("TABLE.TXT"), w("A.GBR ,B.GBR")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        r.log,
        "Aperture file processed:\t 4 codes found.\r\nGerber files processed:\t 2\r\n"
        "Descreet apertures found:\t 3\r\nWriting with new codes:\tOK\r\nWriting compressed table:\tOK");
    EXPECT_EQ(read("w/xA.GBR"), crlfLines({"*%FSLAX53Y53*", "SFA1.0B1.0*%", "D02*", "D12*",
                                           "X01250Y03400D01*", "X01250Y03500D02*", "X01300Y03500D02*", "D02*",
                                           "D10*", "X12345Y00001D03*", "D02M02*", "D02M02*"}));
    EXPECT_EQ(read("w/xB.GBR"),
              crlfLines({"*%FSLAX53Y53*", "SFA1.0B1.0*%", "X12345Y00007D03*", "D02*", "D11*", "D02*", "d01*",
                         "D02*", "D03*", "X-00005Y-00007D01*", "X00006Y00002D01*", "D02*", "d01*"}));
    EXPECT_EQ(read("w/Aperture.new"),
              crlfLines({"Compressed aperture table", w("A.GBR") + " >> " + w("xA.GBR"),
                         w("B.GBR") + " >> " + w("xB.GBR"), " ", "DCode\tWidth\tHeight\tShape",
                         "------------------------------", "d01\t\t\t", "D03\t\t\t", "D10\t10\t10\tROUND",
                         "D11\t62\t62\tSQUARE", "D12\t20\t30\tRECT"}));
}

// Catches: a table line for aperture 10 taken, against the rule that only numbers above 10 count.
TEST_F(GerberTest, ApertureTenIsNotTakenFromTheTable) {
    write("w/A.GBR", crlfLines({"D10*", "D11*"}));
    auto r = run({"", w("TABLE.TXT"), w("A.GBR")});
    EXPECT_EQ(r.status, 0);
    const std::string table = read("w/Aperture.new");
    EXPECT_NE(table.find("\r\nD10\t\t\t\r\nD11\t10\t10\tROUND\r\n"), std::string::npos);
}

// Catches: a selection cancelled after the drill list's replacing the drill drawing (or writing anything), or
// a log that does not say the job was cancelled.
TEST_F(GerberTest, CancelAtEachSelectionChangesNothing) {
    write("w/HOLES.TXT", "DRILL: 35\r\nX 1 Y 1\r\n");
    write("w/HOLES.pcb", "old drawing");
    write("w/A.GBR", "D11*\r\nX1Y1D03*\r\n");
    const auto before = filesIn({"w"});
    const std::string drawn = "Drill file processed:\tOK\r\n",
                      table = "Aperture file processed:\t 4 codes found.\r\n";
    const struct {
        Lines picks;
        std::string log;
    } cases[] = {{{}, cancelled},
                 {{w("HOLES.TXT")}, drawn + cancelled},
                 {{"", w("TABLE.TXT")}, table + cancelled},
                 {{w("HOLES.TXT"), w("TABLE.TXT")}, table + cancelled}}; // the table's line replaces the log
    for (const auto& c : cases) {
        auto r = run(c.picks);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.log, c.log);
        EXPECT_EQ(filesIn({"w"}), before);
    }
}

// Catches: a file that holds no plot converted as an empty one, or the files before it written.
TEST_F(GerberTest, FileThatIsNoPlotIsRefused) {
    write("w/A.GBR", "D11*\r\nX1Y1D03*\r\n");
    write("w/JUNK.GBR", std::string("\x01\x02junk\r\n\x7f", 9));
    write("w/X2.GBR", "%FSLAX24Y24*%\r\n%MOIN*%\r\nM02*\r\n"); // an RS-274-X plot of an empty layer
    auto r = run({"", w("TABLE.TXT"), w("A.GBR ,JUNK.GBR")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log.substr(r.log.find("The Gerber")),
              "The Gerber file holds no aperture selection and no coordinate:\r\n<" + w("JUNK.GBR") +
                  ">\r\nNo file was written; pick Gerber plots and re-try.");
    EXPECT_FALSE(exists("w/xA.GBR") || exists("w/Aperture.new"));
    EXPECT_EQ(run({"", w("TABLE.TXT"), w("A.GBR ,X2.GBR")}).status, 0);
}

// Catches: apertures above 1000 lost, or a dotted file name cut at its first dot.
TEST_F(GerberTest, HighApertureNumbersAndDottedNames) {
    write("w/T2.TXT", crlfLines({"1500 7 7 ROUND", "20240101 table of 1 January"}));
    write("w/A.B.GBR", crlfLines({"D1500*", "D11*", "X1Y1*"}));
    auto r = run({"", w("T2.TXT"), w("A.B.GBR")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.log.substr(0, r.log.find("\r\n")), "Aperture file processed:\t 1 codes found.");
    EXPECT_EQ(read("w/xA.B.GBR"),
              crlfLines({"*%FSLAX53Y53*", "SFA1.0B1.0*%", "D02*", "D11*", "D02*", "D10*", "X00001Y00001"}));
    EXPECT_NE(read("w/Aperture.new").find("D10\t\t\t\r\nD11\t7\t7\tROUND\r\n"), std::string::npos);
}

// Catches: a drill list whose drawing has its name replacing it, or one refused that is safe.
TEST_F(GerberTest, DrillListWithDotsIsNotMistakenForItsDrawing) {
    write("w/HOLES.PCB.TXT", "DRILL: 20\r\nX 1 Y 2\r\n");
    drill(w("HOLES.PCB.TXT"));
    EXPECT_EQ(read("w/HOLES.pcb"), crlfLines({drawingHeader[0], drawingHeader[1], drawingHeader[2],
                                              "ARC 10 0 360 2 18 1 2 0 0 0"}));
    write("w/lower.pcb", "X 1 Y 2\r\n");
    EXPECT_EQ(drill(w("LOWER.PCB")).log.substr(0, 20), "The drill list would");
    EXPECT_EQ(read("w/lower.pcb"), "X 1 Y 2\r\n");
}

// Catches: a NUL byte of a file taken for the mark of an aperture line, or a job that needs more room on the
// disk than its outputs take (each rewritten file is drafted before the new codes are known).
TEST_F(GerberTest, DraftsKeepEveryByteAndNeedNoMoreRoomThanTheOutputs) {
    const std::string nul(1, '\0');
    write("w/A.GBR", crlfLines({"G54D15*", "D15*", "X00001Y00002D0" + nul + "*", "D0" + nul + "*", "X3Y4*",
                                "d11*", "D40*"}));
    // B's draft and rewritten file together take more room than all outputs: only a rewrite without drafts
    // fits the room of the outputs.
    std::vector<std::string> b = {"D40*", "X5Y6D03*", "D15*"},
                             rewrittenB = {"*%FSLAX53Y53*",    "SFA1.0B1.0*%", "D02*", "D12*",
                                           "X00005Y00006D03*", "D02*",         "D11*"};
    for (int i = 1000; i < 4000; ++i) {
        b.push_back("X" + std::to_string(i) + "Y7D01*");
        rewrittenB.push_back("X0" + std::to_string(i) + "Y00007D01*");
    }
    b.push_back("M02*");
    rewrittenB.push_back("D02M02*");
    write("w/B.GBR", crlfLines(b));
    const std::vector<std::string> picks = {"", w("TABLE.TXT"), w("A.GBR ,B.GBR")};
    const std::map<std::string, std::string> expected = {
        {"w/xA.GBR",
         crlfLines({"*%FSLAX53Y53*", "SFA1.0B1.0*%", "D02*", "D11*", "X00001Y00002D0" + nul + "*", "D02*",
                    "D0" + nul + "*", "X00003Y00004D0" + nul + "*", "D02*", "D10*", "D02*", "D12*"})},
        {"w/xB.GBR", crlfLines(rewrittenB)}};
    ASSERT_EQ(run(picks).status, 0);
    std::uintmax_t room =
        read("w/Aperture.new").size() + expected.at("w/xA.GBR").size() + expected.at("w/xB.GBR").size();
    for (const auto& [budget, status] : {std::pair{room, 0}, std::pair{room - 1, 1}}) {
        for (const char* name : {"w/xA.GBR", "w/xB.GBR", "w/Aperture.new"})
            fs::remove(path(name));
        // The log goes to the standard output only: a log file would take room too.
        std::vector<std::string> args{"gerberconverter", "--input-path", text("w")};
        for (const auto& pick : picks)
            args.insert(args.end(), {"--pick", pick});
        std::ostringstream log, err;
        platform::setWriteBudgetForTesting(budget);
        const int result = cli::run(args, text("prog"), log, err);
        platform::setWriteBudgetForTesting(std::nullopt);
        ASSERT_EQ(result, status) << log.str();
        if (status == 0) {
            EXPECT_EQ(read("w/xA.GBR"), expected.at("w/xA.GBR"));
            EXPECT_EQ(read("w/xB.GBR"), expected.at("w/xB.GBR"));
        } else {
            EXPECT_NE(
                log.str().find("Could not write the file:\n<" + w("Aperture.new") + ">\nThe disk is full."),
                std::string::npos)
                << log.str();
            EXPECT_FALSE(exists("w/xA.GBR") || exists("w/xB.GBR") || exists("w/Aperture.new"));
        }
        EXPECT_EQ(filesIn({"w"}).size(), status == 0 ? 6u : 3u); // no draft left behind
    }
}

// Catches: a mark split between two pieces of a draft read back written as text, or a piece's end lost.
TEST_F(GerberTest, DraftMarksSplitBetweenPiecesAreFilledIn) {
    const std::string nul(1, '\0'), d11 = "D11*", d3 = "d03*";
    gerber::CodeLines codeLines(std::size_t{1} << 16, nullptr);
    codeLines[gerber::slotOf(216)] = &d11;
    codeLines[gerber::slotOf(3)] = &d3;
    for (size_t piece = 1; piece <= 9; ++piece) {
        gerber::Draft draft(w("x.GBR"));
        draft.line("D02*");
        draft.apertureLine(216);
        draft.lineWith(16, [](char* out) {
            std::memcpy(out, "X00001Y00002D01*", 16);
            return size_t{16};
        });
        draft.line("D0" + nul + nul + "*");
        draft.apertureLine(3);
        draft.apertureLine(216);
        draft.finish();
        platform::AtomicWriter out(w("y.GBR"));
        draft.fillInto(out, codeLines, piece);
        out.commit();
        EXPECT_EQ(read("w/y.GBR"),
                  crlfLines({"D02*", "D11*", "X00001Y00002D01*", "D0" + nul + nul + "*", "d03*", "D11*"}))
            << piece;
    }
}

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
