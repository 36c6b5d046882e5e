// "Fab Export": the example's exported bytes, the drill file's header and tool table, exact inch decimals,
// and the refusals that leave every file as it was.
#include "fabexport.hpp"
#include "util/text.hpp"

using namespace fk;
using namespace fk::test;

namespace {

// Catches any change of the exported bytes, the zip's among them, or of the log's per-file counts.
TEST_F(FabExport, ExampleAsInTheReadme) {
    const CliResult r = run();
    ASSERT_EQ(r.status, 0) << r.out;
    const fs::path expected = fs::path(FLASHKIT_EXAMPLES) / "fab" / "OUTPUT";
    std::map<std::string, std::string> wanted;
    for (const auto& e : fs::directory_iterator(expected))
        wanted["out/" + e.path().filename().string()] = readBytes(e.path());
    EXPECT_EQ(filesIn({"out"}), wanted);
    const std::string out = text("out") + "\\";
    EXPECT_EQ(
        r.log,
        util::lines({"[Reading PCB.DFN]", "[Writing RS-274-X plots]", "[Writing Excellon drill files]",
                     "[Writing job file and zip]", "TOP.GBR >> RS-274-X top:\t7 apertures, 2 macros",
                     "<" + out + "BOARD.GTL>", "PLANE.GBR >> RS-274-X plane2:\t4 apertures, 4 macros",
                     "<" + out + "BOARD.GBL>", "OUTLINE.GBR >> RS-274-X outline:\t1 aperture, 0 macros",
                     "<" + out + "BOARD.GKO>", "BOARD.NC1 >> Excellon plated:\t2 tools, 4 holes",
                     "<" + out + "BOARD-PTH.drl>", "BOARD.NC1 >> Excellon unplated:\t1 tool, 1 hole",
                     "<" + out + "BOARD-NPTH.drl>", "Job file:\t2 copper layers", "<" + out + "BOARD.gbrjob>",
                     "Zip of all files:", "<" + out + "BOARD-fab.zip>", "[Fab Export completed]"}));
}

// Catches a base name that is no UTF-8 text reaching the job file, whose JSON writer would stop the program.
TEST_F(FabExport, BaseNameOfNoUtf8Refused) {
    const auto before = files();
    const CliResult r = cli({"fabexport", "--base",
                             "B\xe4"
                             "D",
                             "--input-path", text("in"), "--dfn-path", text("in"), "--output-path",
                             text("out"), "--pick", text("in") + "\\TOP.GBR ,OUTLINE.GBR"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log, util::lines({"The file base name B\xe4"
                                  "D is no UTF-8 text, which the job file cannot hold.",
                                  "No file was written; correct the file base name and re-try."}));
    EXPECT_EQ(files(), before);
}

// Catches a tool table taken from the wrong source, or a zero-suppressed NC1 read as written.
TEST_F(FabExport, DrillHeaderAndToolTable) {
    write("in/BOARD.NC1",
          crlfLines({"M48", "INCH,TZ", "T1C0.028", "T4C0.0135", "%", "T1", "X15Y-2", "T4", "X105", "M30"}));
    // Tool 4 drills vias only, tool 1 pads (and a via): a via drill and a component drill.
    write("in/PCB.DFN",
          read("in/PCB.DFN") + crlfLines({"VIA EL 40 13.5 11 1 0 0 1 4", "VIA EL 40 28 11 1 0 0 1 1"}));
    const CliResult r = run("TOP.GBR ,OUTLINE.GBR");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(read("out/BOARD-PTH.drl"),
              crlfLines(joined(drillHead("Plated,1,1,PTH"),
                               {"; #@! TA.AperFunction,Plated,PTH,ComponentDrill", "T1C0.028",
                                "; #@! TA.AperFunction,Plated,PTH,ViaDrill", "T4C0.0135", "%", "G90", "G05",
                                "T1", "X0.0015Y-0.0002", "T4", "X0.0105Y-0.0002", "M30"})));
}

// Catches an inch value of six decimals rounded on its way in: a size or position no inch decimal gives; and
// a plot of no aperture, or a single tool and hole, counted in the wrong number.
TEST_F(FabExport, SixInchDecimalsExactly) {
    write("in/BOARD.NC1", crlfLines({"M48", "INCH", "T9C0.012341", "%", "T9", "X0.000001Y-1.234567", "M30"}));
    write("in/TOP.GBR", crlfLines({"%FSLAX23Y23*%", "%MOIN*%", "M02*"})); // an empty layer
    const CliResult r = run("TOP.GBR ,OUTLINE.GBR");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(read("out/BOARD-PTH.drl"),
              crlfLines(joined(drillHead("Plated,1,1,PTH"),
                               {"; #@! TA.AperFunction,Plated,PTH,ComponentDrill", "T9C0.012341", "%", "G90",
                                "G05", "T9", "X0.000001Y-1.234567", "M30"})));
    EXPECT_NE(r.log.find(util::lines(
                  {"TOP.GBR >> RS-274-X top:\t0 apertures, 0 macros", "<" + text("out") + "\\BOARD.GTL>"})),
              std::string::npos)
        << r.log;
    EXPECT_NE(r.log.find("BOARD.NC1 >> Excellon plated:\t1 tool, 1 hole"), std::string::npos) << r.log;
}

// Catches an export written although a plot, PCB.DFN or the NC1 cannot be exported exactly.
TEST_F(FabExport, RefusalsWriteNothing) {
    struct Case {
        const char* name;
        std::string file, bytes, picks, firstLine;
    } cases[] = {
        {"undefined D-code", "in/TOP.GBR", crlfLines({"D22*", "X100Y100D03*", "M02*"}),
         "TOP.GBR ,OUTLINE.GBR", "Line 1 selects D22, which PCB.DFN does not define:"},
        {"operation at the origin", "in/TOP.GBR", crlfLines({"D11*", "X0Y0D03*", "M02*"}),
         "TOP.GBR ,OUTLINE.GBR", "Line 2 draws or flashes at the origin, which the plot's rules drop:"},
        {"draw at the origin", "in/TOP.GBR", crlfLines({"D11*", "X0Y0D01*", "M02*"}), "TOP.GBR ,OUTLINE.GBR",
         "Line 2 draws or flashes at the origin, which the plot's rules drop:"},
        {"coordinate without operation", "in/TOP.GBR", crlfLines({"D11*", "X100Y100*", "M02*"}),
         "TOP.GBR ,OUTLINE.GBR", "Line 2 holds a coordinate without operation D01, D02 or D03:"},
        {"plot of random bytes", "in/TOP.GBR", std::string("\x96J\x14\x93\x82 random\xff", 12),
         "TOP.GBR ,OUTLINE.GBR", "The Gerber file holds no aperture selection and no coordinate:"},
        {"empty plot", "in/TOP.GBR", "", "TOP.GBR ,OUTLINE.GBR",
         "The Gerber file holds no aperture selection and no coordinate:"},
        {"D-code below 10", "in/TOP.GBR", crlfLines({"D09*", "X100Y100D03*", "M02*"}), "TOP.GBR ,OUTLINE.GBR",
         "Line 1 selects D9, which is no aperture:"},
        {"tool without size", "in/BOARD.NC1", crlfLines({"M48", "INCH", "T7", "X+001000Y+001000", "M30"}),
         "TOP.GBR ,OUTLINE.GBR",
         "Line 4 drills with T7, whose size neither the drill file nor a CAM_TOOL line of PCB.DFN gives:"},
        {"sizes disagree", "in/BOARD.NC1",
         crlfLines({"M48", "INCH", "T1C0.030", "%", "T1", "X+001000Y+001000", "M30"}), "TOP.GBR ,OUTLINE.GBR",
         "The drill file gives T1 the size 0.03 in, PCB.DFN line 22 the size 0.028 in:"},
        {"drill size smaller", "in/BOARD.NC1",
         crlfLines({"M48", "INCH", "T1C0.027", "%", "T1", "X+001000Y+001000", "M30"}), "TOP.GBR ,OUTLINE.GBR",
         "The drill file gives T1 the size 0.027 in, PCB.DFN line 22 the size 0.028 in:"},
        {"no drill file", "in/BOARD.NC1", std::string("\x7f\x01random\r\nbytes\xff", 17),
         "TOP.GBR ,OUTLINE.GBR",
         "The file holds no drill header (M48, INCH or METRIC), no tool and no hole:"},
        {"diameter without digits", "in/BOARD.NC1", crlfLines({"M48", "INCH", "T1C.", "%", "T1", "X+1Y+1"}),
         "TOP.GBR ,OUTLINE.GBR", "NC1 line 3 cannot be exported: [T1C.]"},
        {"tool number beyond 9 digits", "in/BOARD.NC1",
         crlfLines({"M48", "INCH", "T99999999999", "X+001000Y+001000"}), "TOP.GBR ,OUTLINE.GBR",
         "NC1 line 3 cannot be exported: [T99999999999]"},
        {"hole before any tool", "in/BOARD.NC1", crlfLines({"M48", "INCH", "X+001000Y+001000"}),
         "TOP.GBR ,OUTLINE.GBR", "Line 3 drills a hole before any tool is selected:"},
        {"metric", "in/BOARD.NC1", crlfLines({"M48", "METRIC", "T1C0.8", "%", "T1", "X10.0Y10.0", "M30"}),
         "TOP.GBR ,OUTLINE.GBR", "The drill file is metric, which an inch drill file does not give exactly:"},
        {"same role twice", "in/TOP.PHO", crlfLines({"M02*"}), "TOP.GBR ,TOP.PHO ,OUTLINE.GBR",
         "Two exports would have the same name:"},
        {"export over an input", "in/BOARD.GTL", crlfLines({"M02*"}), "TOP.GBR ,OUTLINE.GBR ,BOARD.GTL",
         "The export would replace an input file:"},
        {"repeated D-code", "in/PCB.DFN",
         crlfLines({R"(GRB_AP2 10 12 12 0 DRAW ELLIPSE "ROUND DRAW- 12 MILS")",
                    R"(GRB_AP2 10 10 10 0 DRAW ELLIPSE "ROUND DRAW- 10 MILS")"}),
         "TOP.GBR ,OUTLINE.GBR", "PCB.DFN line 2 defines D10 again, unlike line 1:"},
    };
    for (const auto& c : cases) {
        TearDown(); // each case on a fresh copy of the example
        SetUp();
        write(c.file, c.bytes);
        const auto before = files();
        const CliResult r = c.name == std::string("export over an input")
                                ? run(c.picks, "in", {"--role", "BOARD.GTL=bottom"})
                                : run(c.picks);
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_TRUE(r.log.starts_with(c.firstLine) || r.log.find("\r\n" + c.firstLine) != std::string::npos)
            << c.name << "\n"
            << r.log;
        EXPECT_NE(r.log.find("No file was written"), std::string::npos) << c.name;
        EXPECT_EQ(files(), before) << c.name;
    }
    const auto before = files();
    const CliResult cancelled = cli({"fabexport", "--base", "BOARD", "--input-path", text("in"), "--dfn-path",
                                     text("in"), "--output-path", text("out")});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.log, "Fab Export was cancelled; nothing was written.");
    EXPECT_EQ(files(), before);
    fs::remove(path("in/BOARD.NC1")); // named before the plots are picked
    EXPECT_EQ(run().log, "File (" + text("in") + "\\BOARD.NC1) not found!");
}

} // namespace
