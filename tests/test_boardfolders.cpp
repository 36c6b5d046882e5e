// A board's folder or zip as the check finds it: every entry listed, what cannot be read stopping the check
// with its name and why, the budgets refused before memory is spent, --role by name in any case, and a board
// as OrCAD Layout writes it.
#include "board/drilltext.hpp"
#include "board/fabrication.hpp"
#include "boardfolders.hpp"
#include "fab/model.hpp"
#include "platform/interrupt.hpp"
#include "support.hpp"

#include <cmath>
#include <cstring>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fk::test {
namespace {

class BoardEntries : public Scratch {
  protected:
    // A board that reads clean: a pad and its hole.
    std::string board(const std::string& name) const {
        write(name + "/b-F_Cu.gbr",
              "%FSLAX46Y46*%\n%MOMM*%\n%ADD10C,1.5*%\nD10*\nX5000000Y5000000D03*\nM02*\n");
        write(name + "/b.drl", "M48\nMETRIC\nT1C0.8\n%\nT1\nX5.0Y5.0\nM30\n");
        return text(name);
    }
    CliResult check(const std::string& where, std::vector<std::string> more = {}) const {
        std::vector<std::string> args{"boardcheck", "--board", where};
        args.insert(args.end(), more.begin(), more.end());
        return cli(args);
    }
    // A zip of small members whose stated unpacked sizes are `size` each.
    std::string zipStating(const std::string& name, int members, std::uint32_t size) const {
        std::vector<std::pair<std::string, std::string>> files;
        for (int i = 0; i < members; ++i)
            files.push_back({"m" + std::to_string(i) + ".gbr", "x"});
        std::string zip = fab::zipOf(files, 0);
        for (size_t at = 0; (at = zip.find("PK\x01\x02", at)) != std::string::npos; at += 4)
            std::memcpy(zip.data() + at + 24, &size, 4); // the central directory's unpacked size
        write(name, zip);
        return text(name);
    }
};

const std::string stopped = "Nothing was checked; move it out of the board's folder.";

// An entry that cannot be read stops the check with its name and why, before any file is read; so does a
// board over a budget, refused from the sizes stated.
TEST_F(BoardEntries, WhatCannotBeReadStopsTheCheck) {
    FK_POSIX_ONLY();
#ifndef _WIN32
    const bool root = ::geteuid() == 0; // reads every file whatever its permissions
    struct Case {
        const char* what;
        std::function<std::string(const fs::path&)> plant; // the entry, or the board itself, it makes
        std::string lines; // the log after the board's name, "|" between lines
        bool asRoot = true;
    };
    const Case cases[] = {
        {"a named pipe",
         [](const fs::path& b) { return ::mkfifo((b / "x.gbr").c_str(), 0600), std::string("x.gbr"); },
         "A file of the board cannot be read:|<@>|It is a named pipe (FIFO), not a file.|" + stopped},
        {"a link to nothing",
         [](const fs::path& b) { return fs::create_symlink("gone.gbr", b / "x.gbr"), std::string("x.gbr"); },
         "A file of the board cannot be read:|<@>|It is a link to nothing.|" + stopped},
        {"a file its owner may not read",
         [](const fs::path& b) {
             writeBytes(b / "x.gbr", "%FSLAX46Y46*%\n");
             fs::permissions(b / "x.gbr", fs::perms::none);
             return std::string("x.gbr");
         },
         "A file of the board cannot be read:|<@>|Access is denied: the file or its folder is read-only "
         "or "
         "protected.|" +
             stopped,
         false},
        {"a folder its owner may not read",
         [](const fs::path& b) {
             fs::create_directories(b / "sub");
             fs::permissions(b / "sub", fs::perms::none);
             return std::string("sub");
         },
         "A folder of the board cannot be read:|<@>|Access is denied: the file or its folder is read-only "
         "or "
         "protected.|Nothing was checked.",
         false},
        {"a file over 1 GB (its size stated, nothing read)",
         [](const fs::path& b) {
             writeBytes(b / "x.gbr", "");
             fs::resize_file(b / "x.gbr", (std::uintmax_t{1} << 30) + 1);
             return std::string("x.gbr");
         },
         "A file of the board cannot be read:|<@>|It is larger than 1 GB, the most a board's file may "
         "be.|" +
             stopped},
        {"files over 2 GB together",
         [](const fs::path& b) {
             for (const char* name : {"x1.gbr", "x2.gbr", "x3.gbr"}) {
                 writeBytes(b / name, "");
                 fs::resize_file(b / name, std::uintmax_t{1} << 30);
             }
             return std::string();
         },
         "The board's files are larger than 2 GB together, the most a board's files may be:|<@>|Nothing was "
         "checked."},
        {"a drill file of ten million holes",
         [](const fs::path& b) {
             std::string many = "M48\nMETRIC\nT1C0.8\n%\nT1\n";
             many.reserve(many.size() + 50'000'000);
             for (int i = 0; i < 10'000'000; ++i)
                 many += "X1Y1\n";
             writeBytes(b / "b.drl", many);
             return std::string("b.drl");
         },
         "Line 1000006 of a drill file cannot be read: [X1Y1]|<@>|Expected: at most 1000000 holes and "
         "routed "
         "points in one drill file, far above any board's.|Nothing was checked."},
        {"drill files of more than two million holes together",
         [](const fs::path& b) {
             std::string many = "M48\nMETRIC\nT1C0.8\n%\nT1\n";
             for (int i = 0; i < 700'000; ++i)
                 many += "X1Y1\n";
             for (const char* name : {"b.drl", "c.drl", "d.drl"})
                 writeBytes(b / name, many);
             return std::string("d.drl");
         },
         "Line 600006 of a drill file drills the board's hole 2000001:|<@>|Expected: at most 2000000 "
         "holes in "
         "all of a board's drill files, far above any board's.|Nothing was checked."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (root && !c.asRoot)
            continue; // root reads it all the same
        fs::remove_all(path("b"));
        const std::string b = board("b");
        const std::string entry = c.plant(path("b"));
        std::string expected = c.lines;
        for (size_t at; (at = expected.find('@')) != std::string::npos;)
            expected.replace(at, 1, entry.empty() ? b : b + "\\" + entry);
        const auto r = check(b);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.log + "\r\n", crlfLines(barLines("[Reading the board <" + b + ">]|" + expected)));
        fs::permissions(path("b"), fs::perms::owner_all, fs::perm_options::add);
        if (fs::exists(path("b/sub")))
            fs::permissions(path("b/sub"), fs::perms::owner_all);
    }
    // --board itself a named pipe: looked at, never waited on.
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    const auto pipe = check(text("pipe"));
    EXPECT_EQ(pipe.status, 2);
    EXPECT_EQ(pipe.log + "\r\n",
              crlfLines({"[Reading the board <" + text("pipe") + ">]",
                         "The board cannot be read:", "<" + text("pipe") + ">",
                         "It is a named pipe (FIFO), not a file.", "Nothing was checked."}));
#endif
}

// A zip's budgets come from the sizes its directory states, before a member is unpacked: a small zip that
// says it holds five members just under 1 GB is refused at once.
TEST_F(BoardEntries, ZipBudgetsFromTheStatedSizes) {
    const auto five = check(zipStating("five.zip", 5, (1u << 30) - 1));
    EXPECT_EQ(five.status, 2);
    EXPECT_EQ(
        five.log + "\r\n",
        crlfLines({"[Reading the board <" + text("five.zip") + ">]",
                   "The zip's members unpack to more than 2 GB together, the most a board's files may be:",
                   "<" + text("five.zip") + ">", "Nothing was checked."}));
    const auto one = check(zipStating("one.zip", 1, (1u << 30) + 1));
    EXPECT_EQ(one.status, 2);
    EXPECT_EQ(one.log + "\r\n",
              crlfLines({"[Reading the board <" + text("one.zip") + ">]",
                         "The zip's member m0.gbr is larger than 1 GB, the most a board's file may be:",
                         "<" + text("one.zip") + ">", "Nothing was checked."}));
}

// Every entry is listed with its role or why it is not read: links out of the folder and to folders are not
// followed, a link to a file inside is read as its target, folders are read three levels down and no further.
TEST_F(BoardEntries, EveryEntryListed) {
    FK_POSIX_ONLY();
    const std::string b = board("b");
    write("b/.hidden.gbr", "%FSLAX46Y46*%\n");
    write("b/1/2/3/deep.drl", read("b/b.drl"));
    write("b/1/2/3/4/deeper.drl", read("b/b.drl"));
    fs::create_directory_symlink("..", path("b/up"));
    fs::create_directory_symlink("1", path("b/one"));
    fs::create_symlink("b-F_Cu.gbr", path("b/copy-B_Cu.gbr"));
    const auto r = check(b);
    EXPECT_EQ(r.status, 1); // the holes of b.drl and deep.drl on one spot
    EXPECT_TRUE(r.log.starts_with(crlfLines(
        {"[Reading the board <" + b + ">]", ".hidden.gbr\tignored\thidden, not read",
         "4\tignored\ta folder more than three levels down, not read", "b-F_Cu.gbr\ttop\tname F_Cu (KiCad)",
         "b.drl\tdrill, plated\tExcellon content", "copy-B_Cu.gbr\tbottom\tname B_Cu (KiCad)",
         "deep.drl\tdrill, plated\tExcellon content",
         "one\tignored\ta link to a folder, not followed: the board's files are read where they are",
         "up\tignored\ta link out of the board's folder, not followed", "[2 layers, 2 holes]"})))
        << r.log;
}

// --role names a file by its whole name or without its last ending, in any case; a name that names no file,
// or two, or a role that is none, is refused with advice that works.
TEST_F(BoardEntries, RolesByNameInAnyCase) {
    const std::string b = board("b");
    write("b/TOP.v2.GBR", read("b/b-F_Cu.gbr"));
    fs::remove(path("b/b-F_Cu.gbr"));
    write("b/b.gbr", "not a board file\n");
    struct Case {
        std::vector<std::string> roles;
        int status;
        std::string lines; // the log's lines after the board's name, "|" between lines
    };
    const Case cases[] = {
        {{"top.V2=top"},
         0,
         "b.drl\tdrill, plated\tExcellon content|b.gbr\tignored\tneither a Gerber nor a drill "
         "file|TOP.v2.GBR\ttop\t--role top"},
        {{"TOP.V2.gbr=TOP"},
         0,
         "b.drl\tdrill, plated\tExcellon content|b.gbr\tignored\tneither a Gerber nor a drill "
         "file|TOP.v2.GBR\ttop\t--role top"},
        {{"nothing=top"},
         2,
         "--role nothing=top names no file of the board:|<@>|Nothing was checked; name a file the "
         "board's list shows, with or without its last ending."},
        {{"B=top"},
         2,
         "--role B=top names more than one file: b.drl, b.gbr|<@>|Nothing was checked; name one of "
         "them by its whole name."},
        {{"TOP.v2=copper"},
         2,
         "--role TOP.v2=copper names no role.|Expected: none, a role of Fab Export's table "
         "(top, bottom, inner2, plane2, outline, ...), drill or npth. Nothing was checked."},
        {{"top.v2=top", "TOP.V2.GBR=bottom"},
         2,
         "--role gives TOP.v2.GBR two roles, bottom and top:|<@>|Nothing "
         "was checked."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.roles.front());
        std::vector<std::string> more;
        for (const auto& role : c.roles)
            more.insert(more.end(), {"--role", role});
        const auto r = check(b, more);
        EXPECT_EQ(r.status, c.status);
        std::string expected = c.lines;
        if (const size_t at = expected.find('@'); at != std::string::npos)
            expected.replace(at, 1, b);
        EXPECT_TRUE(
            (r.log + "\r\n").starts_with(crlfLines(barLines("[Reading the board <" + b + ">]|" + expected))))
            << r.log;
    }
}

// A plane by its X2 function is a negative image only where the file says so (KiCad writes its planes as
// pours); a plane by Protel's ending, or by --role, is one.
TEST_F(BoardEntries, PlanesNegativeWhereTheFileSaysSo) {
    const std::string b = board("b");
    const std::string pour = "%FSLAX46Y46*%\n%MOMM*%\n%ADD10C,1.5*%\nD10*\nX5000000Y5000000D03*\nM02*\n";
    write("b/kicad-In1_Cu.gbr", "%TF.FileFunction,Copper,L2,Inr,Plane*%\n" + pour);
    write("b/fab-In2_Cu.gbr", "%TF.FileFunction,Copper,L3,Inr,Plane*%\n%TF.FilePolarity,Negative*%\n" + pour);
    write("b/b.GP3", pour);
    write("b/named.gbr", pour);
    const auto fab = board::readFabrication(b, {{"named", "plane5"}});
    std::vector<std::string> planes;
    for (const auto& l : fab.layers)
        planes.push_back(l.image.name + " " + board::textOf(l.role) + (l.plane ? " negative" : " positive"));
    EXPECT_EQ(planes,
              (std::vector<std::string>{"b-F_Cu.gbr top positive", "b.GP3 plane4 negative",
                                        "fab-In2_Cu.gbr plane3 negative", "kicad-In1_Cu.gbr plane2 positive",
                                        "named.gbr plane5 negative"}));
}

// A board as OrCAD Layout writes it: Gerber files that open with an empty statement and %ICAS, a drill file
// without M48 or units, read in inches and checked so, which the finding says. (The .TOP's head is that of
// Kinjal124/OrCAD_PCB_files_for_solar_inverter_project's IPS-1.TOP, commit
// 1bd3ccc6e796cc32b051fc11f1d249fd3c0faec4, no licence stated, its form alone; its body is made to fit the
// drill file.)
TEST_F(BoardEntries, AnOrcadLayoutBoard) {
    write("o/IPS-1.TOP",
          "*\nG04 Mass Parameters ***\n*\nG04 Image ***\n*\n%INW:\\PROJECT\\IPS-1.TOP*%\n%ICAS*%\n"
          "%MOIN*%\n%IPPOS*%\n%ASAXBY*%\nG74*%FSLAN2X34Y34*%\n*\nG04 Aperture Definitions ***\n*\n"
          "%ADD10C,0.0600*%\n%ADD11C,0.1000*%\n*\nG04 Plot Data ***\n*\nG54D10*\n"
          "G01X0007020Y0001480D03*\nX0007180Y0002110D03*\nG54D11*\nX0006000Y0009000D03*\nM02*\n");
    write("o/thruhole.tap", "%\nT1C0.0100F200S100\nX007020Y001480\nX007180Y002110\nT2C0.0420F200S100\n"
                            "X006000Y009000\nM30\n");
    const auto r = check(text("o"));
    if (r.log.find("found %ICAS%, expected a parameter") != std::string::npos)
        GTEST_SKIP() << "the Gerber reader does not take OrCAD Layout's %ICAS yet";
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(
        r.log + "\r\n",
        crlfLines({"[Reading the board <" + text("o") + ">]", "IPS-1.TOP\ttop\tending .TOP (OrCAD Layout)",
                   "thruhole.tap\tdrill, plated\tExcellon content", "[1 layers, 3 holes]",
                   "drill-reading\tthruhole.tap\tall 3 holes land on copper when thruhole.tap is read as "
                   "INCH,00.0000 (2.4 digits, inches): its header states no units, and no other reading puts "
                   "more holes on copper, so it was checked as so read",
                   "Checked: holes on 1 layer, spacing and width on 1",
                   "Not checked: the board's edge (no outline), mask web (no solder mask layer), legend (no "
                   "legend layer)",
                   "Findings: 1, drill-reading 1", "[Board Check completed with findings]"}));
}

// A plane (a negative image: what it draws is cleared) around each kind of hole, read from a CAD tool's
// files.
TEST_F(BoardFolders, PlaneReliefsAndClearances) {
    struct Case {
        const char* what;
        std::string plane; // the plane's flash at the hole, none when empty
        const char* hole;  // its diameter, mm
        std::string start,
            end; // a finding on BOARD.GP1 (its measure within the chords' 0.005 mil); none when empty
    };
    const std::string thermal = "%AMTH*\n7,0,0,2.0,1.4,0.3,45*%\n%ADD11TH*%\nD11*\nX5000000Y5000000D03*\n";
    const std::string clearance = "%ADD12C,1.0*%\nD12*\nX5000000Y5000000D03*\n";
    const std::string at = "\tBOARD.GP1\tX 0.1969 Y 0.1969 in (X 5.000 Y 5.000 mm)\t";
    // A line 0.2 mm wide along y (in 10^-6 mm): at 8.2432 mm its edge is 2.7432 mm (108 mil) from the 0.8 mm
    // hole's.
    const auto line = [](const std::string& y) {
        return "%ADD14C,0.2*%\nD14*\nX0Y" + y + "D02*\nX10000000Y" + y + "D01*\n";
    };
    // A ring of clear polarity whose inside diameter is `inner` mm: an island of plane copper around the
    // hole.
    const auto donut = [](const std::string& inner) {
        return "%AMDN*\n1,1,8,0,0*\n1,0," + inner + ",0,0*%\n%ADD13DN*%\nD13*\nX5000000Y5000000D03*\n";
    };
    const Case cases[] = {
        {"a thermal leaving 11.8 mil", thermal, "0.8", "", ""},
        // A plane's openings are no pads, whatever aperture function a tool gave them.
        {"a component pad's opening in the plane away from the holes",
         "%TA.AperFunction,ComponentPad*%\n%ADD15C,1.0*%\n%TD*%\nD15*\nX8000000Y8000000D03*\n" + thermal,
         "0.8", "", ""},
        {"a thermal leaving 0.1 mm", thermal, "1.2", "plane-clearance" + at + "3.9",
         " mil (0.100 mm), limit 5.00 mil (0.127 mm)\thole of line 6 (T1) of BOARD.TXT: thermal ring below "
         "the minimum"},
        {"no relief at all", "", "0.8", "plane-solid" + at,
         "hole of line 6 (T1) of BOARD.TXT in the plane with neither thermal nor clearance"},
        // A relief is looked for up to 100 mil beyond the limits (8 mil here): 108 mil from the hole's edge.
        {"a relief 100 mil from the hole's edge", donut("5.8801"), "0.8", "", ""},
        {"a relief 110 mil from the hole's edge", donut("6.3881"), "0.8", "plane-solid" + at,
         "hole of line 6 (T1) of BOARD.TXT in the plane with neither thermal nor clearance"},
        {"a line drawn 107.99 mil from the hole's edge", line("8242946"), "0.8", "", ""},
        {"a line drawn 108 mil from the hole's edge", line("8243200"), "0.8", "plane-solid" + at,
         "hole of line 6 (T1) of BOARD.TXT in the plane with neither thermal nor clearance"},
        {"a clearance leaving 0.1 mm", clearance, "0.8", "plane-clearance" + at + "3.9",
         " mil (0.100 mm), limit 8.00 mil (0.203 mm)\thole of line 6 (T1) of BOARD.TXT: clearance below the "
         "minimum"},
    };
    const std::string head = "%FSLAX46Y46*%\n%MOMM*%\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(path("p"));
        fs::create_directories(path("p"));
        write("p/BOARD.GTL", head + "%ADD10C,2.0*%\nD10*\nX5000000Y5000000D03*\nM02*\n");
        write("p/BOARD.GP1", "%TF.FilePolarity,Negative*%\n" + head + c.plane + "M02*\n");
        write("p/BOARD.TXT", std::string("M48\nMETRIC\nT1C") + c.hole + "\n%\nT1\nX5.0Y5.0\nM30\n");
        const auto r = check(text("p"));
        if (c.start.empty())
            EXPECT_EQ(r.log.find("\tBOARD.GP1\t"), std::string::npos) << r.log;
        else
            EXPECT_TRUE(logHas(r.log, c.start, c.end)) << r.log;
    }
}

// Catches: a stop request (Ctrl+C) not seen while a large file is read, which takes seconds.
TEST(BoardReading, AStopRequestEndsTheReading) {
    std::string flashes = "%FSLAX24Y24*%\n%MOIN*%\n%ADD10C,0.0600*%\nD10*\n";
    for (int i = 0; i < 5000; ++i)
        flashes += "X" + std::to_string(1000 + i % 100 * 1000) + "Y" + std::to_string(1000 + i / 100 * 1000) +
                   "D03*\n";
    std::string holes = "M48\nINCH,LZ\nT1C0.030\n%\nT1\n";
    for (int i = 0; i < 5000; ++i)
        holes += "X00" + std::to_string(1000 + i) + "Y001000\n";
    platform::InterruptScope scope;
    EXPECT_NO_THROW(board::readGerber("board.gtl", flashes + "M02*\n"));
    platform::requestInterruptForTesting();
    EXPECT_THROW(board::readGerber("board.gtl", flashes + "M02*\n"), platform::Interrupted);
    EXPECT_THROW(board::readDrillText(holes + "M30\n"), platform::Interrupted);
}

// Catches: shapes piled on each other checked pair by pair (a million flashes on one spot, 200 000 a
// hair apart, ran for minutes): the same flash again adds nothing and is read, a pile of different ones is
// refused naming the file before the work.
TEST_F(BoardFolders, ShapesPiledOnEachOther) {
    const std::string head = "%FSLAX26Y26*%\n%MOIN*%\n%ADD10C,0.060000*%\nD10*\n";
    const std::string drill = "M48\nINCH,LZ\nT1C0.030\n%\nT1\nX010000Y010000\nM30\n";
    std::string same = head, apart = head;
    for (int i = 0; i < 1000000; ++i)
        same += "X1000000Y1000000D03*\n";
    for (int i = 0; i < 200000; ++i)
        apart += "X" + std::to_string(1000000 + i) + "Y1000000D03*\n";
    write("same/board.gtl", same + "M02*\n");
    write("same/board.drl", drill);
    write("apart/board.gtl", apart + "M02*\n");
    write("apart/board.drl", drill);
    const auto read = check(text("same"));
    EXPECT_EQ(read.status, 0) << read.log;
    const auto refused = check(text("apart"));
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(
        refused.log.find(
            "The copper of board.gtl is too crowded to check:\r\nits 200000 shapes lie over each other so "
            "thickly "
            "that comparing each with its neighbours would take more than 2000000000 steps. Nothing was "
            "checked."),
        std::string::npos)
        << refused.log;
}

// Catches: copper a mask opening bares inside a pour, far from the pour's edges, not seen; an arc's opening
// cut as one outline with its start or end lost. Places and measures by hand: the arc's opening is the band
// 0.19 to 0.21 in about (0.6, 0.6) with round ends; each legend flash (0.003 in round) leaves 0.003 in to it.
TEST_F(BoardFolders, LegendOnCopperInsideAPour) {
    const std::string head = "%FSLAX26Y26*%\n%MOIN*%\n";
    // A 2-inch square pour whose edges are 1 600 short zigzag steps, as a CAD tool's pour outline is.
    std::string pour = head + "G36*\n";
    for (int side = 0, first = 1; side < 4; ++side)
        for (int i = 0; i < 400; ++i, first = 0) {
            const int t = i * 5000, z = i % 2 * 500;
            const int x[] = {t, 2000000 - z, 2000000 - t, z}, y[] = {z, t, 2000000 - z, 2000000 - t};
            pour +=
                "X" + std::to_string(x[side]) + "Y" + std::to_string(y[side]) + (first ? "D02*\n" : "D01*\n");
        }
    write("p/BOARD.GTL", pour + "X0Y0D01*\nG37*\nM02*\n");
    write("p/BOARD.GTS",
          head + "%ADD10C,0.040000*%\n%ADD11C,0.020000*%\nD10*\nX1000000Y1000000D03*\nD11*\nG75*\n"
                 "X800000Y600000D02*\nG03X600000Y800000I-200000J0D01*\nM02*\n");
    write("p/BOARD.GTO", head + "%ADD12C,0.006000*%\nD12*\nX900000Y1000000D02*\nX1100000Y1000000D01*\n"
                                "X769043Y734463D03*\nX800000Y584000D03*\nM02*\n");
    write("p/BOARD.TXT", "M48\nINCH,LZ\nT1C0.030\n%\nT1\nX018000Y018000\nM30\n");
    const auto r = check(text("p"));
    const std::string close = "3.00 mil (0.076 mm), limit 4.00 mil (0.102 mm)\tlegend of line ";
    for (const auto& [start, end] :
         {std::pair{"silk\tBOARD.GTO\tX 0.8000 Y 0.5870 in (X 20.321 Y 14.910 mm)\t",
                    close + "8 (D12) too close to copper its solder mask leaves bare"},
          {"silk\tBOARD.GTO\tX 0.7667 Y 0.7326 in (X 19.474 Y 18.608 mm)\t",
           close + "7 (D12) too close to copper its solder mask leaves bare"},
          {"silk\tBOARD.GTO\tX 1.0200 Y 1.0000 in (X 25.908 Y 25.400 mm)\t",
           "0.00 mil (0.000 mm), limit 4.00 mil (0.102 mm)\tlegend of line 6 (D12) on copper its solder "
           "mask leaves bare"}})
        EXPECT_TRUE(logHas(r.log, start, end)) << start << r.log;
    EXPECT_NE(r.log.find("Findings: 3, silk 3"), std::string::npos) << r.log;
}

// Catches: the edges of a pour's runs passed over when the runs lie near but apart. A pour of two squares
// joined by a bridge 0.004 in wide and 0.1 in long, the squares' sides wavy near it (so that the edges round
// each side of the bridge are runs of their own, 4 mil apart): the bridge is one 4 mil neck.
TEST_F(BoardFolders, NeckBetweenTwoRunsOfAPour) {
    std::vector<std::pair<int, int>> points;
    // From a to b in n steps, every other point `wave` to the left (into the pour).
    const auto side = [&](int ax, int ay, int bx, int by, int n, int wave) {
        const double dx = double(bx - ax) / n, dy = double(by - ay) / n, length = std::hypot(dx, dy);
        for (int i = 0; i < n; ++i)
            points.push_back({int(std::lround(ax + dx * i - dy / length * wave * (i % 2))),
                              int(std::lround(ay + dy * i + dx / length * wave * (i % 2)))});
    };
    side(0, 0, 1000000, 0, 300, 500);
    side(1000000, 0, 1000000, 480000, 1, 0);
    side(1000000, 480000, 1000000, 500000, 40, 200);
    side(1000000, 500000, 1100000, 500000, 1, 0); // the bridge's lower edge
    side(1100000, 500000, 1100000, 480000, 40, 200);
    side(1100000, 480000, 1100000, 0, 1, 0);
    side(1100000, 0, 2100000, 0, 300, 500);
    side(2100000, 0, 2100000, 1000000, 1, 0);
    side(2100000, 1000000, 1100000, 1000000, 300, 500);
    side(1100000, 1000000, 1100000, 524000, 1, 0);
    side(1100000, 524000, 1100000, 504000, 40, 200);
    side(1100000, 504000, 1000000, 504000, 1, 0); // its upper edge
    side(1000000, 504000, 1000000, 524000, 40, 200);
    side(1000000, 524000, 1000000, 1000000, 1, 0);
    side(1000000, 1000000, 0, 1000000, 300, 500);
    side(0, 1000000, 0, 0, 1, 0);
    points.push_back(points.front());
    std::string pour = "%FSLAX26Y26*%\n%MOIN*%\nG36*\n";
    for (size_t i = 0; i < points.size(); ++i)
        pour += "X" + std::to_string(points[i].first) + "Y" + std::to_string(points[i].second) +
                (i == 0 ? "D02*\n" : "D01*\n");
    write("p/BOARD.GTL", pour + "G37*\nM02*\n");
    write("p/BOARD.TXT", "M48\nINCH,LZ\nT1C0.030\n%\nT1\nX005000Y005000\nM30\n");
    const auto r = check(text("p"));
    const size_t at = r.log.find("\r\nwidth\tBOARD.GTL\t");
    ASSERT_NE(at, std::string::npos) << r.log;
    const std::string line = r.log.substr(at + 2, r.log.find("\r\n", at + 2) - at - 2);
    EXPECT_NE(line.find(" Y 0.5020 in "), std::string::npos) << line;
    EXPECT_TRUE(
        line.ends_with("\t4.00 mil (0.102 mm), limit 5.00 mil (0.127 mm)\tregion of line 3 narrower than "
                       "the minimum"))
        << line;
    EXPECT_NE(r.log.find("Findings: 1, width 1"), std::string::npos) << r.log;
}

} // namespace
} // namespace fk::test
