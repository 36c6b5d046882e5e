// "Gerber Converter": drill list drawing, renumbering, rewrite rules and the compressed table.
#include "support.hpp"

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
};

TEST_F(GerberTest, DrillListIsDrawnAsArcs) {
    write("w/HOLES.TXT", crlfLines({"DRILL: 35", "X 1000 Y 2000", "X 1500 Y 2000", "Drill: 20", "x 100 y 50",
                                    "comment X", "X -5 Y -7", "drill:"}) +
                             "X 1 Y 2");
    auto r = run({w("HOLES.TXT")});
    EXPECT_EQ(r.status, 1); // the aperture table selection was cancelled
    EXPECT_EQ(r.log, "Drill file processed:\tOK");
    std::vector<std::string> expected = drawingHeader;
    for (const char* arc :
         {"ARC 17 0 360 2 18 1000 2000 0 0 0", "ARC 17 0 360 2 18 1500 2000 0 0 0",
          "ARC 10 0 360 2 18 100 50 0 0 0", "ARC 10 0 360 2 18-5-7 0 0 0", "ARC 0 0 360 2 18 1 2 0 0 0"})
        expected.push_back(arc);
    EXPECT_EQ(read("w/HOLES.pcb"), crlfLines(expected));
}

TEST_F(GerberTest, DrillListEdgeCases) {
    write("w/EMPTY.TXT", "");
    run({w("EMPTY.TXT")});
    EXPECT_EQ(read("w/EMPTY.pcb"), crlfLines(drawingHeader));

    write("w/ODD.TXT", crlfLines({"X 1 Y 1", "DRILL: -35", "X 1 Y 1"}));
    run({w("ODD.TXT ,OTHER.TXT")});
    EXPECT_EQ(read("w/ODD.pcb"), crlfLines({drawingHeader[0], drawingHeader[1], drawingHeader[2],
                                            "ARC 0 0 360 2 18 1 1 0 0 0", "ARC-18 0 360 2 18 1 1 0 0 0"}));

    write("w/HOLES.PCB", "DRILL: 35\r\nX 1 Y 1\r\n");
    auto r = run({w("HOLES.PCB")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log, "The drill list would be replaced by its own drawing file:\r\n<" + w("HOLES.PCB") +
                         ">\r\nRename the drill list and re-try.");
    EXPECT_EQ(read("w/HOLES.PCB"), "DRILL: 35\r\nX 1 Y 1\r\n");

    write("w/BIG.TXT", "DRILL: 35\r\nX 40000 Y 1\r\n");
    r = run({w("BIG.TXT")});
    EXPECT_EQ(r.log, "Line 2 of the drill list holds a number out of range:\r\n<" + w("BIG.TXT") +
                         ">\r\nCorrect the drill list and re-try.");
    EXPECT_FALSE(exists("w/BIG.pcb"));
}

TEST_F(GerberTest, TwoFilesShareOneNumbering) {
    write("w/A.GBR", crlfLines({"%ADD11C,0.010*%", "G54D11*", "D40*", "X1250Y3400D01*", "Y3500D02*",
                                "X1300Y3500*", "X0Y0D02*", "x0y0d03*", "d11*", "X123456Y1D03*", "M02*",
                                "m02*", "M02* ", "G04 comment*"}));
    write("w/B.GBR", crlfLines({"Y7*", "D15*", "D01*", "D03*", "X-5Y-7D01*", "X5.5Y2.5*"}));
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
              crlfLines({"*%FSLAX53Y53*", "SFA1.0B1.0*%", "X12345Y00007D03*", "D02*", "D11*", "D02*", "D01*",
                         "D02*", "D03*", "X-00005Y-00007D01*", "X00006Y00002D01*"}));
    EXPECT_EQ(read("w/Aperture.new"),
              crlfLines({"Compressed aperture table", w("A.GBR") + " >> " + w("xA.GBR"),
                         w("B.GBR") + " >> " + w("xB.GBR"), " ", "DCode\tWidth\tHeight\tShape",
                         "------------------------------", "D01\t\t\t", "D03\t\t\t", "D10\t10\t10\tROUND",
                         "D11\t62\t62\tSQUARE", "D12\t20\t30\tRECT"}));
    EXPECT_EQ(read("w/A.GBR").substr(0, 15), "%ADD11C,0.010*%");
}

TEST_F(GerberTest, ApertureTenIsNotTakenFromTheTable) {
    write("w/A.GBR", crlfLines({"D10*", "D11*"}));
    auto r = run({"", w("TABLE.TXT"), w("A.GBR")});
    EXPECT_EQ(r.status, 0);
    const std::string table = read("w/Aperture.new");
    EXPECT_NE(table.find("\r\nD10\t\t\t\r\nD11\t10\t10\tROUND\r\n"), std::string::npos);
}

TEST_F(GerberTest, CancelsEndTheJobQuietly) {
    auto r = run({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log, "");
    r = run({"", w("TABLE.TXT")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log, "Aperture file processed:\t 4 codes found.");
    EXPECT_FALSE(exists("w/Aperture.new"));
}

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

TEST_F(GerberTest, DrillListWithDotsIsNotMistakenForItsDrawing) {
    write("w/HOLES.PCB.TXT", "DRILL: 20\r\nX 1 Y 2\r\n");
    run({w("HOLES.PCB.TXT")});
    EXPECT_EQ(read("w/HOLES.pcb"), crlfLines({drawingHeader[0], drawingHeader[1], drawingHeader[2],
                                              "ARC 10 0 360 2 18 1 2 0 0 0"}));
    write("w/lower.pcb", "X 1 Y 2\r\n");
    EXPECT_EQ(run({w("LOWER.PCB")}).log.substr(0, 20), "The drill list would");
    EXPECT_EQ(read("w/lower.pcb"), "X 1 Y 2\r\n");
}

TEST_F(GerberTest, FailureLeavesEveryOutputAsItWas) {
    write("w/A.GBR", crlfLines({"D11*"}));
    write("w/B.GBR", crlfLines({"D11*"}));
    write("w/xA.GBR", "old A");
    write("w/xB.GBR", "old B");
    fs::permissions(path("w/xB.GBR"), fs::perms::owner_read);
    auto r = run({"", w("TABLE.TXT"), w("A.GBR ,B.GBR")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log, "Aperture file processed:\t 4 codes found.\r\nGerber files processed:\t 2\r\n"
                     "Descreet apertures found:\t 1\r\nCould not write the file:\r\n<" +
                         w("xB.GBR") + ">");
    EXPECT_EQ(read("w/xA.GBR"), "old A");
    EXPECT_FALSE(exists("w/Aperture.new"));
}

} // namespace
