// "NC1 >> 2,3,4": dialects, the preferred form and the derived files.
#include "drill/coordinates.hpp"
#include "support.hpp"

using namespace fk;
using namespace fk::test;

namespace {

struct Conversion {
    std::string in, out;
};

TEST(Coordinates, RightFill) {
    for (const auto& c : std::vector<Conversion>{{"X+1234Y+5678", "X+123400Y+567800"},
                                                 {"X-01", "X-010000"},
                                                 {"Y+0125", "Y+012500"},
                                                 {"X+1 T1", "X+100000"},
                                                 {"Y+1 T1", "Y+100000"},
                                                 {"X+12Y+34Y+56", "X+120000Y+340000"},
                                                 {"X+123456789Y+5", "X+123456Y+500000"},
                                                 {"Y+12X+34", "X+340000Y+120000"}})
        EXPECT_EQ(drill::toPreferred(c.in, drill::Fill::Right), c.out) << c.in;
}

TEST(Coordinates, LeftFill) {
    for (const auto& c : std::vector<Conversion>{{"X+1234Y+5678", "X+001234Y+005678"},
                                                 {"Y-5", "Y-000005"},
                                                 {"X+1", "X+000001"},
                                                 {"X+12345678Y-1", "X+345678Y-000001"},
                                                 {"Y+12X+34", "X+000034Y+000012"}})
        EXPECT_EQ(drill::toPreferred(c.in, drill::Fill::Left), c.out) << c.in;
}

TEST(Coordinates, DerivedForms) {
    struct Case {
        std::string line, nc2, nc3, nc4, nc5;
    } cases[] = {
        {"X+123456Y-065430", "X+12345Y-06543", "X123456Y-065430", "X12345Y-06543", "X+12345Y-06543"},
        {"X+123400Y+000000", "X+12340Y+00000", "X123400Y000000", "X12340Y00000", "X+1234Y+"},
        {"X+123456", "X+12345", "X123456", "X12345", "X+12345"},
        {"Y-010000", "Y-01000", "Y-010000", "Y-01000", "Y-01"},
        {"X0000000", "X000000", "X0000000", "X000000", "X0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(drill::cutToFiveDigits(c.line), c.nc2) << c.line;
        EXPECT_EQ(drill::stripPlusSigns(c.line), c.nc3) << c.line;
        EXPECT_EQ(drill::stripPlusSigns(drill::cutToFiveDigits(c.line)), c.nc4) << c.line;
        EXPECT_EQ(drill::suppressTrailingZeros(c.line), c.nc5) << c.line;
    }
}

class DrillTest : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        fs::create_directories(path("in"));
        fs::create_directories(path("out"));
    }
    test::CliResult run(const std::string& out = "out") const {
        return cli({"ncdrill", "--input-path", text("in"), "--output-path", text(out), "--base", "BOARD"});
    }
    static std::string completeLog(const std::string& dialectLine) {
        return crlfLines({"Translating NC Drill formats...", dialectLine,
                          "Translating NC1 to NC2 (2/4 >> 2/3).",
                          "Translating NC1 to NC3 (2/4 >> 2/4 stripped sign).",
                          "Translating NC1 to NC4 (2/4 >> 2/3 stripped sign).",
                          "Translating NC1 to NC5 (2/4 >> 2/3 TZ suppressed [Circuit logic])."}) +
               "NC Drill format translatiion is complete!";
    }
};

TEST_F(DrillTest, PreferredFileIsUsedAsIs) {
    const std::string source = crlfLines({"M48", "INCH", "T1C0.035", "%", "X+123456Y-065430", "x+1 lower",
                                          " X+1", "T2", "X+123400Y+000000", "Y+000100", "M30"});
    write("in/BOARD.NC1", source);
    auto r = run();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.log, completeLog("NC1 is prefered format, using as is."));
    EXPECT_EQ(read("in/BOARD.NC1"), source);
    EXPECT_EQ(read("out/BOARD.NC1"), source);
    EXPECT_EQ(read("out/BOARD.NC2"), crlfLines({"M48", "INCH", "T1C0.035", "%", "X+12345Y-06543", "x+1 lower",
                                                " X+1", "T2", "X+12340Y+00000", "Y+00010", "M30"}));
    EXPECT_EQ(read("out/BOARD.NC3"),
              crlfLines({"M48", "INCH", "T1C0.035", "%", "X123456Y-065430", "x+1 lower", " X+1", "T2",
                         "X123400Y000000", "Y000100", "M30"}));
    EXPECT_EQ(read("out/BOARD.NC4"), crlfLines({"M48", "INCH", "T1C0.035", "%", "X12345Y-06543", "x+1 lower",
                                                " X+1", "T2", "X12340Y00000", "Y00010", "M30"}));
    EXPECT_EQ(read("out/BOARD.NC5"), crlfLines({"M48", "INCH,LZ", "T1C0.035", "%", "X+12345Y-06543",
                                                "x+1 lower", " X+1", "T2", "X+1234Y+", "Y+0001", "M30"}));
}

TEST_F(DrillTest, SuppressedDialectsAreConvertedInPlace) {
    struct Case {
        std::vector<std::string> header;
        std::string line, converted, message;
    } cases[] = {
        {{"M48", "INCH,LZ"},
         "X+1234Y+5678",
         "X+123400Y+567800",
         "Translating Trailing Zero suppressed NC file to prefered format."},
        {{"m48", "inch,lz"},
         "Y+0125",
         "Y+012500",
         "Translating Trailing Zero suppressed NC file to prefered format."},
        {{"M48", "INCH,TZ"},
         "X+1234Y+5678",
         "X+001234Y+005678",
         "Translating Leading Zero suppressed NC file to prefered format."},
        {{"M48", "Inch,Tz"},
         "Y-5",
         "Y-000005",
         "Translating Leading Zero suppressed NC file to prefered format."},
    };
    for (const auto& c : cases) {
        write("in/BOARD.NC1", crlfLines({c.header[0], c.header[1], "T1", c.line, "M30"}));
        write("in/BOARD.NC0", "stale");
        auto r = run("in");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.log, completeLog(c.message));
        EXPECT_EQ(read("in/BOARD.NC1"), crlfLines({"M48", "INCH", "T1", c.converted, "M30"}));
        EXPECT_FALSE(exists("in/BOARD.NC0"));
        // A second run finds the preferred form.
        EXPECT_EQ(run("in").log, completeLog("NC1 is prefered format, using as is."));
    }
}

TEST_F(DrillTest, UnrecognisedDialectShowsTheAdviceAndWritesNothing) {
    const std::string advice =
        "The NC drill data is not in a recognized format!\r\n"
        "Set Tango's Output-CAM Language to:\tUnits [Inches]\r\n"
        "\t\t\t\tFormat [5.3]\r\n\t\t\t\tUnits [Inches]\r\n\t\t\t\tCode [Ascii none]\r\n"
        "\t\t\t\tZero Suppression [None]\r\n"
        "Re-generate the NC Drill file and then try to process again.";
    for (const auto& source : {crlfLines({"M48", "INCH, LZ", "X+1"}), crlfLines({"M48", "METRIC", "X+1"}),
                               crlfLines({"M48 ", "INCH"}), crlfLines({"M48"}), std::string()}) {
        write("in/BOARD.NC1", source);
        auto r = run();
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.log, advice);
        EXPECT_EQ(read("in/BOARD.NC1"), source);
        EXPECT_TRUE(fs::is_empty(path("out")));
    }
}

TEST_F(DrillTest, HeaderOnlyFileIsTranslated) {
    write("in/BOARD.NC1", "M48\r\nINCH,LZ");
    EXPECT_EQ(run().status, 0);
    EXPECT_EQ(read("in/BOARD.NC1"), crlfLines({"M48", "INCH"}));
    EXPECT_EQ(read("out/BOARD.NC5"), crlfLines({"M48", "INCH,LZ"}));
}

TEST_F(DrillTest, ValidationMessages) {
    auto r = run();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log, "File (" + text("in") + "\\BOARD.NC1) not found!");
    write("in/BOARD.NC1", crlfLines({"M48", "INCH"}));
    r = run("nowhere");
    EXPECT_EQ(r.log, "Output path (" + text("nowhere") + ") not found!");
}

TEST_F(DrillTest, FailedDerivedFileKeepsTheOldOne) {
    write("in/BOARD.NC1", crlfLines({"M48", "INCH", "X+123456"}));
    write("out/BOARD.NC3", "old");
    fs::permissions(path("out/BOARD.NC3"), fs::perms::owner_read);
    auto r = run();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log.substr(r.log.rfind("Could")),
              "Could not write the file:\r\n<" + text("out") + "\\BOARD.NC3>\r\nThe file is read-only.");
    EXPECT_EQ(read("out/BOARD.NC3"), "old");
}

} // namespace
