// The ui model every front end shares: leaving a field, caption browsing, settings at start and close, the
// button table and the help page.
#include "model/buttons.hpp"
#include "model/fields.hpp"
#include "model/help.hpp"
#include "model/session.hpp"
#include "support.hpp"
#include "util/text.hpp"

namespace fk::test {

using model::Field;

class ModelTest : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        for (const char* dir : {"in", "dfn", "gc", "out", "w", "gui-run2"})
            fs::create_directories(path(dir));
    }
};

// Leaving a field tidies the text but never breaks a path to an existing directory (the temporary folder's
// name holds a dash, which cleaning drops).
TEST_F(ModelTest, LeavingAFieldKeepsExistingDirectories) {
    struct Case {
        Field field;
        std::string typed, left;
    };
    const std::string run2 = text("gui-run2");
    std::vector<Case> cases{
        {Field::fnamebase, "board.pcb", "board"},
        {Field::indatapath, "c:\\tango\\work\\", "C:\\TANGO\\WORK"},
        {Field::gcpvpath, "d:\\my.dir\\x", "D:\\MYDIR\\X"},
        {Field::dfnpath, run2, util::upper(run2)},
        {Field::outdatapath, "  " + run2 + "  ", util::upper(run2)},
        {Field::indatapath, run2 + "\\nothing-here", util::cleanpath(run2 + "\\nothing-here")},
    };
#ifndef _WIN32
    cases.push_back({Field::outdatapath, path("gui-run2").string(), util::upper(run2)});
    cases.push_back({Field::dfnpath, "/tmp/", "Z:\\TMP"});
    cases.push_back({Field::fnamebase, "/tmp/board-2.pcb", "board-2"});
#endif
    for (const auto& c : cases)
        EXPECT_EQ(model::leaveField(c.field, c.typed), c.left) << c.typed;
}

// Each caption opens the window in its own field's directory with its mask and title, and writes the chosen
// part into its target; the list captions browse nothing.
TEST_F(ModelTest, CaptionsBrowseFromTheirFieldIntoTheirTarget) {
    struct Case {
        int caption;
        std::string start, mask;
        Field target;
        std::string written;
    };
    const std::string anyFile = "Select any file in target directory...";
    const std::string w = util::upper(text("w"));
    const std::vector<Case> cases{
        {0, text("in"), "*.pcb", Field::fnamebase, "BOARD"}, {1, text("in"), "*.*", Field::indatapath, w},
        {2, text("dfn"), "*.*", Field::dfnpath, w},          {3, text("gc"), "*.*", Field::gcpvpath, w},
        {7, text("out"), "*.*", Field::outdatapath, w},
    };
    for (const auto& c : cases) {
        model::Session session(text("prog"));
        app::Fields f{.fnamebase = "OLD",
                      .indatapath = text("in"),
                      .dfnpath = text("dfn"),
                      .gcpvpath = text("gc"),
                      .outdatapath = text("out")};
        app::PickRequest seen;
        session.fileWindow = [&](const app::PickRequest& r) {
            seen = r;
            return model::PickOutcome{.chosen = text("w") + "\\Board.pcb", .browsedDirectory = text("w")};
        };
        EXPECT_TRUE(session.browse(c.caption, f));
        EXPECT_EQ(seen.startDirectory, c.start) << c.caption;
        EXPECT_EQ(seen.mask, c.mask) << c.caption;
        EXPECT_EQ(seen.title, c.caption ? anyFile : "Select file to process...") << c.caption;
        EXPECT_EQ(model::textOf(f, c.target), c.written) << c.caption;
    }
    model::Session session(text("prog"));
    int opened = 0;
    session.fileWindow = [&](const app::PickRequest&) {
        ++opened;
        return model::PickOutcome{};
    };
    app::Fields f;
    f.dfnpath = "KEEP";
    for (int caption : {4, 5, 6, 2})
        EXPECT_FALSE(session.browse(caption, f));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(f.dfnpath, "KEEP");
}

// A pick without a start directory opens where the user last browsed (never via the current directory); a
// start that does not exist opens the program directory.
TEST_F(ModelTest, PickerRemembersWhereTheUserBrowsed) {
    model::Session session(text("prog"));
    std::vector<std::string> starts;
    session.fileWindow = [&](const app::PickRequest& r) {
        starts.push_back(r.startDirectory);
        return model::PickOutcome{.chosen = "", .browsedDirectory = text("w")};
    };
    const std::string before = platform::currentDirectory();
    session.pickfile({.defaultName = "", .mask = "", .startDirectory = text("in"), .title = ""});
    session.pickfile({.defaultName = "", .mask = "", .startDirectory = "", .title = ""});
    session.pickfile({.defaultName = "", .mask = "", .startDirectory = text("none"), .title = ""});
    EXPECT_EQ(starts, (std::vector<std::string>{text("in"), text("w"), text("prog")}));
    EXPECT_EQ(platform::currentDirectory(), before);
}

// Settings: start fills the fields from the file, close writes them back with lines 9 to 100 untouched; a
// load problem is in the log at start, a save problem is returned for a message box.
TEST_F(ModelTest, SettingsRoundTripAndProblems) {
    write("prog/flashkit.ini", " 2\r\n 1\r\n 10\r\nBOARD\r\nZ:\\IN\r\n\r\n\r\n\r\nkeep me\r\n");
    model::Session session(text("prog"));
    app::Fields f = session.start();
    EXPECT_EQ(f.planes, 2);
    EXPECT_EQ(f.smswell, 10);
    EXPECT_EQ(f.indatapath, "Z:\\IN");
    f.fnamebase = "NEW";
    EXPECT_EQ(session.close(f), std::nullopt);
    std::vector<std::string> lines{" 2", " 1", " 10", "NEW", "Z:\\IN", "", "", "", "keep me"};
    lines.resize(100);
    EXPECT_EQ(read("prog/flashkit.ini"), crlfLines(lines));

    fs::create_directories(path("bad/flashkit.ini"));
    model::Session broken(text("bad"));
    broken.start();
    const std::string where = "\r\n<" + text("bad") + "\\flashkit.ini>";
    EXPECT_EQ(broken.log().text(), "The settings file could not be loaded, defaults are used:" + where);
    EXPECT_EQ(broken.close({}), "The settings could not be saved to:" + where);
}

// The button table: captions, command-line names and the files each job names; buttons without a job do
// nothing, not even to the log.
TEST_F(ModelTest, ButtonTable) {
    struct Case {
        int index;
        const char* caption;
        const char* name;
        const char* writes;
    };
    const Case cases[] = {
        {0, "PCB >> Aperture", "pcb2aperture", "DFN.BAK"},
        {2, "REP >> GerbView", "rep2prevue", "rck.rck"},
        {4, "PCB Processor", "pcbprocess", "x<name>"},
        {6, "NC1 >> 2,3,4", "ncdrill", "<base>.NC5"},
        {8, "Gerber Converter", "gerberconverter", "Aperture.new"},
        {9, "Vias >> Plane", "viaplane", "v<base>.PCB"},
        {10, "TangoDFN >> File", "dfn2file", "<base>.DFN"},
        {11, "File >> TangoDFN", "file2dfn", "PCB.DFN"},
    };
    for (const auto& c : cases) {
        const model::Command* byName = model::commandByName(c.name);
        ASSERT_TRUE(byName) << c.name;
        EXPECT_EQ(byName, model::commandByName(std::to_string(c.index)));
        EXPECT_EQ(byName->index, c.index);
        EXPECT_STREQ(byName->caption, c.caption);
        EXPECT_NE(std::string(byName->files).find(c.writes), std::string::npos) << c.name;
    }
    EXPECT_EQ(model::commands().size(), 18u);
    app::MessageLog log;
    log.show("before");
    app::JobContext context;
    context.services.log = &log;
    for (int quiet : {1, 3, 7, 12, 18, 19}) {
        EXPECT_EQ(model::dispatch(quiet, context), std::nullopt);
        EXPECT_EQ(model::commandByName(std::to_string(quiet)), nullptr);
    }
    EXPECT_EQ(log.text(), "before");
}

// The help names every button and field, where the settings live, the limits and the version.
TEST_F(ModelTest, HelpPage) {
    const std::string page = model::helpPage(text("prog"));
    std::vector<std::string> wanted{text("prog"), "flashkit.pt", "# Limits and decisions",
                                    "Flashkit " + std::string(model::version())};
    for (const auto& c : model::commands())
        wanted.push_back(c.caption);
    for (const auto& s : model::fieldSpecs())
        wanted.push_back(s.caption);
    for (const auto& w : wanted)
        EXPECT_NE(page.find(w), std::string::npos) << w;
    EXPECT_FALSE(model::version().empty());
}

} // namespace fk::test
