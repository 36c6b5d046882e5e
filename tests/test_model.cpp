// The ui model every front end shares: leaving a field, caption browsing, settings at start and close, the
// button table and the help page.
#include "model/buttons.hpp"
#include "model/columns.hpp"
#include "model/fields.hpp"
#include "model/help.hpp"
#include "model/markdowntext.hpp"
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

fs::path utf8Path(const std::string& name) {
    return fs::path(std::u8string(name.begin(), name.end()));
}

// Leaving a path field tidies its text only where the tidied text names the same folder, else keeps it as
// typed; "TangoDFN >> File" then writes into the typed folder or refuses, never into another folder. The
// folders lie in a base whose own name survives tidying, so that tidied texts can name existing folders.
TEST_F(ModelTest, LeavingAFieldNeverNamesAnotherFolder) {
    const fs::path base = fs::temp_directory_path() / ("fkfields" + std::to_string(std::random_device{}()));
    const std::string b = platform::toPathText(base), up = util::upper(b);
    if (util::cleanpath(b) != up)
        GTEST_SKIP() << "the temporary folder's name does not survive tidying: " << b;
    const std::vector<std::string> dirs{"OUT",    "out final",        "fresh-out",
                                        "my.dir", "\xc3\xa4rger dir", "Work"};
    for (const auto& d : dirs)
        fs::create_directories(base / utf8Path(d));
    struct Case {
        Field field;
        std::string typed, left;
        const char* lands; // where BOARD.DFN then lands; "" when the job refuses; nullptr: no job run
    };
    std::vector<Case> cases{
        {Field::indatapath, b + "\\out final", b + "\\out final", "out final"},
        {Field::indatapath, b + "\\out new", b + "\\out new", ""},
        {Field::indatapath, b + "\\o.ut\\", b + "\\o.ut\\", ""},
        {Field::indatapath, "  " + b + "\\fresh-out  ", b + "\\fresh-out", "fresh-out"},
        {Field::indatapath, b + "\\my.dir", b + "\\my.dir", "my.dir"},
        {Field::indatapath, b + "\\work\\\\", up + "\\WORK", "Work"},
        {Field::indatapath, b + "\\later\\\\sub\\", up + "\\LATER\\SUB", ""},
        {Field::dfnpath, "c:\\tango\\\\work\\", "C:\\TANGO\\WORK", nullptr},
        {Field::gcpvpath, "fresh-new", "fresh-new", nullptr},
        {Field::gcpvpath, "later\\", "later\\", nullptr}, // relative, not there: no drive says it is the same
        {Field::outdatapath, "\\\\server\\share", "\\\\server\\share", nullptr},
        {Field::outdatapath, "d:\\my.dir\\x", "d:\\my.dir\\x", nullptr},
        {Field::fnamebase, "board.pcb", "board", nullptr},
    };
#ifndef _WIN32 // Windows reaches names outside its ANSI code page only once its file calls are wide
    cases.push_back(
        {Field::indatapath, b + "\\\xc3\xa4rger dir", b + "\\\xc3\xa4rger dir", "\xc3\xa4rger dir"});
    cases.push_back({Field::indatapath, base.string() + "/out final", b + "\\out final", "out final"});
    cases.push_back({Field::dfnpath, "/tmp/", "Z:\\TMP", nullptr});
    cases.push_back({Field::dfnpath, "z:\\", "z:\\", nullptr}); // "Z:" is the current folder, not the root
    cases.push_back({Field::fnamebase, "/tmp/board-2.pcb", "board-2", nullptr});
#endif
    write("dfn/PCB.DFN", "PCB.DFN bytes\r\n");
    for (const auto& c : cases) {
        const std::string left = model::leaveField(c.field, c.typed);
        EXPECT_EQ(left, c.left) << c.typed;
        if (!c.lands)
            continue;
        model::Session session(text("prog"));
        app::Fields f;
        f.fnamebase = "BOARD";
        f.indatapath = left;
        f.dfnpath = text("dfn");
        session.press(10, f);
        if (!*c.lands) {
            EXPECT_EQ(session.log().text(), "Invalid xxx.DFN destination file path, correct and re-try");
        }
        for (const auto& d : dirs) {
            const fs::path written = base / utf8Path(d) / "BOARD.DFN";
            EXPECT_EQ(fs::exists(written), d == c.lands) << c.typed << " wrote into " << d;
            fs::remove(written);
        }
    }
    fs::remove_all(base);
}

// Each caption opens the window in its own field's directory with its mask and title, and writes the chosen
// part into its target; the base name's browse also points the input data path at the chosen file's folder,
// so that the next job reads that folder's design. The list captions browse nothing.
TEST_F(ModelTest, CaptionsBrowseFromTheirFieldIntoTheirTarget) {
    struct Case {
        int caption;
        std::string start, mask;
        Field target;
        std::string written, indatapath;
    };
    const std::string anyFile = "Select any file in target directory...";
    const std::string w = util::upper(text("w")), in = text("in");
    const std::vector<Case> cases{
        {0, in, "*.pcb", Field::fnamebase, "BOARD", w},     {1, in, "*.*", Field::indatapath, w, w},
        {2, text("dfn"), "*.*", Field::dfnpath, w, in},     {3, text("gc"), "*.*", Field::gcpvpath, w, in},
        {7, text("out"), "*.*", Field::outdatapath, w, in},
    };
    for (const auto& c : cases) {
        model::Session session(text("prog"));
        app::Fields f{.fnamebase = "OLD",
                      .indatapath = in,
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
        EXPECT_EQ(f.indatapath, c.indatapath) << c.caption;
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

// A file dropped onto the base name acts as its browse; a base name chosen in the folder the input data path
// already names keeps that text; a directory dropped onto the base name does nothing.
TEST_F(ModelTest, DropsActAsTheCaptionsBrowse) {
    const std::string in = text("in"), w = util::upper(text("w"));
    app::Fields f;
    f.fnamebase = "OLD";
    f.indatapath = in;
    f.dfnpath = "D";
    EXPECT_FALSE(model::dropInto(Field::fnamebase, text("w"), true, f));
    EXPECT_FALSE(model::dropInto(Field::planes, text("w") + "\\a.pcb", false, f));
    EXPECT_TRUE(model::dropInto(Field::fnamebase, util::upper(in) + "\\Top.pcb", false, f));
    EXPECT_EQ(f.fnamebase + " " + f.indatapath + " " + f.dfnpath, "TOP " + in + " D");
    EXPECT_TRUE(model::dropInto(Field::fnamebase, text("w") + "\\b.pcb", false, f));
    EXPECT_TRUE(model::dropInto(Field::dfnpath, text("gc"), true, f));
    EXPECT_EQ(f.fnamebase + " " + f.indatapath + " " + f.dfnpath, "B " + w + " " + util::upper(text("gc")));
    EXPECT_TRUE(model::dropInto(Field::fnamebase, "Z:\\Root.pcb", false, f)); // a drive's root keeps its "\\"
    EXPECT_EQ(f.fnamebase + " " + f.indatapath, "ROOT Z:\\");
#ifndef _WIN32
    fs::create_directories(path("x2"));
    fs::create_directories(path("X2")); // upper-cased, "x2" would name this sibling
    EXPECT_TRUE(model::dropInto(Field::gcpvpath, text("x2"), true, f));
    EXPECT_EQ(f.gcpvpath, text("x2"));
#endif
    // A name with a dash, dot or letter outside ASCII stays as it is on disk.
    for (const std::string name : {"nc-lz", "v1.2", "\xc3\xa4rger"}) {
        const fs::path dir = path("x").parent_path() / utf8Path(name);
        fs::create_directories(dir);
        EXPECT_TRUE(model::dropInto(Field::outdatapath, platform::toPathText(dir), true, f));
        EXPECT_EQ(f.outdatapath, platform::toPathText(dir));
    }
}

// A pick without a start directory opens where the user last browsed (never via the current directory), which
// a window closed without browsing leaves as it was; a start that does not exist opens the program directory.
TEST_F(ModelTest, PickerRemembersWhereTheUserBrowsed) {
    model::Session session(text("prog"));
    std::vector<std::string> starts;
    session.fileWindow = [&](const app::PickRequest& r) {
        starts.push_back(r.startDirectory);
        return model::PickOutcome{.chosen = "", .browsedDirectory = starts.size() == 1 ? text("w") : ""};
    };
    const std::string before = platform::currentDirectory();
    session.pickfile({.mask = "", .startDirectory = text("in"), .title = ""});
    session.pickfile({.mask = "", .startDirectory = "", .title = ""});
    session.pickfile({.mask = "", .startDirectory = text("none"), .title = ""});
    session.pickfile({.mask = "", .startDirectory = "", .title = ""});
    EXPECT_EQ(starts, (std::vector<std::string>{text("in"), text("w"), text("prog"), text("w")}));
    EXPECT_EQ(platform::currentDirectory(), before);
}

// Settings: start fills the fields from the file, close writes them back (a read-only file too) with lines 9
// to 100 untouched and a longer file cut at 100; a load problem is in the log at start, a save problem is
// returned for a message box.
TEST_F(ModelTest, SettingsRoundTripAndProblems) {
    Lines lines = {" 2", " 1", " 10", "BOARD", "Z:\\IN", "Z:\\D", "Z:\\G", "Z:\\O"};
    for (int i = 9; i <= 120; ++i)
        lines.push_back("line " + std::to_string(i) + " \t\x01 keep");
    write("prog/flashkit.ini", crlfLines(lines));
    model::Session session(text("prog"));
    app::Fields f = session.start();
    EXPECT_EQ(std::tuple(f.planes, f.smenable, f.smswell, f.indatapath, f.outdatapath),
              std::tuple(2, 1, 10, std::string("Z:\\IN"), std::string("Z:\\O")));
    f.fnamebase = "NEW";
    fs::permissions(path("prog/flashkit.ini"), fs::perms::owner_read); // saved all the same
    EXPECT_EQ(session.close(f), std::nullopt);
    lines[3] = "NEW";
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
        {12, "Board Check", "boardcheck", "Writes nothing"},
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
    for (int quiet : {1, 5, 7, 13, 18, 19}) {
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

    // As text for a plain text box: no Markdown mark left at a line's start, every character whole, every
    // heading of the page once.
    const std::string laid = model::markdownAsText(page);
    for (const char* raw : {"\n#", "\n|", "```", "\xef\xbf\xbd", "**"})
        EXPECT_EQ(laid.find(raw), std::string::npos) << raw;
    EXPECT_EQ(laid.find("\r\nThe desktop program\r\n"), laid.rfind("\r\nThe desktop program\r\n"));
    EXPECT_EQ(model::markdownAsText("# Top\n\nSome `code` and [a link](x.md).\n\n"
                                    "| Key | Meaning |\n|---|:--|\n| `A` | Ä b |\n\n- one\n  - two\n"
                                    "```\n| kept |\n```"),
              "Top\r\n===\r\n\r\nSome code and a link.\r\n\r\nKey  Meaning\r\n---  -------\r\n"
              "A    \xc3\x84 b\r\n\r\n\xe2\x80\xa2 one\r\n  \xe2\x80\xa2 two\r\n    | kept |\r\n");
    // Paragraphs and items joined into one line each, for the box to wrap; code keeps its backslashes.
    EXPECT_EQ(model::markdownAsText("A paragraph\nthat goes on.\n\n- an item\n  that goes on\n"
                                    "- next `C:\\W` \\<x\\>\n1. first\n2. second\n"),
              "A paragraph that goes on.\r\n\r\n\xe2\x80\xa2 an item that goes on\r\n\xe2\x80\xa2 next C:\\W "
              "<x>\r\n1. first\r\n2. second\r\n");
    // The whole page, section by section: every heading, every code span where it belongs.
    EXPECT_EQ(lostFromPage(page, laid), std::vector<std::string>{});
}

} // namespace fk::test

namespace fk::test {
namespace {

// The log as the windows show it: a field never runs into the next where a tab stop would fall inside it;
// runs of tabbed lines line up among themselves, other lines and the line breaks stay as they are.
TEST(LogInColumns, TabbedRunsLineUp) {
    struct Case {
        std::string log, shown;
    };
    const Case cases[] = {
        {"Aperture file processed:\t 3 codes found.\r\nDescreet apertures found:\t 4\r\nWriting with new "
         "codes:\tOK",
         "Aperture file processed:    3 codes found.\r\nDescreet apertures found:   4\r\nWriting with new "
         "codes:    OK"},
        {"[Reading]\r\nPLANE.GBR\tX 1.0000\r\nplane2:\t4 apertures\r\nend\r\nÖ\tx\r\n",
         "[Reading]\r\nPLANE.GBR  X 1.0000\r\nplane2:    4 apertures\r\nend\r\nÖ  x\r\n"},
        {"no tabs at all", "no tabs at all"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(model::logInColumns(c.log), c.shown) << c.log;
}

} // namespace
} // namespace fk::test
