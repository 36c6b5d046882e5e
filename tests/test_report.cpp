// "REP >> GerbView": viewer table bytes and log lines.
#include "report/viewertables.hpp"
#include "support.hpp"

using namespace fk;
using namespace fk::test;

namespace {

// A report line with its fields in their columns: code 5-8, shape or tool size 12-18, width 21-23,
// height 26-28, kind 38-41.
std::string reportLine(const std::string& code, const std::string& shape, const std::string& width = "",
                       const std::string& height = "", const std::string& kind = "") {
    std::string line(41, ' ');
    line.replace(4, code.size(), code);
    line.replace(11, shape.size(), shape);
    line.replace(20, width.size(), width);
    line.replace(25, height.size(), height);
    line.replace(37, kind.size(), kind);
    return line;
}

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

std::string apertureRecordBytes(int shape, int dcode, const std::string& width, const std::string& height) {
    return bytes({shape, 0, 0, 0, dcode, 0, 0x0A, 0, 0, 0}) + width + height + std::string(46, '\0');
}

// Report lines of `count` apertures (prefix "D") or tools (prefix "T"), codes counting from 0 and wrapping
// at 200.
Lines many(const std::string& prefix, int count) {
    Lines lines;
    for (int i = 0; i < count; ++i) {
        const std::string code = prefix + std::to_string(i % 200);
        lines.push_back(prefix == "T" ? reportLine(code, " 28")
                                      : reportLine(code, "ELLIPSE", " 10", " 10", "FLAS"));
    }
    return lines;
}

class ReportTest : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        fs::create_directories(path("in"));
        fs::create_directories(path("gcpv"));
    }
    void report(const Lines& lines) const { write("in/BOARD.REP", crlfLines(lines)); }
    test::CliResult run() const {
        return cli(
            {"rep2prevue", "--input-path", text("in"), "--prevue-path", text("gcpv"), "--base", "BOARD"});
    }
    const std::string doneLog =
        "[Tango aperture report to GCPreview completed]\r\n[Reading and converting Tango tools]\r\n"
        "[Reading and converting Tango apertures]\r\n";
};

// Catches any byte of a record wrong: shape code, D-code (0x0A and 0x0D among them), sizes, tool records.
TEST_F(ReportTest, RecordsByteForByte) {
    report({"Report for BOARD", "", reportLine("D10", "ELLIPSE", " 10", " 10", "FLAS"),
            reportLine("d11", "SQ RECT", " 60", " 30", "FLAS"),
            reportLine("DRAW", "ELLIPSE", " 10", " 10", "DRAW"),
            reportLine("D12", "ELLIPSE", " 12", "  9", "DRAW"),
            reportLine("D13", "OVAL", " 40", " 20", "FLAS"), reportLine("T5", "   35"),
            reportLine("t2", " 28")});
    auto r = run();
    EXPECT_EQ(r.log, doneLog);
    EXPECT_EQ(read("gcpv/apr.apr"),
              bytes({0xF7, 0, 4, 0, 0, 1}) +
                  apertureRecordBytes(1, 10, bytes({0x30, 0xE0, 0x03, 0}), bytes({0, 0, 0, 0})) +
                  apertureRecordBytes(4, 11, bytes({0x20, 0x41, 0x17, 0}), bytes({0x90, 0xA0, 0x0B, 0})) +
                  apertureRecordBytes(0, 12, bytes({0xA0, 0xA6, 0x04, 0}), bytes({0, 0, 0, 0})) +
                  apertureRecordBytes(5, 13, bytes({0xC0, 0x80, 0x0F, 0}), bytes({0x60, 0xC0, 0x07, 0})));
    EXPECT_EQ(read("gcpv/rck.rck"), bytes({0x74, 2, 2, 0, 0, 1}) + bytes({0xA8, 0x90, 0x0D, 0, 0, 0x0E}) +
                                        std::string(16, '\0') + bytes({0x20, 0xDA, 0x0A, 0, 0, 0x0E}) +
                                        std::string(16, '\0'));
}

// Catches the viewer's limits off by one (255 apertures and 20 tools fit), or a report of tools alone or of
// apertures alone refused as holding nothing.
TEST_F(ReportTest, OneSidedAndFullTables) {
    Lines full = many("D", 255);
    for (const auto& tool : many("T", 20))
        full.push_back(tool);
    struct Case {
        Lines lines;
        int apertures, tools;
    } cases[] = {{{"heading", "", reportLine("T1", " 28")}, 0, 1}, {many("D", 1), 1, 0}, {full, 255, 20}};
    for (const auto& c : cases) {
        report(c.lines);
        auto r = run();
        EXPECT_EQ(r.log, doneLog);
        const std::string apr = read("gcpv/apr.apr");
        const std::string rck = read("gcpv/rck.rck");
        EXPECT_EQ(apr.substr(0, 6), bytes({0xF7, 0, c.apertures, 0, 0, 1}));
        EXPECT_EQ(apr.size(), 6u + 64 * static_cast<size_t>(c.apertures));
        EXPECT_EQ(rck.substr(0, 6), bytes({0x74, 2, c.tools, 0, 0, 1}));
        EXPECT_EQ(rck.size(), 6u + 22 * static_cast<size_t>(c.tools));
    }
}

// Catches a file that is no report (no aperture or tool line, bytes that are no text) completing over good
// tables, or a refusal that names no file or replaces them. Empty files and other jobs' files are refused in
// the fault tests.
TEST_F(ReportTest, FileThatIsNoReportIsRefusedAndTablesStay) {
    write("gcpv/apr.apr", "good apr");
    write("gcpv/rck.rck", "good rck");
    const std::string noLines = "The file holds no aperture line and no tool line of an aperture report:";
    const struct {
        std::string content, first;
    } cases[] = {{crlfLines({"heading", "", "  x"}), noLines},
                 {"    D10  \x01\x02\xff\r\n", "Line 1 of the file is not text:"}};
    for (const auto& c : cases) {
        write("in/BOARD.REP", c.content);
        auto r = run();
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.log,
                  "[Reading and converting Tango apertures]\r\n" + c.first + "\r\n<" + text("in") +
                      "\\BOARD.REP>\r\nExpected lines whose columns 5 to 8 begin with a D-code (D10) or a "
                      "tool (T1).\r\nNo viewer table was written, correct and re-try.\r\n");
        EXPECT_EQ(read("gcpv/apr.apr"), "good apr");
        EXPECT_EQ(read("gcpv/rck.rck"), "good rck");
    }
}

// Catches an unknown shape stopping the job, logged out of order, or leaving its record other than zero.
TEST_F(ReportTest, UnknownShapeKeysAreLoggedAtTheEndInReportOrder) {
    report({reportLine("D10", "STAR", " 10", " 10", "FLAS"),
            reportLine("D11", "ELLIPSE", " 10", " 10", "FLAS"),
            reportLine("D12", "Thermal", " 20", " 20", "flas"),
            reportLine("D13", "SQUARE", " 10", " 10", "DRAW")});
    auto r = run();
    EXPECT_EQ(r.log, doneLog + "     Aperture [STAR   FLAS] is not recognised\r\n"
                               "     Aperture [Thermalflas] is not recognised\r\n");
    const std::string apr = read("gcpv/apr.apr");
    ASSERT_EQ(apr.size(), 6u + 4 * 64);
    EXPECT_EQ(apr[6], 0);
    EXPECT_EQ(apr[6 + 64 * 3], 0);
}

// Catches a shape key mapped to the wrong viewer code, or an unknown key given one.
TEST_F(ReportTest, ShapeCodes) {
    struct Case {
        std::string key;
        std::optional<int> code;
    } cases[] = {{"ELLIPSEDRAW", 0}, {"ellipseflas", 1},          {"MT HOLEFLAS", 1}, {"SQ RECTFLAS", 4},
                 {"OVAL   FLAS", 5}, {"RD RECTFLAS", 5},          {"TARGET FLAS", 8}, {"UNUSED", 2},
                 {"SQUARE DRAW", 0}, {"OVAL FLAS", std::nullopt}, {"", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(report::shapecode(c.key), c.code) << c.key;
}

// Catches sizes rounded or signed wrongly, the 32-bit limit off, or hexadecimal read wrongly.
TEST(SizeEncoding, NanometresLittleEndian) {
    EXPECT_EQ(report::nmbytes(*report::nmvalue(-0.001)), bytes({0xC8, 0x9C, 0xFF, 0xFF}));
    EXPECT_EQ(report::nmbytes(*report::nmvalue(0.0105)), bytes({0xCC, 0x11, 0x04, 0x00}));
    EXPECT_EQ(report::nmvalue(84.55), std::nullopt);
    EXPECT_EQ(report::nmvalue(84.5), 2146300000);
    EXPECT_EQ(report::hexvalue("ff"), 255);
    EXPECT_EQ(report::hexvalue(" 1A 2"), 26);
}

// Catches a limit passed by one, or one table written when the other cannot be.
TEST_F(ReportTest, LimitsStopWithoutWritingEitherTable) {
    struct Case {
        Lines lines;
        std::string message;
    } cases[] = {
        {many("D", 256),
         "The report lists 256 apertures, more than the 255 the viewer's aperture table can hold."},
        {many("T", 21), "The report lists 21 tools, more than the 20 the viewer's tool table can hold."},
        {{reportLine("D256", "ELLIPSE", " 10", " 10", "FLAS")},
         "The D-code D256 on line 1 of the report does not fit the viewer's table (0 to 255)."},
        {{reportLine("D-1", "ELLIPSE", " 10", " 10", "FLAS")},
         "The D-code D-1 on line 1 of the report does not fit the viewer's table (0 to 255)."},
        {{"heading", reportLine("T1", "9999999")},
         "The size 9999999 on line 2 of the report is too large for the viewer."}};
    write("gcpv/apr.apr", "old apr");
    write("gcpv/rck.rck", "old rck");
    for (const auto& c : cases) {
        report(c.lines);
        auto r = run();
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.log, "[Reading and converting Tango apertures]\r\n" + c.message +
                             "\r\nNo viewer table was written, correct and re-try.\r\n");
        EXPECT_EQ(read("gcpv/apr.apr"), "old apr");
        EXPECT_EQ(read("gcpv/rck.rck"), "old rck");
    }
}

} // namespace
