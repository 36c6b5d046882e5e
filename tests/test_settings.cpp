#include "app/settings.hpp"
#include "model/tablememory.hpp"
#include "model/windowplace.hpp"
#include "support.hpp"

using namespace fk;
using namespace fk::test;

namespace {

class SettingsTest : public Scratch {};

Lines hundred(Lines first) {
    first.resize(100);
    return first;
}

// Catches a missing or empty settings file not recreated with its two empty lines, saved short, or an
// unknown command taken for one.
TEST_F(SettingsTest, FirstStartCreatesTwoEmptyLinesAndSavesHundred) {
    for (bool emptyFile : {false, true}) {
        fs::remove(path("prog/flashkit.ini"));
        if (emptyFile)
            write("prog/flashkit.ini", "");
        app::SettingsTable table(text("prog"));
        table.settingsfile("reload"); // an unknown command does nothing
        EXPECT_EQ(exists("prog/flashkit.ini"), emptyFile);
        EXPECT_EQ(table.settingsfile("LOAD"), std::nullopt);
        EXPECT_EQ(read("prog/flashkit.ini"), "\r\n\r\n");
        app::Fields f = table.fields();
        EXPECT_EQ(f.planes, 0);
        EXPECT_EQ(f.fnamebase, "");
        table.setFields(f);
        EXPECT_EQ(table.settingsfile("Save"), std::nullopt);
        EXPECT_EQ(read("prog/flashkit.ini"), crlfLines(hundred({" 0", " 0", " 0"})));
    }
}

// Catches a short file's lines read past its end as anything but empty, or saved short; or the file neither
// loaded nor saved when the program's folder has a name outside the ANSI code page. (A long file, and the
// fields in their lines, go through the session in the model test.)
TEST_F(SettingsTest, ShortFileIsSavedWithAHundredLines) {
    for (const char* folder : {"prog", "Ωμέγα-Кириллица-漢字"}) {
        const fs::path ini = root_ / platform::hostPathOfUtf8(folder) / "flashkit.ini";
        writeBytes(ini, crlfLines({" 1", "", folder}));
        app::SettingsTable shortTable(platform::toPathText(ini.parent_path()));
        shortTable.load();
        EXPECT_EQ(shortTable.line(3), folder);
        EXPECT_EQ(shortTable.line(4), "");
        shortTable.save();
        EXPECT_EQ(readBytes(ini), crlfLines(hundred({" 1", "", folder})));
    }
}

// Catches an index outside its list (the list size itself included) selecting anything but the first entry.
TEST(ListIndex, FromSettingsLines) {
    struct Case {
        std::string line;
        int size, index;
    } cases[] = {{" 10", 11, 10}, {"2abc", 3, 2},   {"", 3, 0},    {" 3", 3, 0},
                 {" 11", 11, 0},  {"-1", 3, 0},     {"1.5", 3, 2}, {"0.5", 2, 0},
                 {" 1", 2, 1},    {"99999", 11, 0}, {"x1", 3, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(app::listIndexFromLine(c.line, c.size), c.index) << c.line << " of " << c.size;
}

// Catches: a kept window place read back with a field swapped, or a file that makes no window (too small, a
// word too many, a broken number) used all the same.
TEST_F(SettingsTest, WindowPlaceKeptAndCheckedAtStart) {
    const char* file = model::win32WindowPlaceFile;
    ASSERT_TRUE(model::saveWindowPlace(
        text("prog"), file, {.left = -8, .top = 10, .right = 92, .bottom = 110, .maximized = true}));
    EXPECT_EQ(read("prog/flashkit-win32-window.ini"), "-8 10 92 110 1\r\n");
    const auto place = model::loadWindowPlace(text("prog"), file);
    ASSERT_TRUE(place);
    EXPECT_EQ((std::vector<int>{place->left, place->top, place->right, place->bottom}),
              (std::vector<int>{-8, 10, 92, 110})); // the smallest window: 100 by 100
    EXPECT_TRUE(place->maximized);
    for (const char* unusable : {"0 0 99 500 0", "0 0 500 99 0", "0 0 500 500 2", "0 0 500 500",
                                 "0 0 500 500 0 7", "0 0 5x0 500 0", "0 0 500 200000 0", ""}) {
        write("prog/flashkit-win32-window.ini", std::string(unusable) + "\r\n");
        EXPECT_FALSE(model::loadWindowPlace(text("prog"), file)) << unusable;
    }
    EXPECT_FALSE(model::saveWindowPlace(text("nowhere"), file, {}));
}

// Catches a place kept on a larger screen left partly off a smaller one, a window grown or moved although it
// fits, or one side pulled in without the other.
TEST(WindowPlace, PulledFullyOntoTheScreen) {
    const model::ScreenArea small{.left = 0, .top = 0, .right = 1024, .bottom = 738};
    const model::FrameMargins titled{.left = 4, .top = 24, .right = 4, .bottom = 4};
    const struct {
        model::WindowPlace kept;
        model::ScreenArea area;
        std::vector<int> fitted;
        model::FrameMargins frame = {};
    } cases[] = {
        {{.left = 100, .top = 50, .right = 880, .bottom = 610}, small, {100, 50, 880, 610}},
        {{.left = 1500, .top = 900, .right = 2280, .bottom = 1460}, small, {244, 178, 1024, 738}},
        {{.left = -300, .top = -20, .right = 480, .bottom = 540}, small, {0, 0, 780, 560}},
        {{.left = 0, .top = 0, .right = 1900, .bottom = 1100}, small, {0, 0, 1024, 738}},
        {{.left = 10, .top = 10, .right = 790, .bottom = 570},
         {.left = 1920, .top = 0, .right = 3200, .bottom = 1024},
         {1920, 10, 2700, 570}},
        {{.left = 5, .top = 6, .right = 700, .bottom = 500}, {}, {5, 6, 700, 500}},
        // The inside of a window kept on 1280 x 1024, on 1024 x 768 with its title bar and borders: the whole
        // window on the screen, not 24 pixels of it below.
        {{.left = 4, .top = 24, .right = 1276, .bottom = 1020},
         {.left = 0, .top = 0, .right = 1024, .bottom = 768},
         {4, 24, 1020, 764},
         titled},
        {{.left = 100, .top = 30, .right = 880, .bottom = 590}, small, {100, 30, 880, 590}, titled},
        {{.left = 100, .top = 0, .right = 880, .bottom = 560}, small, {100, 24, 880, 584}, titled},
    };
    for (const auto& c : cases) {
        const model::WindowPlace f = model::fitOnto(c.kept, c.area, c.frame);
        EXPECT_EQ((std::vector<int>{f.left, f.top, f.right, f.bottom}), c.fitted) << c.kept.left;
    }
}

} // namespace

namespace {

// Catches a design's roles recalled for another design, an offered choice not taken back, or the newest
// design not kept first.
TEST_F(SettingsTest, TableAnswersRememberedPerDesign) {
    app::SettingsTable table(text("prog"));
    const auto request = [](const std::string& key) {
        return app::TableRequest{.key = key,
                                 .choices = {"none", "top", "plane2"},
                                 .rows = {{"TOP.GBR", "top"}, {"PLANE.GBR", "plane2"}}};
    };
    auto a = request("A");
    a.rows[0].choice = "plane2";
    a.option = true;
    model::rememberTable(table, a);
    auto b = request("B");
    b.rows[1].choice = "none";
    model::rememberTable(table, b);
    EXPECT_EQ(table.line(81), "TABLE B|TOP.GBR=top|PLANE.GBR=none|0");
    EXPECT_EQ(table.line(82), "TABLE A|TOP.GBR=plane2|PLANE.GBR=plane2|1");
    table.setLine(82, "TABLE A|top.gbr=plane2|PLANE.GBR=unknown|1");
    auto recalled = request("A");
    model::recallTable(table, recalled);
    EXPECT_EQ(recalled.rows[0].choice, "plane2");
    EXPECT_EQ(recalled.rows[1].choice, "plane2"); // "unknown" is not offered: the default stays
    EXPECT_TRUE(recalled.option);
    model::rememberTable(table, recalled);
    EXPECT_EQ(table.line(81), "TABLE A|TOP.GBR=plane2|PLANE.GBR=plane2|1");
    EXPECT_EQ(table.line(82), "TABLE B|TOP.GBR=top|PLANE.GBR=none|0");
    EXPECT_EQ(table.line(83), "");
    // A later run of A with other plots keeps the roles set for the first ones; an outline among the rows
    // makes the option moot, and it is not kept.
    app::TableRequest later{.key = "A",
                            .choices = {"none", "outline"},
                            .rows = {{"EDGE.GBR", "outline"}},
                            .option = true,
                            .optionMootBy = "outline"};
    model::rememberTable(table, later);
    EXPECT_EQ(table.line(81), "TABLE A|EDGE.GBR=outline|TOP.GBR=plane2|PLANE.GBR=plane2|0");
    EXPECT_EQ(table.line(82), "TABLE B|TOP.GBR=top|PLANE.GBR=none|0");
}

} // namespace
