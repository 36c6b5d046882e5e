// "Gerber Converter": drill list drawing, renumbering, cancelling, and drafts that keep every byte.
#include "gerber/draft.hpp"
#include "gerberconverter.hpp"
#include "util/text.hpp"

using namespace fk;
using namespace fk::test;

namespace {

const std::vector<std::string> drawingHeader = {";Tango-PCB PLUS V2.30 Series II", "VERSION 1 3 A",
                                                "BOARD 1 1 31999 31999 1 1"};

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

} // namespace
