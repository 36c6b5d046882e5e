// Fab Export's roles: each plot's default role, ending and X2 function, --role and the outline, one copper
// numbering across the files, and the role table's offers.
#include "app/context.hpp"
#include "board/shape.hpp"
#include "fab/model.hpp"
#include "fabexport.hpp"
#include "util/text.hpp"

#include <nlohmann/json.hpp>

using namespace fk;
using namespace fk::test;

namespace {

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

} // namespace
