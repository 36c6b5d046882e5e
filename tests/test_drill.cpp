// "NC1 >> 2,3,4": dialects, the preferred form and the derived files.
#include "drill/excellon.hpp"
#include "support.hpp"

#include <cstdlib>
#include <map>

using namespace fk;
using namespace fk::test;

namespace {

fs::path samplePath(const std::string& name) {
    return fs::path(FLASHKIT_SAMPLES) / "drill" / name;
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
    std::string backupLine() const { return "Original NC1 kept as <" + text("in") + "\\BOARD.NC1.orig>"; }
    std::map<std::string, std::string> files() const { return filesIn({"in", "out"}); }
    static std::string completeLog(const std::vector<std::string>& dialectLines) {
        std::vector<std::string> lines{"Translating NC Drill formats..."};
        lines.insert(lines.end(), dialectLines.begin(), dialectLines.end());
        return crlfLines(lines) +
               crlfLines({"Translating NC1 to NC2 (2/4 >> 2/3).",
                          "Translating NC1 to NC3 (2/4 >> 2/4 stripped sign).",
                          "Translating NC1 to NC4 (2/4 >> 2/3 stripped sign).",
                          "Translating NC1 to NC5 (2/4 >> 2/3 TZ suppressed [Circuit logic])."}) +
               "NC Drill format translatiion is complete!";
    }
};

// Catches: a preferred file rewritten, a line that is no coordinate changed in a derived file, or NC2 to NC5
// cut at the wrong character, or a sign or first digit lost.
TEST_F(DrillTest, PreferredFileIsUsedAsIs) {
    const std::string source =
        crlfLines(barLines("M48|INCH|T1C0.035|%|X+123456Y-065430|x+1 lower| X+1|T2|"
                           "X+123400Y+000000|Y+000100|X+123456|Y-010000|X-000000Y+000010|M30"));
    write("in/BOARD.NC1", source);
    auto r = run();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.log, completeLog({"NC1 is prefered format, using as is."}));
    EXPECT_EQ(read("in/BOARD.NC1"), source);
    EXPECT_EQ(read("out/BOARD.NC1"), source);
    const std::string head = "M48|INCH|T1C0.035|%|";
    for (const auto& [name, derived] :
         {std::pair{"NC2", head + "X+12345Y-06543|x+1 lower| X+1|T2|X+12340Y+00000|Y+00010|X+12345|Y-01000|"
                                  "X-00000Y+00001|M30"},
          {"NC3", head + "X123456Y-065430|x+1 lower| X+1|T2|X123400Y000000|Y000100|X123456|Y-010000|"
                         "X-000000Y000010|M30"},
          {"NC4",
           head + "X12345Y-06543|x+1 lower| X+1|T2|X12340Y00000|Y00010|X12345|Y-01000|X-00000Y00001|M30"},
          {"NC5",
           "M48|INCH,LZ|T1C0.035|%|X+12345Y-06543|x+1 lower| X+1|T2|X+1234Y+|Y+0001|X+12345|Y-01|X-Y+00001|"
           "M30"}})
        EXPECT_EQ(read(std::string("out/BOARD.") + name), crlfLines(barLines(derived))) << name;
}

// Tango's suppressed dialects: exact bytes and log as before, the original kept, a user's own NC0 untouched.
TEST_F(DrillTest, SuppressedDialectsAreConvertedInPlace) {
    struct Case {
        std::string header, line, converted, omitted; // header: its two lines with "|" between them
    } cases[] = {{"m48|inch,lz", "Y+0125", "Y+012500", "Trailing"},
                 {"M48|Inch,Tz", "Y-5", "Y-000005", "Leading"},
                 {"M48|INCH,LZ", "Y+12X-01", "X-010000Y+120000", "Trailing"}};
    for (const auto& c : cases) {
        const std::string source = crlfLines(barLines(c.header + "|T1|" + c.line + "|M30"));
        write("in/BOARD.NC1", source);
        write("in/BOARD.NC0", "mine");
        auto r = run("in");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.log,
                  completeLog({"Translating " + c.omitted + " Zero suppressed NC file to prefered format."}));
        EXPECT_EQ(read("in/BOARD.NC1"), crlfLines({"M48", "INCH", "T1", c.converted, "M30"}));
        EXPECT_EQ(read("in/BOARD.NC1.orig"), source);
        EXPECT_EQ(read("in/BOARD.NC0"), "mine");
        // A second run finds the preferred form and backs nothing up again.
        EXPECT_EQ(run("in").log, completeLog({"NC1 is prefered format, using as is."}));
        EXPECT_EQ(read("in/BOARD.NC1.orig"), source);
    }
}

// Files of other PCB tools: header found wherever it stands, each coordinate read by the stated format.
TEST_F(DrillTest, OtherToolsAreTranslatedByTheirHeader) {
    const std::string metric = "Metric values converted to inches, rounded to 0.0001 inch.",
                      leading = "Translating Leading Zero suppressed NC file to prefered format.",
                      inch24 = "Translating Inch 2.4 NC file to prefered format.",
                      metricLeading =
                          "Translating Metric 3.3 Leading Zero suppressed NC file to prefered format.";
    struct Case {
        const char* name;
        std::string source, preferred; // lines with "|" between them
        std::vector<std::string> log;
    } cases[] = {
        {"altium 2:5 lz",
         "%|;Layer_Color=9474304|M48|;FILE_FORMAT=2:5|inch,lz|T1F00S00C0.0300|%|T01|X0252500Y-0078|Y0052|M30",
         "M48|INCH|;Layer_Color=9474304|T1F00S00C0.0300|%|T01|X+025250Y-007800|Y+005200|M30",
         {"Translating Inch 2.5 Trailing Zero suppressed NC file to prefered format."}},
        {"altium 4:4 metric lz: the comment's digits outlast the units line",
         "M48|;FILE_FORMAT=4:4|METRIC,LZ|T1C0.800|%|T1|X00125Y-0003|M30",
         "M48|INCH|T1C0.0315|%|T1|X+004921Y-001181|M30",
         {"Translating Metric 4.4 Trailing Zero suppressed NC file to prefered format.", metric}},
        {"metric tz with digits",
         "M48|Metric,TZ,000.000|M71|T1C0.800|%|T1|X12500Y-3000|M30",
         "M48|INCH|T1C0.0315|%|T1|X+004921Y-001181|M30",
         {metricLeading, metric}},
        {"metric lz default digits",
         "M48|METRIC,LZ|T1C1.0|%|T1|X0125Y-003|M30",
         "M48|INCH|T1C0.0394|%|T1|X+004921Y-001181|M30",
         {"Translating Metric 3.3 Trailing Zero suppressed NC file to prefered format.", metric}},
        {"eagle m72",
         "%|M48|M72|T01C0.0240|%|T01|X040944Y019842|M30",
         "M48|INCH|T01C0.0240|%|T01|X+040944Y+019842|M30",
         {inch24}},
        {"kicad decimal metric",
         "M48|; FORMAT={-:-/ absolute / metric / "
         "decimal}|FMAT,2|METRIC|T1C0.300|%|G90|G05|T1|X-84.587Y31.494|M30",
         "M48|INCH|FMAT,2|T1C0.0118|%|G90|G05|T1|X-033302Y+012399|M30",
         {"Translating Metric 3.3 NC file to prefered format.", metric}},
        {"m71 with zeros",
         "M48|M71,TZ|T1C0.800|%|T1|X12500Y-3000|M30",
         "M48|INCH|T1C0.0315|%|T1|X+004921Y-001181|M30",
         {metricLeading, metric}},
        {"siemens zero offset after the header",
         "%|M48|M72,LZ|T01C0.0394|%|G93X0Y0|T01|X0409Y-0198|M30",
         "M48|INCH|T01C0.0394|%|G93X0Y0|T01|X+040900Y-019800|M30",
         {"Translating Trailing Zero suppressed NC file to prefered format."}},
        {"eagle m72 short numbers",
         "%|M48|M72|T01C0.0200|%|T01|X18333Y8500|Y0",
         "M48|INCH|T01C0.0200|%|T01|X+018333Y+008500|Y+000000",
         {leading, "No zero suppression stated in the header: the numbers leave out leading zeros."}},
        {"unsigned inch tz", "M48|INCH,TZ|T1|X665Y23500", "M48|INCH|T1|X+000665Y+023500", {leading}},
        {"header among other lines",
         "|; by hand|G90|M48|ICI,OFF|inch,tz,00.0000|T1C0.035|M95|T1|X5Y-25",
         "M48|INCH||; by hand|G90|ICI,OFF|T1C0.035|M95|T1|X+000005Y-000025",
         {leading}},
        {"metric digit pattern without zeros",
         "M48|METRIC,0000.00|X012345Y-000100",
         "M48|INCH|X+048602Y-000394",
         {"Translating Metric 4.2 NC file to prefered format.", metric}},
        {"largest values", "M48|INCH|X99.9999Y-99.9999", "M48|INCH|X+999999Y-999999", {inch24}},
        {"largest stated format and tool",
         "M48|INCH,LZ,00000.000000|T999999999C99999.999999|X00001",
         "M48|INCH|T999999999C99999.999999|X+010000",
         {"Translating Inch 5.6 Trailing Zero suppressed NC file to prefered format."}},
        {"decimal y before x", "M48|INCH|Y1.5X-.25 \t", "M48|INCH|X-002500Y+015000", {inch24}},
        {"inch rounded",
         "M48|;FILE_FORMAT=2:5|INCH,LZ|X0000125Y0000135",
         "M48|INCH|X+000012Y+000014",
         {"Translating Inch 2.5 Trailing Zero suppressed NC file to prefered format.",
          "Inch values rounded to 0.0001 inch."}},
    };
    for (const auto& c : cases) {
        write("in/BOARD.NC1", crlfLines(barLines(c.source)));
        std::vector<std::string> log = c.log;
        log.push_back(backupLine());
        auto r = run();
        EXPECT_EQ(r.status, 0) << c.name;
        EXPECT_EQ(r.log, completeLog(log)) << c.name;
        EXPECT_EQ(read("in/BOARD.NC1"), crlfLines(barLines(c.preferred))) << c.name;
        EXPECT_EQ(read("out/BOARD.NC1"), crlfLines(barLines(c.preferred))) << c.name;
        EXPECT_EQ(read("in/BOARD.NC1.orig"), crlfLines(barLines(c.source))) << c.name;
    }
}

// What the preferred form cannot hold exactly stops the job before any file is written.
TEST_F(DrillTest, RefusalsNameTheLineAndWriteNothing) {
    struct Case {
        std::vector<std::string> source; // the last line is refused
        std::string expected;
    };
    const std::string digits =
        "a digit format of 1 to 6 digits before and 1 to 6 after the point, 11 at most in all (2:4, 00.0000)";
    const Case cases[] = {
        {{"M48", "INCH,LZ", "X1.2.5"}, "at most one decimal point in a value"},
        {{"M48", "INCH,LZ", "X1234567"}, "at most 6 digits, as the format INCH,LZ 2.4 holds"},
        {{"M48", "INCH,TZ", "X12A4"}, "a digit where \"A\" stands"},
        {{"M48", "INCH", "X12345"},
         "all 6 digits of the format INCH 2.4 or a decimal point: neither the header (LZ or TZ) nor the "
         "numbers "
         "show which zeros are left out"},
        {{"M48", "INCH", "X0125Y1", "X1250"}, "numbers that leave out the same zeros as line 3 [X0125Y1]"},
        {{"M48", "METRIC", "T1", "G00X1000Y1000"},
         "drilled holes only: routing (G00, G01, G02, G03, M15, M16) has no prefered form"},
        {{"M48", "INCH,LZ", "X01Y01G85X02Y01"}, "drilled holes only: slots (G85) have no prefered form"},
        {{"M48", "INCH", "G91"}, "absolute coordinates: incremental mode (G91, ICI) has no prefered form"},
        {{"M48", "INCH,TZ", "X100Y100", "R4X015Y32"}, "single holes: repeat codes (R) have no prefered form"},
        {{"M48", "INCH", "X120.0Y1.0"}, "values below 100 inches, as the prefered form holds 2.4 digits"},
        {{"M48", "INCH", "X999999999.Y1000000000."},
         "at most 9 digits before the decimal point of an inch value"},
        {{"M48", "METRIC", "X-10000000000."},
         "at most 10 digits before the decimal point of a millimetre value"},
        {{"M48", "INCH,LZ", "X+12Y+34Y+56"}, "X and Y at most once in a line"},
        {{"M48", "METRIC", "X1234567.89012"}, "at most 11 digits in a value"},
        {{"M48", "INCH,TZ", "G93X0Y1"}, "no zero offset: G93 has no prefered form"},
        {{"M48", "INCH,TZ", "G93X"}, "no zero offset: G93 has no prefered form"},
        {{"M48", "INCH", "T1C."}, "a tool diameter: digits with at most one decimal point"},
        {{"M48", "INCH", "T1C0.0315000"}, "a tool diameter of at most 6 decimals"},
        {{"M48", "METRIC", "T1C100000"}, "a tool diameter below 100000"},
        {{"M48", "INCH", "T9999999999"}, "a tool number of at most 9 digits"},
        {{"M48", "INCH,LZ,000000.000000"}, digits},
        {{"M48", "INCH,LZ,00000.000000", "X99999999999"},
         "values below 100 inches, as the prefered form holds 2.4 digits"},
        {{"M48", "INCH,LZ,0000000.0000"}, digits},
        {{"M48", ";FILE_FORMAT=9:4"}, digits},
        {{"M48", ";FILE_FORMAT=2:7"}, digits},
        {{"M48", ";FILE_FORMAT=2"}, digits},
        {{"M48", "INCH,LZ", "X01", ";FILE_FORMAT=3:5", "X1234567"}, // a comment after a hole changes nothing
         "at most 6 digits, as the format INCH,LZ 2.4 holds"},
        {{"M48", "INCH,LZ", "X01", "M71"}, "the units of the first hole throughout the file"},
    };
    for (const auto& c : cases) {
        const std::string source = crlfLines(c.source);
        write("in/BOARD.NC1", source);
        auto r = run();
        EXPECT_EQ(r.status, 1) << source;
        EXPECT_EQ(r.log, "Translating NC Drill formats...\r\nNC1 line " + std::to_string(c.source.size()) +
                             " cannot be translated: [" + c.source.back() + "]\r\nExpected: " + c.expected +
                             ".\r\nCorrect the NC drill file and re-try.");
        EXPECT_EQ(files(), (std::map<std::string, std::string>{{"in/BOARD.NC1", source}})) << source;
    }
}

// A header that settles no units gets the advice, after a line saying what was found.
TEST_F(DrillTest, UnsettledHeaderShowsWhatWasFoundAndTheAdvice) {
    const std::string advice =
        "The NC drill data is not in a recognized format!\r\n"
        "Set Tango's Output-CAM Language to:\tUnits [Inches]\r\n"
        "\t\t\t\tFormat [5.3]\r\n\t\t\t\tUnits [Inches]\r\n\t\t\t\tCode [Ascii none]\r\n"
        "\t\t\t\tZero Suppression [None]\r\n"
        "Re-generate the NC Drill file and then try to process again.";
    const std::string noUnits = "NC1 holds no units line (INCH, METRIC, M71 or M72).\r\n";
    struct Case {
        std::string source, found;
    } cases[] = {
        {crlfLines({"M48", "INCH, LZ", "X+1"}),
         "NC1 line 3 [X+1] is a hole, but no units line (INCH, METRIC, M71 or M72) stands before it.\r\n"},
        {crlfLines({"%", "M48", "T1C0.035", "%", "T1", "X012Y034", "INCH,LZ"}),
         "NC1 line 6 [X012Y034] is a hole, but no units line (INCH, METRIC, M71 or M72) stands before "
         "it.\r\n"},
        {readBytes(samplePath("allegro-excerpt.drl")), // Cadence Allegro states no units at all
         "NC1 line 12 [X367600Y73100] is a hole, but no units line (INCH, METRIC, M71 or M72) stands before "
         "it.\r\n"},
        {crlfLines({"M48"}), noUnits},
    };
    for (const auto& c : cases) {
        write("in/BOARD.NC1", c.source);
        auto r = run();
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.log, c.found + advice);
        EXPECT_EQ(files(), (std::map<std::string, std::string>{{"in/BOARD.NC1", c.source}}));
    }
}

// Catches: an output that cannot be written named before a line of the file that cannot be translated (every
// line is checked first), or a read-only output not named with why.
TEST_F(DrillTest, UntranslatableLineNamedBeforeAnUnwritableOutput) {
    write("out/BOARD.NC3", "old");
    fs::permissions(path("out/BOARD.NC3"), fs::perms::owner_read);
    write("in/BOARD.NC1", crlfLines({"M48", "INCH,LZ", "X+12", "X1.2.5"}));
    EXPECT_EQ(run().log,
              "Translating NC Drill formats...\r\nNC1 line 4 cannot be translated: [X1.2.5]\r\n"
              "Expected: at most one decimal point in a value.\r\nCorrect the NC drill file and re-try.");
    write("in/BOARD.NC1", crlfLines({"M48", "INCH", "X+123456"}));
    const std::string log = run().log;
    EXPECT_EQ(log.substr(log.rfind("Could")),
              "Could not write the file:\r\n<" + text("out") + "\\BOARD.NC3>\r\nThe file is read-only.");
}

// Catches: a drill file without holes refused or written without its header.
TEST_F(DrillTest, HeaderOnlyFileIsTranslated) {
    write("in/BOARD.NC1", "M48\r\nINCH,LZ");
    EXPECT_EQ(run().status, 0);
    EXPECT_EQ(read("in/BOARD.NC1"), crlfLines({"M48", "INCH"}));
    EXPECT_EQ(read("out/BOARD.NC5"), crlfLines({"M48", "INCH,LZ"}));
}

// Drill files of other PCB tools (tests/samples/drill/README.md) come out byte for byte as the preferred
// forms in samples/drill/expected (each hole of those was compared with the source, read by the format its
// header names, when they were made); the reader other windows and jobs use finds the same holes in the
// source, within the half step of the rounding.
TEST_F(DrillTest, RealSamplesKeepEveryHole) {
    for (const std::string name :
         {"kicad9-metric-decimal.drl", "kicad6-metric-npth.drl", "kicad-inch-tz-decimal.drl",
          "kicad-inch-decimal-dht22.drl", "eagle-arduino-uno.drd", "m72-inch-tz-core.txt", "m72-lilytiny.xln",
          "altium-pic18f14k50.txt"}) {
        const std::string source = readBytes(samplePath(name));
        write("in/BOARD.NC1", source);
        ASSERT_EQ(run().status, 0) << name;
        EXPECT_EQ(read("in/BOARD.NC1"), readBytes(samplePath("expected/" + name + ".NC1"))) << name;
        EXPECT_EQ(read("in/BOARD.NC1.orig"), source) << name;
        const auto exact = drill::readDrillFile(platform::toPathText(samplePath(name))).holes;
        const auto rounded = drill::readDrillFile(text("in") + "\\BOARD.NC1").holes;
        ASSERT_EQ(exact.size(), rounded.size()) << name;
        for (size_t i = 0; i < exact.size(); ++i)
            EXPECT_TRUE(util::abs(exact[i].x - rounded[i].x) <= util::Length::fromNanometres(1270) &&
                        util::abs(exact[i].y - rounded[i].y) <= util::Length::fromNanometres(1270))
                << name << " hole " << i;
    }
}

} // namespace
