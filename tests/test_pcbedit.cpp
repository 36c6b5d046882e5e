// "PCB Processor" and "Vias >> Plane".
#include "support.hpp"

using namespace fk;
using namespace fk::test;

namespace {

const std::string header = ";Tango-PCB PLUS V2.30 Series II";

class PolygonTest : public Scratch {
  protected:
    // The design with or without a line end after its last line.
    test::CliResult run(const Lines& lines, bool lastLineEnded = true) const {
        const std::string bytes = crlfLines(lines);
        write("w/BOARD.PCB", lastLineEnded ? bytes : bytes.substr(0, bytes.size() - 2));
        return cli({"pcbprocess", "--pick", text("w") + "\\BOARD.PCB"});
    }
    static std::string summary(int removed, int modified) {
        return "Bad polygons removed:\t " + std::to_string(removed) + "\r\nModified polygons:\t\t " +
               std::to_string(modified);
    }
};

// Catches a polygon counted, cut or removed wrongly, the output's two closing blank lines lost or glued to a
// last line without a line end, or the design itself changed by a single byte.
TEST_F(PolygonTest, PolygonsAreCleaned) {
    struct Case {
        std::string log;
        Lines in, out;
    } cases[] = {
        {summary(0, 1),
         {header, "POLY 7 5 a b c d", "pnt A", "pnt B", "pnt A", "pnt C", "END"},
         {header, "POLY  7 3 a b c", "pnt A", "pnt B", "pnt C", "END"}},
        {summary(1, 0), {header, "POLY 7 3 a b c", "pnt A", "pnt B", "pnt A", "END"}, {header, "END"}},
        {summary(1, 0),
         {header, "POLY 1 0 a b c", "poly 2 3 x y z", "PNT 1", "Pnt 2", "pnt  3", "END"},
         {header, "POLY  2 3 x y z", "PNT 1", "Pnt 2", "pnt  3", "END"}},
        {summary(0, 0),
         {header, "POLY 1 3 a b c d e", "pnt A", "pnt B", "pnt C"},
         {header, "POLY  1 3 a b c", "pnt A", "pnt B", "pnt C"}},
        {summary(0, 0),
         {header, "VIA CR 1", "pnt stray", "pnt stray2", "POLY 1 2", "pnt A", "pnt a", "pnt A ", "X"},
         {header, "VIA CR 1", "POLY  1 3   ", "pnt A", "pnt a", "pnt A ", "X"}},
        {summary(0, 3),
         {header,  "POLY 1 3 a b c", "pnt A", "pnt B",          "pnt C", "POLY 2 3 a b c", "pnt A",
          "pnt B", "pnt C",          "pnt B", "POLY 3 4 a b c", "pnt A", "pnt B",          "pnt B",
          "pnt C", "POLY 4 4 a b c", "pnt A", "pnt C",          "pnt A", "pnt D"},
         {header, "POLY  1 3 a b c", "pnt A", "pnt B", "pnt C", "POLY  2 3 a b c", "pnt A", "pnt B", "pnt C",
          "POLY  3 3 a b c", "pnt A", "pnt B", "pnt C", "POLY  4 3 a b c", "pnt A", "pnt C", "pnt D"}}};
    bool lastLineEnded = false;
    for (const auto& c : cases) {
        lastLineEnded = !lastLineEnded;
        auto r = run(c.in, lastLineEnded);
        const std::string design = read("w/BOARD.PCB");
        EXPECT_EQ(r.log, c.log);
        Lines out = c.out;
        out.insert(out.end(), {" ", " "});
        EXPECT_EQ(read("w/xBOARD.PCB"), crlfLines(out));
        EXPECT_EQ(crlfLines(c.in).substr(0, design.size()), design) << "last line ended: " << lastLineEnded;
        EXPECT_EQ(design.size(), crlfLines(c.in).size() - (lastLineEnded ? 0 : 2));
    }
}

// Catches a polygon of more points than the old 254-point table cut or refused, or the bound that keeps the
// job's memory small off by one.
TEST_F(PolygonTest, ManyPointsAreKeptUpToTheBound) {
    for (int points : {400, 100000, 100001}) {
        Lines in{header, "POLY 1 " + std::to_string(points) + " a b c"};
        for (int i = 0; i < points; ++i)
            in.push_back("pnt " + std::to_string(i));
        auto r = run(in);
        if (points > 100000) {
            EXPECT_EQ(r.log, "The polygon on line 2 has more than 100000 points:\r\n<" + text("w") +
                                 "\\BOARD.PCB>\r\nNo file was changed.");
            continue;
        }
        EXPECT_EQ(r.log, summary(0, 0));
        const std::string polygon = "POLY  1 " + std::to_string(points) + " a b c\r\n";
        EXPECT_EQ(read("w/xBOARD.PCB").substr(header.size() + 2, polygon.size()), polygon);
    }
}

// Catches a design of another format processed, or a cancelled or missing choice logged or written.
TEST_F(PolygonTest, WrongHeaderCancelAndMissingFile) {
    auto r = run({";Tango-PCB PLUS V2.30 Series III", "POLY 1 0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log, "File is not in ASCII format!\r\nSave as ASCII and Re-Try.");
    EXPECT_FALSE(exists("w/xBOARD.PCB"));
    EXPECT_EQ(read("w/BOARD.PCB"), crlfLines({";Tango-PCB PLUS V2.30 Series III", "POLY 1 0"}));
    r = cli({"pcbprocess"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log, "PCB Processor was cancelled; nothing was written.");
}

class ViaTest : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        write("w/BOARD.PCB", crlfLines(design));
        write("w/LIST.TXT", crlfLines({"Via plane list", "50/28 GT", "50/28 PD", " 60/30 GD", "60/30 NP",
                                       "60/30  PT", "9/9 gd"}));
    }
    test::CliResult run(const Lines& confirms) const {
        Lines args{"viaplane", "--input-path",          text("w"), "--base", "BOARD",
                   "--pick",   text("w") + "\\LIST.TXT"};
        for (const auto& c : confirms) {
            args.push_back("--confirm");
            args.push_back(c);
        }
        return cli(args);
    }
    Lines design{header,
                 "VIA CR 50 28 NP 100 200 300 400 500",
                 "VIA CR  50  28 GD 1 2 3 4 5 6 7",
                 "VIA CR 60 30 GD 1",
                 "VIA CR 50 29 NP 1 2 3 4 5",
                 "VIA RD 50 28 GD 1 2 3 4 5",
                 "via cr 50 28 GD 1 2 3 4 5",
                 "PAD EL 50 28 AL"};
    std::string summary(const std::string& mode, int changed, std::array<int, 5> counts) const {
        std::string s =
            "Vias >> Plane (" + mode + ") completed:\r\nVias changed:\t " + std::to_string(changed);
        const char* codes[] = {"GD", "GT", "PD", "PT", "NP"};
        for (int i = 0; i < 5; ++i)
            s += "\r\n" + std::string(codes[i]) + ":\t\t " + std::to_string(counts[static_cast<size_t>(i)]);
        return s + "\r\nWritten to:\r\n<" + text("w") + "\\vBOARD.PCB>";
    }
};

// Catches a via matched wrongly (size, hole, shape, case), its fields not re-spaced, or the counts off.
TEST_F(ViaTest, AssignAndUnassign) {
    auto r = run({"ok"});
    EXPECT_EQ(r.log, summary("ASSIGN", 3, {0, 2, 0, 1, 0}));
    Lines assigned = design;
    assigned[1] = "VIA CR 50 28 GT 100 200 300 400 500";
    assigned[2] = "VIA CR 50 28 GT 1 2 3 4 5";
    assigned[3] = "VIA CR 60 30 PT 1    ";
    EXPECT_EQ(read("w/vBOARD.PCB"), crlfLines(assigned));
    EXPECT_EQ(read("w/BOARD.PCB"), crlfLines(design));
    EXPECT_FALSE(exists("w/xBOARD.PCB")); // PCB Processor's name stays its own

    r = run({"cancel", "ok"});
    EXPECT_EQ(r.log, summary("UNASSIGN", 3, {2, 0, 0, 0, 1}));
    assigned[1] = "VIA CR 50 28 NP 100 200 300 400 500";
    assigned[2] = "VIA CR 50 28 NP 1 2 3 4 5";
    assigned[3] = "VIA CR 60 30 NP 1    ";
    EXPECT_EQ(read("w/vBOARD.PCB"), crlfLines(assigned));
}

// Catches a stop that writes the output, a list of 11 entries accepted or one of 10 refused.
TEST_F(ViaTest, StopsWriteNothing) {
    const std::string crlf = "\r\n";
    auto r = run({"cancel", "cancel"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log, "Vias >> Plane was cancelled; nothing was written.");
    EXPECT_FALSE(exists("w/vBOARD.PCB"));

    r = cli({"viaplane", "--input-path", text("w"), "--base", "BOARD"});
    EXPECT_EQ(r.log, "No via plane list was chosen; nothing was written.");

    Lines eleven;
    for (int i = 0; i < 11; ++i)
        eleven.push_back(std::to_string(i) + "/1 GD");
    write("w/LIST.TXT", crlfLines(eleven));
    r = run({"ok"});
    EXPECT_EQ(r.log, "The via plane list holds more than 10 entries:" + crlf + "<" + text("w") +
                         "\\LIST.TXT>" + crlf + "Shorten the list and re-try; nothing was written.");
    eleven.pop_back();
    write("w/LIST.TXT", crlfLines(eleven));
    EXPECT_EQ(run({"ok"}).status, 0);

    write("w/LIST.TXT", crlfLines({"x 50/28 GD"}));
    EXPECT_EQ(run({"ok"}).log.substr(0, 30), "The via plane list holds no en");

    write("w/BOARD.PCB", ";Tango-PCB PLUS V3.0\r\n");
    EXPECT_EQ(run({"ok"}).log, "File is not in ASCII format!\r\nSave as ASCII and Re-Try.");
}

} // namespace
