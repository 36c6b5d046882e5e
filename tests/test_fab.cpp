// "Fab Export": each PCB.DFN aperture as its RS-274-X aperture, the drill file's header and tool table, and
// the refusals that leave every file as it was.
#include "app/context.hpp"
#include "board/shape.hpp"
#include "fab/model.hpp"
#include "support.hpp"
#include "util/text.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <map>

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

// The example and a scratch set, exported through the command line.
class FabExport : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        copyFilesOf(fs::path(FLASHKIT_EXAMPLES) / "fab", path("in"));
        fs::create_directories(path("out"));
    }
    CliResult run(const std::string& picks = "TOP.GBR ,PLANE.GBR ,OUTLINE.GBR",
                  const std::string& out = "out", const std::vector<std::string>& more = {}) const {
        std::vector<std::string> args{"fabexport",
                                      "--base",
                                      "BOARD",
                                      "--input-path",
                                      text("in"),
                                      "--dfn-path",
                                      text("in"),
                                      "--output-path",
                                      text(out),
                                      "--pick",
                                      text("in") + "\\" + picks};
        args.insert(args.end(), more.begin(), more.end());
        return cli(args);
    }
    std::map<std::string, std::string> files() const { return filesIn({"in", "out"}); }
    ScopedVariable epoch_{"SOURCE_DATE_EPOCH", "1700000000"}; // 2023-11-14T22:13:20+00:00
};

// The attribute lines every file of an export of BOARD made at SOURCE_DATE_EPOCH 1700000000 starts with.
const char* const madeBoard = "2023-11-14T22:13:20+00:00";
Lines plotHead(const std::string& function, const std::string& polarity) {
    return {"%TF.GenerationSoftware,Flashkit,Fab Export," FLASHKIT_VERSION "*%",
            std::string("%TF.CreationDate,") + madeBoard + "*%",
            "%TF.ProjectId,BOARD,7acf620d-ee84-87eb-9f98-4d1a2ed211ac,rev?*%",
            "%TF.SameCoordinates,Original*%",
            "%TF.Part,Single*%",
            "%TF.FileFunction," + function + "*%",
            "%TF.FilePolarity," + polarity + "*%"};
}
Lines drillHead(const std::string& function) {
    return {"M48",
            std::string("; #@! TF.CreationDate,") + madeBoard,
            "; #@! TF.GenerationSoftware,Flashkit,Fab Export," FLASHKIT_VERSION,
            "; #@! TF.FileFunction," + function,
            "FMAT,2",
            "INCH,TZ"};
}
Lines joined(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

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

// Catches a role default, ending or X2 function read from the wrong row, or a copper layer misnumbered.
TEST(FabRoles, DefaultsEndingsAndAttributes) {
    struct Case {
        const char* plot;
        const char* role;
        const char* ending;
        const char* function; // on a board of 4 copper layers
        const char* polarity;
    } cases[] = {
        {"TOP.GBR", "top", "GTL", "Copper,L1,Top", "Positive"},
        {"bottom.pho", "bottom", "GBL", "Copper,L4,Bot", "Positive"},
        {"INNER3.GBR", "inner3", "", "Copper,L3,Inr", "Positive"},
        {"PLANE.GBR", "plane2", "", "Copper,L2,Inr,Plane", "Negative"},
        {"PLANE3.GBR", "plane3", "", "Copper,L3,Inr,Plane", "Negative"},
        {"SMT.GBR", "topmask", "GTS", "Soldermask,Top", "Negative"},
        {"SMB.GBR", "bottommask", "GBS", "Soldermask,Bot", "Negative"},
        {"SST.GBR", "topsilk", "GTO", "Legend,Top", "Positive"},
        {"SSB.GBR", "bottomsilk", "GBO", "Legend,Bot", "Positive"},
        {"SPT.GBR", "toppaste", "GTP", "Paste,Top", "Positive"},
        {"SPB.GBR", "bottompaste", "GBP", "Paste,Bot", "Positive"},
        {"OUTLINE.GBR", "outline", "GKO", "Profile,NP", "Positive"},
        {"BOARD.GBR", "outline", "GKO", "Profile,NP", "Positive"},
        {"PLANE1.GBR", "none", "", "", "Positive"},
        {"DRILL.GBR", "none", "", "", "Positive"},
    };
    for (const auto& c : cases) {
        const board::Role role = board::defaultRole(c.plot);
        EXPECT_EQ(board::textOf(role), c.role) << c.plot;
        EXPECT_EQ(board::endingOf(role), c.ending) << c.plot;
        EXPECT_EQ(fab::fileFunctionOf(role, 4), c.function) << c.plot;
        EXPECT_EQ(fab::polarityOf(role), c.polarity) << c.plot;
        if (role.layer != board::Layer::None) {
            EXPECT_EQ(board::roleOfText(c.role), role) << c.plot;
            // The board check reads the role back from the export's ending and its X2 attribute.
            if (*c.ending) {
                EXPECT_EQ(board::roleOfFileName(std::string("B.") + c.ending), role) << c.plot;
            }
            EXPECT_EQ(board::roleOfFunction(c.function), role) << c.plot;
        }
    }
    for (const char* bad : {"none", "inner1", "plane33", "inner", "top2", "plane-2"})
        EXPECT_FALSE(board::roleOfText(bad)) << bad;
    // Inner layers as Protel and Altium name them, counted from 1 below the top.
    for (const auto& [name, role] : std::vector<std::pair<const char*, const char*>>{{"B.G1", "inner2"},
                                                                                     {"B.g2", "inner3"},
                                                                                     {"B.GP1", "plane2"},
                                                                                     {"B.GP31", "plane32"},
                                                                                     {"B.G0", "none"},
                                                                                     {"B.GP0", "none"},
                                                                                     {"B.G32", "none"},
                                                                                     {"B.G2L", "inner2"}})
        EXPECT_EQ(board::textOf(board::roleOfFileName(name)), role) << name;
}

// Catches a --role not applied, a missing outline not refused, or the extent outline drawn elsewhere than
// its stated margin around the plots.
TEST_F(FabExport, RolesAndOutline) {
    struct Case {
        const char* name;
        std::string picks;
        std::vector<std::string> options;
        int status;
        std::string file, refusal; // a file written, or the refusal's first line
    } cases[] = {
        {"outline around the extent", "TOP.GBR ,PLANE.GBR", {"--outline", "extent"}, 0, "out/BOARD.GKO", ""},
        {"no point to draw around",
         "EMPTY.GBR",
         {"--outline", "extent", "--role", "EMPTY=top"},
         1,
         "",
         "The plots hold no point to draw an outline around; no file was written."},
        {"inner copper",
         "TOP.GBR ,PLANE.GBR ,OUTLINE.GBR",
         {"--role", "PLANE=inner2"},
         0,
         "out/BOARD.GBL",
         ""},
        {"no outline",
         "TOP.GBR ,PLANE.GBR",
         {},
         1,
         "",
         "No picked plot is the board outline, which a board house needs."},
        {"no role",
         "TOP.GBR ,OUTLINE.GBR",
         {"--role=top.gbr=none"},
         1,
         "",
         "The plot TOP.GBR has no role (\"none\")."},
        {"plane below the copper",
         "TOP.GBR ,PLANE.GBR ,OUTLINE.GBR",
         {"--role", "PLANE.GBR=plane3"},
         1,
         "",
         "The plot PLANE.GBR is plane3, which no copper layer of 2 copper plots is, or another plot's."},
        {"plane on the bottom's layer",
         "TOP.GBR ,PLANE.GBR ,OUTLINE.GBR",
         {"--role", "PLANE.GBR=plane3", "--role", "OUTLINE=bottom", "--outline", "extent"},
         1,
         "",
         "The plot PLANE.GBR is plane3, which no copper layer of 3 copper plots is, or another plot's."},
        {"two plots one layer",
         "TOP.GBR ,PLANE.GBR ,OUTLINE.GBR",
         {"--role", "TOP=plane2"},
         1,
         "",
         "The plot PLANE.GBR is plane2, which no copper layer of 2 copper plots is, or another plot's."},
        {"role for no plot",
         "TOP.GBR ,OUTLINE.GBR",
         {"--role", "SMT=topmask"},
         1,
         "",
         "Fab Export was cancelled; nothing was written."},
        // A plot is named whole or without its last extension, in any case; not by a shorter part.
        {"name of two dots without its extension",
         "TOP.v2.GBR ,OUTLINE.GBR",
         {"--role", "top.V2=none"},
         1,
         "",
         "The plot TOP.v2.GBR has no role (\"none\")."},
        {"name of two dots whole",
         "TOP.v2.GBR ,OUTLINE.GBR",
         {"--role", "TOP.V2.gbr=none"},
         1,
         "",
         "(\"none\")."},
        {"name of two dots cut at its first dot",
         "TOP.v2.GBR ,OUTLINE.GBR",
         {"--role", "TOP=none"},
         1,
         "",
         "Fab Export was cancelled; nothing was written."},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        write("in/EMPTY.GBR", crlfLines({"%FSLAX23Y23*%", "%MOIN*%", "M02*"})); // an empty layer
        write("in/TOP.v2.GBR", read("in/TOP.GBR"));
        const auto before = files();
        const CliResult r = run(c.picks, "out", c.options);
        EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.log;
        if (c.status == 0) {
            EXPECT_TRUE(exists(c.file)) << c.name;
            continue;
        }
        EXPECT_NE(r.log.find(c.refusal), std::string::npos) << c.name << "\n" << r.log;
        EXPECT_EQ(files(), before) << c.name;
    }
    TearDown();
    SetUp();
    ASSERT_EQ(run("TOP.GBR ,PLANE.GBR", "out", {"--outline", "extent"}).status, 0);
    EXPECT_EQ(read("out/BOARD.GKO"),
              crlfLines(joined(plotHead("Profile,NP", "Positive"),
                               {"%FSLAX26Y26*%", "%MOIN*%", "%ADD10C,0.01*%", "G01*", "D10*", "X0Y100000D02*",
                                "X1500000Y100000D01*", "X1500000Y1000000D01*", "X0Y1000000D01*",
                                "X0Y100000D01*", "M02*"})));
}

// One copper numbering in the plots, the job file and the drill files, from the top (L1) to the bottom (the
// last); without bottom copper the deepest layer is the bottom side, never an inner layer on the outside.
// Inner layers are named as Protel names them (whats-that-gerber reads .G<k> and .GP<k> as inner copper).
// Catches a layer misnumbered in one file, a wrong side or ending, and a stack-up that does not add up.
TEST_F(FabExport, OneCopperNumberingAcrossFiles) {
    struct Case {
        std::vector<std::string> roles;
        std::vector<std::pair<std::string, std::string>> files; // ending, X2 file function
    } cases[] = {
        {{"top", "plane2"}, {{"GTL", "Copper,L1,Top"}, {"GBL", "Copper,L2,Bot,Plane"}}},
        {{"top", "inner2"}, {{"GTL", "Copper,L1,Top"}, {"GBL", "Copper,L2,Bot"}}},
        {{"bottom"}, {{"GBL", "Copper,L1,Bot"}}},
        {{"bottom", "inner3", "plane2", "top"},
         {{"GBL", "Copper,L4,Bot"},
          {"G1", "Copper,L3,Inr"},
          {"GP1", "Copper,L2,Inr,Plane"},
          {"GTL", "Copper,L1,Top"}}},
        {{"top", "inner2", "plane3", "inner4", "plane5", "bottom"},
         {{"GTL", "Copper,L1,Top"},
          {"G1", "Copper,L2,Inr"},
          {"GP1", "Copper,L3,Inr,Plane"},
          {"G2", "Copper,L4,Inr"},
          {"GP2", "Copper,L5,Inr,Plane"},
          {"GBL", "Copper,L6,Bot"}}},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        std::string picks;
        std::vector<std::string> options{"--outline", "extent"};
        for (size_t i = 0; i < c.roles.size(); ++i) {
            const std::string name = "P" + std::to_string(i + 1);
            write("in/" + name + ".GBR", read("in/TOP.GBR"));
            picks += (i ? " ," : "") + name + ".GBR";
            options.insert(options.end(), {"--role", name + "=" + c.roles[i]});
        }
        const CliResult r = run(picks, "out", options);
        ASSERT_EQ(r.status, 0) << r.log;
        const auto job = nlohmann::json::parse(read("out/BOARD.gbrjob"));
        const int layers = static_cast<int>(c.roles.size());
        EXPECT_EQ(job["GeneralSpecs"]["LayerNumber"], layers) << picks;
        std::map<std::string, std::string> listed;
        for (const auto& f : job["FilesAttributes"])
            listed[f["Path"]] = f["FileFunction"];
        for (const auto& [ending, function] : c.files) {
            const std::string file = "out/BOARD." + ending;
            EXPECT_NE(read(file).find("%TF.FileFunction," + function + "*%"), std::string::npos) << file;
            EXPECT_EQ(listed["BOARD." + ending], function) << file;
        }
        const std::string span = "1," + std::to_string(layers) + ",PTH";
        EXPECT_EQ(listed["BOARD-PTH.drl"], "Plated," + span);
        EXPECT_NE(read("out/BOARD-PTH.drl").find("; #@! TF.FileFunction,Plated," + span), std::string::npos);
        // Copper and dielectrics add up to the board's 1.6 mm, in micrometres.
        int copper = 0, micrometres = 0;
        for (const auto& l : job["MaterialStackup"]) {
            copper += l["Type"] == "Copper";
            micrometres += static_cast<int>(std::lround(l["Thickness"].get<double>() * 1000));
        }
        EXPECT_EQ(copper, layers) << picks;
        EXPECT_EQ(micrometres, 1600) << picks;
    }
}

// Catches the board thickness or the design rules taken from the wrong source (the option before the settings
// file before the default), a thickness out of range or a board too thin for its copper stack not refused.
TEST_F(FabExport, JobFileStatesThicknessAndRules) {
    struct Case {
        std::vector<std::string> options;
        std::string settings; // flashkit.ini's first line
        double thickness, spacing;
        std::string refusal; // the whole refusal ("@" the settings file), or "" when the export runs
    };
    const std::string expected = "\r\nExpected: millimetres from 0.2 to 10 (1.6). No file was written.";
    const Case cases[] = {
        {{}, "", 1.6, 0.2032, ""},
        {{"--thickness", "0.8", "--clearance", "0.15mm"}, "", 0.8, 0.15, ""},
        {{}, "FABEXPORT_THICKNESS=2.4", 2.4, 0.2032, ""},
        {{"--thickness", "10", "--clearance", "6"}, "fabexport_thickness=2.4", 10, 0.1524, ""},
        {{"--thickness", "0.1"},
         "",
         0,
         0,
         "The board thickness of --thickness is no thickness: 0.1" + expected},
        {{"--thickness", "10.001"},
         "",
         0,
         0,
         "The board thickness of --thickness is no thickness: 10.001" + expected},
        {{},
         "FABEXPORT_THICKNESS=2.4x\r\nFABEXPORT_THICKNESS=1.6mm",
         0,
         0,
         "The board thickness of @ line 1 is no thickness: 2.4x" + expected},
        {{},
         "; the board house's\r\nfabexport_thickness=1.6mm",
         0,
         0,
         "The board thickness of @ line 2 is no thickness: 1.6mm" + expected},
        {{"--thickness", "0.2", "--role", "OUTLINE=bottom", "--outline", "extent"},
         "",
         0,
         0,
         "A board of 0.2 mm cannot hold 4 copper layers of 0.035 mm with their dielectrics.\r\nNo file was "
         "written; give a thicker board (--thickness, FABEXPORT_THICKNESS) and re-try."},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        write("prog/flashkit.ini", crlfLines({c.settings}));
        write("in/INNER3.GBR", read("in/TOP.GBR"));
        const auto before = files();
        const CliResult r = run("TOP.GBR ,PLANE.GBR ,INNER3.GBR ,OUTLINE.GBR", "out", c.options);
        if (!c.refusal.empty()) {
            std::string refusal = c.refusal;
            if (const size_t at = refusal.find('@'); at != std::string::npos)
                refusal.replace(at, 1, text("prog") + "\\flashkit.ini");
            EXPECT_EQ(r.status, 1) << c.refusal;
            EXPECT_NE(r.log.find(refusal), std::string::npos) << r.log;
            EXPECT_EQ(files(), before) << c.refusal;
            continue;
        }
        ASSERT_EQ(r.status, 0) << r.log;
        const auto job = nlohmann::json::parse(read("out/BOARD.gbrjob"));
        EXPECT_EQ(job["GeneralSpecs"]["BoardThickness"].get<double>(), c.thickness) << c.settings;
        for (const char* rule : {"PadToPad", "PadToTrack", "TrackToTrack", "TrackToRegion", "RegionToRegion"})
            EXPECT_EQ(job["DesignRules"][0][rule].get<double>(), c.spacing) << rule;
    }
}

// Catches a date off by a day, a month or a year at the turns of the calendar, in the files' ISO date or the
// zip entries' date and time, and an epoch outside what a zip entry holds being taken.
TEST(FabDates, FromSourceDateEpoch) {
    struct Case {
        const char* epoch;
        std::string iso, zipped; // zipped: the first entry's date and time as the zip holds them, to 2 s
    } cases[] = {
        {"315532800", "1980-01-01T00:00:00+00:00", "1980-01-01 00:00:00"},
        {"951868799", "2000-02-29T23:59:59+00:00", "2000-02-29 23:59:58"},
        {"951868800", "2000-03-01T00:00:00+00:00", "2000-03-01 00:00:00"},
        {"1735689599", "2024-12-31T23:59:59+00:00", "2024-12-31 23:59:58"},
        {"4107542399", "2100-02-28T23:59:59+00:00", "2100-02-28 23:59:58"},
        {"4354819199", "2107-12-31T23:59:59+00:00", "2107-12-31 23:59:58"},
        {"315532799", "", ""},
        {"4354819200", "", ""},
        {"", "", ""},
        {" 1700000000", "", ""},
        {"1.7e9", "", ""},
    };
    for (const auto& c : cases) {
        ScopedVariable epoch("SOURCE_DATE_EPOCH", c.epoch);
        try {
            const auto epochSeconds = fab::sourceDateEpoch();
            if (!epochSeconds)
                continue; // Windows keeps no empty variable: "" unset it
            const std::int64_t seconds = *epochSeconds;
            EXPECT_EQ(fab::isoDate(seconds), c.iso) << c.epoch;
            const std::string zip = fab::zipOf({{"A.GBR", "x"}}, seconds);
            const auto word = [&](size_t at) {
                return std::uint8_t(zip[at]) | std::uint8_t(zip[at + 1]) << 8;
            };
            const int time = word(10), date = word(12); // the first local header's DOS time and date
            char zipped[32];
            std::snprintf(zipped, sizeof zipped, "%04d-%02d-%02d %02d:%02d:%02d", 1980 + (date >> 9),
                          date >> 5 & 15, date & 31, time >> 11, time >> 5 & 63, (time & 31) * 2);
            EXPECT_EQ(zipped, c.zipped) << c.epoch;
        } catch (const app::JobStop& stop) {
            EXPECT_EQ(stop.message, std::string("SOURCE_DATE_EPOCH is ") + c.epoch +
                                        ", which is no whole number of seconds from 1980 to 2107:\r\n"
                                        "No file was written; correct it or unset it and re-try.");
            EXPECT_EQ(c.iso, "") << c.epoch;
        }
    }
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

// The role table offers each picked set only the roles it can take: inner layers and planes numbered up to
// the number of plots; a plot whose name holds two dots keeps it whole; the option is moot once a plot is the
// outline, and a refusal for no outline names the table's own box.
TEST_F(FabExport, RoleTableOffersWhatFits) {
    app::TableRequest seen;
    app::MessageLog log;
    app::Fields fields;
    fields.fnamebase = "BOARD";
    fields.outdatapath = text("out");
    app::Services services;
    services.log = &log;
    app::JobContext context{.fields = fields, .programDir = text("prog"), .services = services};
    context.services.editTable = [&seen](app::TableRequest& r) {
        seen = r;
        for (auto& row : r.rows)
            if (row.name == "EDGE.v2.GBR")
                row.choice = "outline";
        return true;
    };
    fs::copy_file(path("in/OUTLINE.GBR"), path("in/EDGE.v2.GBR"));
    const auto a = fab::assignRoles(context, text("in") + "\\TOP.GBR ,EDGE.v2.GBR");
    EXPECT_EQ(seen.rows[1].name, "EDGE.v2.GBR");
    EXPECT_EQ(seen.optionMootBy, "outline");
    const auto offered = [&seen](const char* role) {
        return std::find(seen.choices.begin(), seen.choices.end(), role) != seen.choices.end();
    };
    EXPECT_TRUE(offered("top") && offered("inner2") && offered("plane2") && offered("outline"));
    EXPECT_FALSE(offered("inner3") || offered("plane3") || offered("plane32"));
    (void)fab::assignRoles(context, text("in") + "\\TOP.GBR ,PLANE.GBR ,EDGE.v2.GBR");
    EXPECT_TRUE(offered("plane3"));
    EXPECT_FALSE(offered("plane4"));
    try {
        (void)fab::assignRoles(context, text("in") + "\\TOP.GBR ,PLANE.GBR");
        ADD_FAILURE() << "no outline, no box ticked";
    } catch (const app::JobStop& stop) {
        EXPECT_EQ(stop.message,
                  util::lines({"No picked plot is the board outline, which a board house needs.",
                               "No file was written; give a plot the role outline, or tick \"No "
                               "plot is the outline: draw one 100 mils around the plots\" in the "
                               "role table (--outline extent on the command line) and re-try."}));
    }
    (void)a;
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
