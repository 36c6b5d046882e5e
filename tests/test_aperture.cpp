// "PCB >> Aperture" end to end through the command line, with hand-computed definition files.
#include "support.hpp"

using namespace fk;
using namespace fk::test;

namespace {

const std::string header = ";Tango-PCB PLUS V2.30 Series II";
const std::string progressLog =
    "[Aperture processing completed successfully]\r\n[Writing definition files]\r\n"
    "[Assigning plane D-Codes]\r\n[Assigning normal primitives]\r\n[Sorting D-Codes]\r\n"
    "[Compressing D-Codes]\r\n[Generating D-Codes]\r\n[Sorting hole sizes]\r\n"
    "[Extracting primitives from data]\r\n[Reading Tango-PCB source file]\r\n";

class ApertureTest : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        write("dfn/PCB.DFN", "PALETD 1 2 3\r\nGRB_AP2 10 old\r\n");
    }
    void design(const Lines& records) const {
        Lines lines{header};
        lines.insert(lines.end(), records.begin(), records.end());
        write("in/BOARD.PCB", crlfLines(lines));
    }
    test::CliResult run(int planes = 0, int mask = 0, int swell = 0) const {
        return cli({"pcb2aperture", "--input-path", text("in"), "--dfn-path", text("dfn"), "--base", "BOARD",
                    "--planes", std::to_string(planes), "--mask", std::to_string(mask), "--swell",
                    std::to_string(swell)});
    }
    std::string dfn() const { return read("dfn/PCB.DFN"); }
    // The lines of the new definition file that start with the prefix.
    Lines linesStarting(const std::string& prefix) const {
        Lines out;
        std::istringstream in(dfn());
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.rfind(prefix, 0) == 0)
                out.push_back(line);
        }
        return out;
    }
};

// Catches any byte of either definition file wrong, the backup not the old PCB.DFN, or a progress line lost.
TEST_F(ApertureTest, WholeFileExternalPlanesWithMask) {
    design({"PAD EL 60 60 28 AL 1 1", "PAD SQ 50 80 35 TL 1 1", "VIA CR 40 20 GD 1 1",
            "PAD MH 125 125 125 AL 1 1", "LINE 10 1 1 1 1", "ARC 50 0 360 12 18 1 1 0 0 0",
            "TEXT \"X\" 60 45 8 1 1 0"});
    auto r = run(2, 1, 2);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.log, progressLog);
    EXPECT_EQ(read("dfn/DFN.BAK"), "PALETD 1 2 3\r\nGRB_AP2 10 old\r\n");
    EXPECT_EQ(read("in/BOARD.DFN"), dfn());
    // Section by section: the records with their codes, the kept lines, the apertures, the tools.
    EXPECT_EQ(dfn(),
              crlfLines({"PAD EL 60 60 28 AL 15 16 21 25 1 2", "PAD SQ 50 80 35 TL 18 19 22 26 1 3",
                         "PAD MH 125 125 125 AL 17 1 23 27 1 4", "VIA CR 40 20 13 14 20 24 1 1"}) +
                  crlfLines({"TR 10 11", "TR 12 12", "TR 8 10", "STR 60 45 8 10", "PALETD 1 2 3",
                             "GRB_DRAWCODE 10"}) +
                  crlfLines({"GRB_AP2 10 8 8 0 DRAW ELLIPSE \"ROUND DRAW- 8 MILS\"",
                             "GRB_AP2 11 10 10 0 DRAW ELLIPSE \"ROUND DRAW- 10 MILS\"",
                             "GRB_AP2 12 12 12 0 DRAW ELLIPSE \"ROUND DRAW- 12 MILS\"",
                             "GRB_AP2 13 40 40 0 FLASH ELLIPSE \"ROUND PAD- 40 MILS\"",
                             "GRB_AP2 14 42 42 0 FLASH ELLIPSE \"ROUND PAD- 42 MILS\"",
                             "GRB_AP2 15 60 60 0 FLASH ELLIPSE \"ROUND PAD- 60 MILS\"",
                             "GRB_AP2 16 62 62 0 FLASH ELLIPSE \"ROUND PAD- 62 MILS\"",
                             "GRB_AP2 17 125 125 0 FLASH MTHOLE \"MOUNTING HOLE- 125 MILS\"",
                             "GRB_AP2 18 50 80 0 FLASH SQRECT \"RECTANGLE PAD- X50 Y80\"",
                             "GRB_AP2 19 52 82 0 FLASH SQRECT \"RECTANGLE PAD- X52 Y82\"",
                             "GRB_AP2 20  070 0070 050 FLASH ELLIPSE \"DONUT PAD-OD0070 ID050\"",
                             "GRB_AP2 21  080 0080 060 FLASH ELLIPSE \"DONUT PAD-OD0080 ID060\"",
                             "GRB_AP2 22  090 0090 070 FLASH ELLIPSE \"DONUT PAD-OD0090 ID070\"",
                             "GRB_AP2 23  190 0190 170 FLASH ELLIPSE \"DONUT PAD-OD0190 ID170\"",
                             "GRB_AP2 24  060 0060 0 FLASH THERMAL \"THERMAL-OD060 ID040 SP15 AN45\"",
                             "GRB_AP2 25  070 0070 0 FLASH THERMAL \"THERMAL-OD070 ID050 SP15 AN45\"",
                             "GRB_AP2 26  080 0080 0 FLASH THERMAL \"THERMAL-OD080 ID060 SP15 AN45\"",
                             "GRB_AP2 27  170 0170 0 FLASH THERMAL \"THERMAL-OD170 ID150 SP50 AN45\""}) +
                  crlfLines({"CAM_TOOL 1 20", "CAM_TOOL 2 28", "CAM_TOOL 3 35", "CAM_TOOL 4 125", "  "}));
}

// Catches plane codes numbered before the normal codes, a hole put in the wrong plane row, or a row past 25.
TEST_F(ApertureTest, InternalPlanesAfterTheNormalCodes) {
    // Holes 5 and 20 share row 1, 21 is row 2, 260 row 25, 261 none: 28 track widths and 5 pads take D10 to
    // D42, the three kept rows D43 to D45 (pads) and D46 to D48 (thermals).
    Lines records{"PAD EL 60 60 5 AL", "PAD EL 61 61 20 AL", "PAD EL 62 62 21 AL", "PAD EL 63 63 260 AL",
                  "PAD EL 64 64 261 AL"};
    for (int w = 1; w <= 28; ++w)
        records.push_back("LINE " + std::to_string(w) + " 0 0 1 1");
    design(records);
    ASSERT_EQ(run(1).status, 0);
    EXPECT_EQ(linesStarting("PAD"),
              (Lines{"PAD EL 60 60 5 AL 38 1 43 46 1 1", "PAD EL 61 61 20 AL 39 1 43 46 1 2",
                     "PAD EL 62 62 21 AL 40 1 44 47 1 3", "PAD EL 63 63 260 AL 41 1 45 48 1 4",
                     "PAD EL 64 64 261 AL 42 1 0 0 1 5"}));
    Lines planes = linesStarting("GRB_AP2 4");
    planes.erase(planes.begin(), planes.begin() + 3); // the normal pads D40 to D42
    EXPECT_EQ(planes, (Lines{"GRB_AP2 43  040 0040 0 FLASH ELLIPSE \"ROUND PAD-0040 MIL\"",
                             "GRB_AP2 44  050 0050 0 FLASH ELLIPSE \"ROUND PAD-0050 MIL\"",
                             "GRB_AP2 45  310 0310 0 FLASH ELLIPSE \"ROUND PAD-0310 MIL\"",
                             "GRB_AP2 46  060 0060 0 FLASH THERMAL \"THERMAL-OD060 ID040 SP15 AN45\"",
                             "GRB_AP2 47  070 0070 0 FLASH THERMAL \"THERMAL-OD070 ID050 SP15 AN45\"",
                             "GRB_AP2 48  300 0300 0 FLASH THERMAL \"THERMAL-OD300 ID280 SP50 AN45\""}));
}

// Catches: D-codes numbered in generation order, or sorted by text instead of by kind then size.
TEST_F(ApertureTest, DcodesAreSortedByKindThenSize) {
    design({"PAD SQ 60 60 28 AL", "PAD EL 62 62 28 AL", "PAD EL 60 100 28 AL", "LINE 12 0 0 1 1",
            "LINE 10 0 0 1 1"});
    ASSERT_EQ(run().status, 0);
    EXPECT_EQ(linesStarting("GRB_AP2"), (Lines{"GRB_AP2 10 10 10 0 DRAW ELLIPSE \"ROUND DRAW- 10 MILS\"",
                                               "GRB_AP2 11 12 12 0 DRAW ELLIPSE \"ROUND DRAW- 12 MILS\"",
                                               "GRB_AP2 12 60 100 0 FLASH ELLIPSE \"ELLIPSE PAD- X60 Y100\"",
                                               "GRB_AP2 13 62 62 0 FLASH ELLIPSE \"ROUND PAD- 62 MILS\"",
                                               "GRB_AP2 14 60 60 0 FLASH SQRECT \"SQUARE PAD- 60 MILS\""}));
}

// Catches: a shape code mapped to the wrong kind, or a description with a wrong word or blank.
TEST_F(ApertureTest, ShapesKindsAndDescriptions) {
    struct Case {
        std::string record, aperture;
    } cases[] = {{"PAD CR 60 80 28 AL", "GRB_AP2 10 60 80 0 FLASH ELLIPSE \"ELLIPSE PAD- X60 Y80\""},
                 {"LINE 12000 0 0 1 1", "GRB_AP2 10 12000 12000 0 DRAW ELLIPSE \"ROUND DRAW- 12000 MILS\""},
                 {"PAD OV 60 060 28 AL", "GRB_AP2 10 60 060 0 FLASH ELLIPSE \"ROUND PAD- 60 MILS\""},
                 {"PAD SQ 62.5 80 28 AL", "GRB_AP2 10 62.5 80 0 FLASH SQRECT \"RECTANGLE PAD- X62.5 Y80\""},
                 {"PAD RR 60 60 28 AL", "GRB_AP2 10 60 60 0 FLASH RDRECT \"ROUNDED RECT PAD- X60 Y60\""},
                 {"PAD MH 125 130 125 AL", "GRB_AP2 10 125 130 0 FLASH MTHOLE \"MOUNTING HOLE- 125 MILS\""},
                 {"PAD TG 80 90 0 AL", "GRB_AP2 10 80 90 0 FLASH TARGET \"TARGET- 80 MILS\""},
                 {"VIA CR 50 28 GT 100 200", "GRB_AP2 10 50 50 0 FLASH ELLIPSE \"ROUND PAD- 50 MILS\""},
                 {"via ov 45 20 np", "GRB_AP2 10 45 45 0 FLASH ELLIPSE \"ROUND PAD- 45 MILS\""}};
    for (const auto& c : cases) {
        design({c.record});
        ASSERT_EQ(run().status, 0) << c.record;
        EXPECT_EQ(linesStarting("GRB_AP2"), Lines{c.aperture}) << c.record;
    }
}

// Catches: a pad or via key cut one character off, or at a code inside a further field.
TEST_F(ApertureTest, KeysAreCutAtTheirCodes) {
    design({"pad ov 60 80 35 tl 100 200", "PAD OV 60 80 35 TL 300 400 x", "PAD OV 060 80 35 TL 1 1",
            "PAD SQ 0 0 0 AL 1 1", "PAD EL 0 0 0 TL", "VIA CR 50 28 GT 100 200", "VIA CR 50 28 PD 9 9",
            "PAD EL 60 60 28 AL X BL", "LINE 0 1 1 1 1", "ARC 5 0 360 0 18 1 1 0 0 0", "; comment", "",
            "POLY 1 2 3", "XYZ 1 2"});
    ASSERT_EQ(run().status, 0);
    EXPECT_EQ(linesStarting("PAD"),
              (Lines{"PAD OV 60 80 35 TL 13 1 1 1 1 2", "PAD OV 060 80 35 TL 14 1 1 1 1 2",
                     "PAD EL 60 60 28 AL 12 1 1 1 1 1"}));
    EXPECT_EQ(linesStarting("VIA"), (Lines{"VIA CR 50 28 11 1 1 1 1 1"}));
    EXPECT_EQ(linesStarting("TR"), (Lines{"TR 0 10"}));
}

// Catches: a text's stroke width added only with a new text style, so its track width goes missing.
TEST_F(ApertureTest, TextStrokeWidthIsLookedUpEveryTime) {
    design({"LINE 10 0 0 1 1", "TEXT \"A\" 60 45 8 1 1 0", "TEXT \"B\" 60 45 8 1 1 0",
            "TEXT \"C\" 80 60 10 1 1 0", "ARC 50 0 360 5 18 1 1 0 0 0", "TEXT \"D\" 10 10 5 0 0 0"});
    ASSERT_EQ(run().status, 0);
    EXPECT_EQ(linesStarting("TR"), (Lines{"TR 10 12", "TR 8 11", "TR 5 10"}));
    EXPECT_EQ(linesStarting("STR"), (Lines{"STR 60 45 8 11", "STR 80 60 10 12", "STR 10 10 5 10"}));
}

// Catches: a hole read outside its window of characters, or tool numbers out of size order.
TEST_F(ApertureTest, HoleSizesWindowsAndToolNumbers) {
    design({"PAD SQ 60 60 5 AL", "PAD RD 150 150 125 AL", "PAD RD 60 60 2.5 AL", "PAD EL 70 70 0 AL",
            "PAD EL 80 80 1250 AL", "VIA CR 40 7 GD", "VIA CR 41 35 GD"});
    ASSERT_EQ(run().status, 0);
    EXPECT_EQ(linesStarting("CAM_TOOL"), (Lines{"CAM_TOOL 1 2", "CAM_TOOL 2 5", "CAM_TOOL 3 7",
                                                "CAM_TOOL 4 35", "CAM_TOOL 5 125", "CAM_TOOL 6 1250"}));
    // A pad of unknown shape has no aperture: its flash code is 0. A 2.5 hole lists as 2 but matches no tool.
    EXPECT_EQ(linesStarting("PAD"),
              (Lines{"PAD SQ 60 60 5 AL 14 1 1 1 1 2", "PAD RD 150 150 125 AL 0 1 1 1 1 5",
                     "PAD RD 60 60 2.5 AL 0 1 1 1 1 0", "PAD EL 70 70 0 AL 12 1 1 1 1 0",
                     "PAD EL 80 80 1250 AL 13 1 1 1 1 6"}));
    EXPECT_EQ(linesStarting("VIA"), (Lines{"VIA CR 40 7 10 1 1 1 1 3", "VIA CR 41 35 11 1 1 1 1 4"}));
}

// Catches: a mask aperture that merges with a pad's without both rows getting the merged D number.
TEST_F(ApertureTest, MaskEntriesMergeThroughTheirLabels) {
    design({"PAD EL 60 60 28 AL", "PAD EL 65 65 28 AL", "PAD MH 100 100 90 AL", "PAD TG 50 50 0 AL"});
    ASSERT_EQ(run(0, 1, 5).status, 0);
    EXPECT_EQ(linesStarting("PAD"),
              (Lines{"PAD EL 60 60 28 AL 10 11 1 1 1 1", "PAD EL 65 65 28 AL 11 12 1 1 1 1",
                     "PAD MH 100 100 90 AL 13 1 1 1 1 2", "PAD TG 50 50 0 AL 14 1 1 1 1 0"}));
    design({"PAD EL 60 60 28 AL", "LINE 10 0 0 1 1"});
    ASSERT_EQ(run(0, 1, 0).status, 0);
    EXPECT_EQ(linesStarting("PAD"), (Lines{"PAD EL 60 60 28 AL 11 11 1 1 1 1"}));
    // No entry selected in the lists: no mask and no plane codes.
    ASSERT_EQ(run(-1, -1, 0).status, 0);
    EXPECT_EQ(linesStarting("PAD"), (Lines{"PAD EL 60 60 28 AL 11 1 0 0 1 1"}));
}

// Catches: the 250 D-code limit off by one, or files written over it.
TEST_F(ApertureTest, DcodeLimit) {
    auto tracks = [](int count) {
        Lines records;
        for (int w = 1; w <= count; ++w)
            records.push_back("LINE " + std::to_string(w) + " 0 0 1 1");
        return records;
    };
    design(tracks(241));
    auto ok = run();
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(linesStarting("GRB_AP2 250 ").size(), 1u);

    write("dfn/PCB.DFN", "OLD\r\n");
    fs::remove(path("dfn/DFN.BAK"));
    const std::string designDfn = read("in/BOARD.DFN");
    fs::remove(path("prog/flashkit.pa"));
    design(tracks(242));
    auto over = run();
    EXPECT_EQ(over.status, 1);
    EXPECT_EQ(
        over.log,
        "Your design exceeded the 250 dcode limit.\r\nReduce the primitives and re-try.\r\n\r\n[ 251]\r\n");
    EXPECT_EQ(dfn(), "OLD\r\n");
    EXPECT_FALSE(exists("dfn/DFN.BAK"));
    EXPECT_EQ(read("in/BOARD.DFN"), designDfn);
    EXPECT_FALSE(exists("prog/flashkit.pa")); // not even the missing plane table

    // Plane entries count toward the limit: 230 normal codes and 7 plane rows make 244.
    Lines records = tracks(223);
    for (int row = 1; row <= 7; ++row)
        records.push_back("PAD EL " + std::to_string(100 + row) + " 100 " + std::to_string(10 * row + 15) +
                          " AL");
    design(records);
    EXPECT_EQ(
        run(1).log,
        "Your design exceeded the 250 dcode limit.\r\nReduce the primitives and re-try.\r\n\r\n[ 253]\r\n");
}

// Catches: PALETD/CAM_FI lines dropped or case-folded, or a backup that is not a line-by-line copy.
TEST_F(ApertureTest, KeptLinesAndBackup) {
    write("dfn/PCB.DFN",
          "PALETD 1\r\nCAM_FILE x\r\npaletd 2\r\nGRB_AP2 10 1\nCAM_FI\rPALET\r\nlast without end");
    design({"LINE 10 0 0 1 1"});
    ASSERT_EQ(run().status, 0);
    EXPECT_EQ(read("dfn/DFN.BAK"), crlfLines({"PALETD 1", "CAM_FILE x", "paletd 2", "GRB_AP2 10 1", "CAM_FI",
                                              "PALET", "last without end"}));
    EXPECT_EQ(dfn(), crlfLines({"TR 10 10", "PALETD 1", "CAM_FILE x", "CAM_FI", "GRB_DRAWCODE 10",
                                "GRB_AP2 10 10 10 0 DRAW ELLIPSE \"ROUND DRAW- 10 MILS\"", "  "}));
    // More kept lines than the old 255-line table held.
    write("dfn/PCB.DFN", crlfLines(Lines(300, "PALETD x")));
    ASSERT_EQ(run().status, 0);
    EXPECT_EQ(linesStarting("PALETD").size(), 300u);
}

// Catches: a design with another header (or in other letter case) read as ASCII.
TEST_F(ApertureTest, HeaderIsCheckedExactly) {
    for (const std::string first :
         {";TANGO-PCB PLUS V2.30", "Tango-PCB PLUS V2.30", ";Tango-PCB PLUS V3.0", ""}) {
        write("in/BOARD.PCB", first + "\r\nPAD EL 60 60 28 AL\r\n");
        auto r = run();
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.log,
                  "     The file you specified was not saved in ASCII format:\r\n     " + text("in") +
                      "\\BOARD.PCB\r\n[Aperture processing failed]\r\n[Reading Tango-PCB source file]\r\n");
        EXPECT_EQ(dfn(), "PALETD 1 2 3\r\nGRB_AP2 10 old\r\n");
    }
}

// Catches: a malformed record or a full table guessed at, or a stop that changes a file.
TEST_F(ApertureTest, OrderlyStopsChangeNoFile) {
    Lines many;
    for (int i = 1; i <= 256; ++i)
        many.push_back("PAD EL " + std::to_string(i) + " 60 28 AL");
    Lines fourHundredAndOne(many.begin(), many.begin() + 200);
    fourHundredAndOne.push_back("LINE 10 0 0 1 1");
    struct Case {
        Lines records;
        std::string firstLogLine;
        int mask = 0;
    } cases[] = {
        {{"PAD EL 60 60 28"},
         "     Line 2 of the design file is a pad record without size, hole and layer fields,"},
        {{"VIA CR 50 28"},
         "     Line 2 of the design file is a via record without size, hole and plane fields,"},
        {{"LINE 10"}, "     Line 2 of the design file is a line record without a width field,"},
        {{"ARC 5 0 360 2"}, "     Line 2 of the design file is an arc record with fewer than five fields,"},
        {{"TEXT \"A\" 60 45"},
         "     Line 2 of the design file is a text record without three style fields after its text,"},
        {{"PAD EL 60 60 99999 AL"}, "     The hole size 99999 is too large for a drill tool,"},
        // The message quotes the whole hole field, not the six characters a via row keeps.
        {{"VIA CR 50 99999999999 GD"}, "     The hole size 99999999999 is too large for a drill tool,"},
        {many, "     The design has more than 255 distinct pad types,"},
        {fourHundredAndOne, "     The design needs more than 400 D-code entries,", 1}};
    for (const auto& c : cases) {
        design(c.records);
        auto r = run(0, c.mask);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.log.substr(0, r.log.find("\r\n")), c.firstLogLine);
        EXPECT_NE(r.log.find("\r\n[Aperture processing failed]\r\n"), std::string::npos);
        EXPECT_EQ(dfn(), "PALETD 1 2 3\r\nGRB_AP2 10 old\r\n");
        EXPECT_FALSE(exists("dfn/DFN.BAK"));
    }
    // 255 pad types pass that check; 200 pads with their mask entries make exactly 400 entries.
    design(Lines(many.begin(), many.end() - 1));
    EXPECT_EQ(run().log.substr(0, 40), "Your design exceeded the 250 dcode limit");
    design(Lines(many.begin(), many.begin() + 200));
    EXPECT_EQ(run(0, 1).status, 0);
}

// Catches: plane tables overwritten when they exist, not written with the definition files, or written
// by a run that then stops.
TEST_F(ApertureTest, DefaultPlaneTablesAreWrittenOnceAndEditsAreKept) {
    design({"PAD EL 60 60 28 AL"});
    ASSERT_EQ(run(1).status, 0);
    const std::string pt = read("prog/flashkit.pt");
    EXPECT_EQ(std::count(pt.begin(), pt.end(), '\n'), 25);
    // The spoke width changes after rows 3, 6 and 10.
    for (const std::string row : {"04 0090 0090 0 FLASH THERMAL \"THERMAL-OD090 ID070 SP20",
                                  "06 0110 0110 0 FLASH THERMAL \"THERMAL-OD110 ID090 SP20",
                                  "07 0120 0120 0 FLASH THERMAL \"THERMAL-OD120 ID100 SP40",
                                  "10 0150 0150 0 FLASH THERMAL \"THERMAL-OD150 ID130 SP40",
                                  "11 0160 0160 0 FLASH THERMAL \"THERMAL-OD160 ID140 SP50",
                                  "25 0300 0300 0 FLASH THERMAL \"THERMAL-OD300 ID280 SP50"})
        EXPECT_NE(pt.find("\r\nGRB_AP2 " + row + " AN45\"\r\n"), std::string::npos) << row;
    const std::string pa = read("prog/flashkit.pa");
    EXPECT_NE(pa.find("GRB_AP2 23 0300 0300 280 FLASH ELLIPSE \"DONUT PAD-OD0310 ID270\"\r\n"),
              std::string::npos);
    EXPECT_NE(
        read("prog/flashkit.pc").find("GRB_AP2 23 0290 0260 0 FLASH ELLIPSE \"ROUND PAD-0290 MIL\"\r\n"),
        std::string::npos);

    write(
        "prog/flashkit.pc",
        "GRB_AP2 01 0045 0045 0 FLASH ELLIPSE \"EDITED\"\r\nGRB_AP2 02 0055 0055 0 FLASH ELLIPSE \"E2\"\r\n");
    fs::remove(path("prog/flashkit.pa"));
    ASSERT_EQ(run(1).status, 0);
    EXPECT_TRUE(exists("prog/flashkit.pa"));

    EXPECT_EQ(linesStarting("GRB_AP2 11"), Lines{"GRB_AP2 11  055 0055 0 FLASH ELLIPSE \"E2\""});
    // The last row of an edited table serves the largest holes too.
    std::string rows;
    for (int r = 1; r <= 25; ++r)
        rows += "GRB_AP2 " + std::string(r < 10 ? "0" : "") + std::to_string(r) + " 0" +
                std::to_string(40 + 10 * r) + " 0300 0 FLASH ELLIPSE \"R" + std::to_string(r) + "\"\r\n";
    write("prog/flashkit.pc", rows);
    design({"PAD EL 300 300 255 AL"});
    ASSERT_EQ(run(1).status, 0);
    EXPECT_EQ(linesStarting("GRB_AP2 11"), Lines{"GRB_AP2 11  290 0300 0 FLASH ELLIPSE \"R25\""});

    design({"PAD EL 60 60 28 AL"});
    write("prog/flashkit.pc", "");
    EXPECT_EQ(run(0).status, 0);
    auto r = run(1);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log.substr(0, r.log.find("\r\n")),
              "     Line 2 of the plane table flashkit.pc is missing or too short,");
}

} // namespace
