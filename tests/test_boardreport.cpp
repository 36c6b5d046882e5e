// Board Check on the command line: the log, the JSON's bytes, the SVG picture, the limits and the exit
// status.
#include "app/context.hpp"
#include "boardexample.hpp"
#include "util/text.hpp"

namespace fk::test {
namespace {

// The command line: the log, the JSON's bytes, the picture, the limits and the exit status.
class BoardCheckCli : public BoardCheck {
  protected:
    CliResult run(std::vector<std::string> extra, const std::string& picks = "TOP.GBR ,PLANE.GBR") const {
        std::vector<std::string> args{"boardcheck",   "--base",   "BOARD",
                                      "--input-path", text("in"), "--dfn-path",
                                      text("in"),     "--pick",   text("in") + "\\" + picks};
        args.insert(args.end(), extra.begin(), extra.end());
        return cli(args);
    }
};

TEST_F(BoardCheckCli, ExampleLogJsonAndPicture) {
    const CliResult r = run({"--json", path("check.json").string(), "--picture", path("board.svg").string()});
    EXPECT_EQ(r.status, 1);
    const std::string hole = "X 1.0000 Y 0.7000 in (X 25.400 Y 17.780 mm)\thole of line 10 (T3)";
    EXPECT_EQ(
        r.log,
        util::lines({"[Reading PCB.DFN, 2 plots and BOARD.NC1]",
                     "plane-solid\tPLANE.GBR\t" + hole + " in the plane with neither thermal nor clearance",
                     "Checked: holes on 2 layers, spacing and width on 2",
                     "Not checked: the board's edge (no outline), mask web (no solder mask layer), "
                     "legend (no legend layer)",
                     "Findings: 1, plane-solid 1", "[Board Check completed with findings]"}));
    EXPECT_EQ(
        read("check.json"),
        crlfLines({"{\"findings\":[",
                   "{\"kind\":\"plane-solid\",\"plot\":\"PLANE.GBR\",\"x\":1,\"y\":0.7,"
                   "\"message\":\"hole of line 10 (T3) in the plane with neither thermal nor clearance\"}",
                   "]}"}));
    const std::string svg = read("board.svg");
    // The board (0 to 1500 by 100 to 1000 mils), a unit of 15 mils: above it 10 text units for the title, the
    // limits and the legend on one row (the nine limits' 172 letters fit 1500 mils at 6.61 mils a unit),
    // below it 6 units for the scale bar; the finding ringed a unit beyond its hole.
    EXPECT_TRUE(
        svg.starts_with("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 -1066.11 1500 1056.11\""));
    for (const char* part :
         {"<circle cx=\"1000\" cy=\"700\" r=\"62.5\" fill=\"#000000\"/>",
          ">Board Check of TOP.GBR, PLANE.GBR with BOARD.NC1</text>",
          ">Limits: registration 1.00 mil, ring 5.00 mil, web 8.00 mil, clearance 8.00 mil, spacing 5.00 "
          "mil, "
          "width 5.00 mil, edge 10.00 mil, mask-web 4.00 mil, silk 4.00 mil; 1 finding</text>",
          "fill=\"#4a78b8\" stroke=\"#000000\" stroke-width=\"0.66\"/>", ">PLANE.GBR (plane)</text>",
          "<circle cx=\"1000\" cy=\"-700\" r=\"77.5\" fill=\"none\" stroke=\"#e00000\" stroke-width=\"6\">"
          "<title>plane-solid PLANE.GBR</title></circle>",
          ">plane-solid</text>", ">200 mil (5.08 mm)</text>",
          "<line x1=\"200\" y1=\"200\" x2=\"600\" y2=\"200\" stroke=\"#b87333\" stroke-width=\"12\""})
        EXPECT_NE(svg.find(part), std::string::npos) << part;
}

TEST_F(BoardCheckCli, LimitsAndExitStatus) {
    const CliResult clean = run({}, "TOP.GBR");
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.log, util::lines({"[Reading PCB.DFN, 1 plot and BOARD.NC1]",
                                      "Checked: holes on 1 layer, spacing and width on 1",
                                      "Not checked: the board's edge (no outline), mask web (no solder mask "
                                      "layer), legend (no legend layer)",
                                      "Findings: 0", "[Board Check completed: the board is clean]"}));
    const CliResult web = run({"--web", "9.3mm"}, "TOP.GBR");
    EXPECT_EQ(web.status, 1);
    EXPECT_NE(
        web.log.find("web\tBOARD.NC1\tX 1.3000 Y 0.2000 in (X 33.020 Y 5.080 mm)\t365.00 mil (9.271 mm), "
                     "limit 366.14 mil (9.300 mm)\tholes of lines 7 and 8: web below the "
                     "minimum\r\nChecked: "),
        std::string::npos)
        << web.log;
    write("prog/flashkit.ini",
          crlfLines({"0", "0", "0", "BOARD", ".", ".", ".", ".", "boardcheck_ring=12.6"}));
    EXPECT_NE(run({}, "TOP.GBR").log.find("\r\nring\tTOP.GBR\tX 0.9000 Y 0.2000 in"), std::string::npos);
    EXPECT_EQ(run({"--ring", "5"}, "TOP.GBR").status, 0); // the command line wins over flashkit.ini
    std::vector<std::string> lastLine(app::settingsLineCount - 1, "");
    lastLine.push_back("boardcheck_ring=12.6"); // a key is found on every line the file keeps, the last too
    write("prog/flashkit.ini", crlfLines(lastLine));
    EXPECT_NE(run({}, "TOP.GBR").log.find("\r\nring\tTOP.GBR\tX 0.9000 Y 0.2000 in"), std::string::npos);
    write("prog/flashkit.ini", crlfLines({"BOARDCHECK_WEB=8 mils"}));
    const CliResult bad = run({}, "TOP.GBR");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.log,
              util::lines({"The web limit of " + text("prog") + "\\flashkit.ini line 1 is no length: 8 mils",
                           "Expected: mils (5, 2.5) or millimetres (0.127mm). Nothing was checked."}));
    fs::remove(path("prog/flashkit.ini"));
    write("in/EMPTY.GBR", "G04 nothing*\r\n");
    const CliResult empty = run({}, "EMPTY.GBR");
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.log,
              util::lines({"[Reading PCB.DFN, 1 plot and BOARD.NC1]",
                           "The plot holds no flash and no draw:", "<" + text("in") + "\\EMPTY.GBR>",
                           "Nothing was checked; pick the board's plots and re-try."}));
    // Plots of no copper would pass every hole: refused, each named with its role.
    fs::copy_file(path("in/TOP.GBR"), path("in/BOARD.GKO"));
    fs::copy_file(path("in/TOP.GBR"), path("in/SMT.GBR"));
    const CliResult outline = run({}, "BOARD.GKO ,SMT.GBR");
    EXPECT_EQ(outline.status, 2);
    EXPECT_EQ(outline.log, util::lines({"[Reading PCB.DFN, 2 plots and BOARD.NC1]",
                                        "None of the picked plots is copper or a plane:",
                                        "<" + text("in") + ">", "  BOARD.GKO: outline", "  SMT.GBR: topmask",
                                        "Nothing was checked; pick the design's copper plots and planes."}));
    EXPECT_NE(run({}, "BOARD.GKO ,TOP.GBR").status, 2); // one copper plot among them is enough
    const CliResult drill = run({}, "BOARD.NC1");
    EXPECT_EQ(drill.status, 2);
    EXPECT_EQ(drill.log, util::lines({"[Reading PCB.DFN, 1 plot and BOARD.NC1]",
                                      "Line 1 starts a drill program (M48): the file is a drill file, which "
                                      "the check cannot read:",
                                      "<" + text("in") + "\\BOARD.NC1>", "M48",
                                      "Nothing was checked; pick Gerber plots and re-try."}));
    fs::remove(path("in/BOARD.NC1"));
    const CliResult missing = run({}, "TOP.GBR");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.log, "File (" + text("in") + "\\BOARD.NC1) not found!");
    for (const char* signed_ : {"-1", "+5", "+0.127mm"}) { // refused by the command line as a usage error
        const std::string err = run({"--ring", signed_}, "TOP.GBR").err;
        EXPECT_EQ(
            err.substr(0, err.find('\n')),
            std::string("flashkit-cli: --ring takes a length in mils (5) or millimetres (0.127mm), not \"") +
                signed_ + "\"");
    }
    EXPECT_EQ(cli({"fabexport", "--json", "x.json"}).status, 2);
}

} // namespace
// The example's Fab Export output checked as a board: the mounting hole (0.125 in at 1.0, 0.7) in the solid
// plane is copper an unplated hole cuts, measured to the plane's nearest edge, the outline 0.2 in above it
// (200 - 62.5 = 137.5 mil), and only that: not again as copper past the hole's edge. The plane and the top's
// corner draws reach the outline (0).
TEST_F(BoardCheckCli, TheExamplesFabOutputAsABoard) {
    const auto r =
        cli({"boardcheck", "--board", platform::toPathText(std::string(FLASHKIT_EXAMPLES) + "/fab/OUTPUT")});
    EXPECT_EQ(r.status, 1);
    const std::string at = "\r\n[3 layers, 5 holes]\r\n";
    ASSERT_NE(r.log.find(at), std::string::npos) << r.log;
    EXPECT_EQ(
        r.log.substr(r.log.find(at) + at.size()),
        "unplated-copper\tBOARD.GBL\tX 1.0000 Y 0.7000 in (X 25.400 Y 17.780 mm)\t137.50 mil (3.492 mm)\t"
        "unplated hole of line 13 (T3) of BOARD-NPTH.drl cuts the plane: drilled through bare, the hole is "
        "to "
        "be plated or cleared\r\n"
        "edge\tBOARD.GBL\tX 0.1000 Y 0.1000 in (X 2.540 Y 2.540 mm)\t0.00 mil (0.000 mm), limit 10.00 mil "
        "(0.254 mm)\tcopper of the plane too close to the outline (line 14 of BOARD.GKO)\r\n"
        "edge\tBOARD.GTL\tX 0.1000 Y 0.9000 in (X 2.540 Y 22.860 mm)\t0.00 mil (0.000 mm), limit 10.00 mil "
        "(0.254 mm)\tcopper of line 49 (D15) too close to the outline (line 16 of BOARD.GKO)\r\n"
        "edge\tBOARD.GTL\tX 1.4000 Y 0.9000 in (X 35.560 Y 22.860 mm)\t0.00 mil (0.000 mm), limit 10.00 mil "
        "(0.254 mm)\tcopper of line 50 (D15) too close to the outline (line 15 of BOARD.GKO)\r\n"
        "Checked: holes on 2 layers, spacing and width on 2, edge\r\n"
        "Not checked: mask web (no solder mask layer), legend (no legend layer)\r\n"
        "Findings: 4, unplated-copper 1, edge 3\r\n"
        "[Board Check completed with findings]");
}

} // namespace fk::test
