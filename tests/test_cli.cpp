// The command line and the definition-file copies run through it.
#include "support.hpp"

using namespace fk;
using namespace fk::test;

namespace {

class CliTest : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        fs::create_directories(path("in"));
        fs::create_directories(path("dfn"));
    }
    std::vector<std::string> copyArgs(const std::string& job) const {
        return {job, "--input-path", text("in"), "--dfn-path", text("dfn"), "--base", "BOARD"};
    }
};

TEST_F(CliTest, UsageErrors) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"nojob"},
                                               {"7"},
                                               {"1"},
                                               {"dfn2file", "--bogus", "x"},
                                               {"dfn2file", "--planes", "x"},
                                               {"dfn2file", "--confirm", "maybe"},
                                               {"dfn2file", "--base"},
                                               {"dfn2file", "stray"}}) {
        std::ostringstream out, err;
        EXPECT_EQ(cli::run(args, text("prog"), out, err), 2);
        EXPECT_NE(err.str().find("usage: flashkit-cli JOB"), std::string::npos);
        EXPECT_EQ(out.str(), "");
    }
}

TEST_F(CliTest, CopyChecksInOrder) {
    struct Case {
        std::string job;
        bool inputOk, dfnOk, sourceOk;
        std::string log;
    };
    const std::string crlf = "\r\n";
    std::vector<Case> cases = {
        {"dfn2file", false, false, false, "Invalid xxx.DFN destination file path, correct and re-try"},
        {"dfn2file", true, false, false, "Invalid PCB.DFN source file path, correct and re-try"},
        {"dfn2file", true, true, false,
         "The PCB.DFN file you specified was not found:" + crlf + "<" + text("dfn") + "\\PCB.DFN>"},
        {"file2dfn", false, true, true, "Invalid xxx.DFN source file path, correct and re-try"},
        {"file2dfn", true, false, true, "Invalid PCB.DFN destination file path, correct and re-try"},
        {"file2dfn", true, true, false,
         "The xxx.DFN file you specified was not found:" + crlf + "<" + text("in") + "\\BOARD.DFN>"},
    };
    for (const auto& c : cases) {
        auto args = copyArgs(c.job);
        args[2] = c.inputOk ? text("in") : text("missing");
        args[4] = c.dfnOk ? text("dfn") : text("missing");
        auto r = cli(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.log, c.log);
        EXPECT_EQ(r.out, terminal(c.log));
    }
}

TEST_F(CliTest, CopiesReplaceTheDestination) {
    write("dfn/PCB.DFN", "PALETD 1\r\nno end");
    write("in/BOARD.DFN", "old");
    auto r = cli(copyArgs("10"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read("in/BOARD.DFN"), "PALETD 1\r\nno end");
    EXPECT_EQ(r.log, "<" + text("dfn") + "\\PCB.DFN>\r\ncopied to\r\n<" + text("in") + "\\BOARD.DFN>");
    EXPECT_EQ(r.out, "<" + text("dfn") + "\\PCB.DFN>\ncopied to\n<" + text("in") + "\\BOARD.DFN>");

    write("in/BOARD.DFN", "design");
    r = cli(copyArgs("file2dfn"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read("dfn/PCB.DFN"), "design");
}

TEST_F(CliTest, FailedCopyLeavesTheDestinationAsItWas) {
    write("dfn/PCB.DFN", "new");
    write("in/BOARD.DFN", "old");
    fs::permissions(path("in/BOARD.DFN"), fs::perms::owner_read);
    auto r = cli(copyArgs("dfn2file"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log,
              "Could not write the file:\r\n<" + text("in") + "\\BOARD.DFN>\r\nThe file is read-only.");
    EXPECT_EQ(read("in/BOARD.DFN"), "old");
}

TEST_F(CliTest, EmptyBaseNameNamesDotDfn) {
    write("dfn/PCB.DFN", "x");
    auto args = copyArgs("dfn2file");
    args[6] = "";
    EXPECT_EQ(cli(args).status, 0);
    EXPECT_EQ(read("in/.DFN"), "x");
}

TEST_F(CliTest, FieldsComeFromTheSettingsFileAndAreNeverSaved) {
    const std::string ini = " 0\r\n 0\r\n 0\r\nBOARD\r\n" + text("in") + "\r\n" + text("dfn") + "\r\n";
    write("prog/flashkit.ini", ini);
    write("dfn/PCB.DFN", "x");
    auto r = cli({"dfn2file", "--base=OTHER"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read("in/OTHER.DFN"), "x");
    EXPECT_EQ(read("prog/flashkit.ini"), ini);
}

TEST_F(CliTest, HostPathsBecomeZTextsAndProgressGoesToStandardError) {
    FK_POSIX_ONLY();
    write("dfn/PCB.DFN", "x");
    auto r = cli(
        {"dfn2file", "--input-path", path("in").string(), "--dfn-path", path("dfn").string(), "--base", "B"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.log.find("<" + text("in") + "\\B.DFN>"), std::string::npos);
    EXPECT_EQ(r.err, r.out + "\n");
}

TEST_F(CliTest, MissingProgramDirectoryIsAUsageError) {
    std::ostringstream out, err;
    EXPECT_EQ(cli::run({"dfn2file", "--program-dir", text("nowhere")}, text("prog"), out, err), 2);
}

} // namespace
