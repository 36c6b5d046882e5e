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
    Lines copyArgs(const std::string& job) const {
        return {job, "--input-path", text("in"), "--dfn-path", text("dfn"), "--base", "BOARD"};
    }
    CliResult runDirect(const Lines& args) const {
        std::ostringstream out, err;
        int status = cli::run(args, text("prog"), out, err);
        return {status, out.str(), err.str(), ""};
    }
};

// Catches help or version answered as an error (standard error, status 2) or a version not the project's.
TEST_F(CliTest, HelpAndVersionAnswerOnStandardOutput) {
    const std::string usage = "usage: flashkit-cli JOB [options]\n       flashkit-cli --help | --version\n";
    for (const std::string arg : {"--version", "--help", "-h"}) {
        auto r = runDirect({arg});
        EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, std::string())) << arg;
        EXPECT_EQ(arg == "--version" ? r.out : r.out.substr(0, usage.size()),
                  arg == "--version" ? "flashkit-cli " FLASHKIT_VERSION "\n" : usage);
    }
}

// Catches a wrong command line running a job, printing to standard output or exiting other than 2.
TEST_F(CliTest, UsageErrors) {
    for (const std::string line :
         {"", "nojob", "7", "1", "--version dfn2file", "dfn2file --help", "dfn2file --bogus x",
          "dfn2file --planes x", "dfn2file --planes 70000", "dfn2file --confirm maybe", "dfn2file --base",
          "dfn2file stray", "dfn2file --ring 5", "boardcheck --thickness 1", "fabexport --json x.json"}) {
        Lines args;
        std::istringstream words(line);
        for (std::string word; words >> word;)
            args.push_back(word);
        auto r = runDirect(args);
        EXPECT_EQ(r.status, 2) << line;
        EXPECT_EQ(r.err.rfind("flashkit-cli: ", 0), 0u) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_NE(runDirect({"nojob"}).err.find("\nusage: flashkit-cli JOB"), std::string::npos);
    // The limits belong to the two jobs that use them, the thickness to Fab Export alone.
    EXPECT_EQ(runDirect({"ncdrill", "--ring", "5"})
                  .err.rfind("flashkit-cli: --ring is an option of boardcheck and fabexport only\n", 0),
              0u);
    EXPECT_EQ(runDirect({"boardcheck", "--thickness", "1"})
                  .err.rfind("flashkit-cli: --thickness is an option of fabexport only\n", 0),
              0u);
    auto noDirectory = runDirect({"dfn2file", "--program-dir", text("nowhere")});
    EXPECT_EQ(noDirectory.status, 2);
    EXPECT_EQ(noDirectory.err,
              "flashkit-cli: the program directory does not exist: " + text("nowhere") + "\n");
}

// Catches a job checking its paths in another order or with another message, a stopped job's log not shown,
// or a file written (the default plane tables included) before the refusal.
TEST_F(CliTest, PathChecksInOrder) {
    write("in/BOARD.PCB", ";Tango-PCB PLUS V2.30 Series II\r\n");
    write("in/BOARD.NC1", "M48\r\nINCH\r\n");
    const std::string in = text("in"), dfn = text("dfn"), missing = text("missing"), crlf = "\r\n";
    const auto before = filesIn({"in", "dfn", "prog"});
    struct Case {
        std::string job, input, other, log; // other: the job's second path (PCB.DFN, output or viewer path)
    } cases[] = {
        {"pcb2aperture", "", dfn, "Invalid input data path, correct and re-try"},
        {"pcb2aperture", dfn, missing, "Invalid PCB.DFN data path, correct and re-try"},
        {"pcb2aperture", dfn, dfn,
         "The file you specified was not found: " + crlf + "<" + dfn + "\\BOARD.PCB>"},
        {"pcb2aperture", in, dfn,
         "The PCB.DFN file you specified was not found: " + crlf + "<" + dfn + "\\PCB.DFN>"},
        {"dfn2file", missing, missing, "Invalid xxx.DFN destination file path, correct and re-try"},
        {"dfn2file", in, missing, "Invalid PCB.DFN source file path, correct and re-try"},
        {"dfn2file", in, dfn,
         "The PCB.DFN file you specified was not found:" + crlf + "<" + dfn + "\\PCB.DFN>"},
        {"file2dfn", missing, dfn, "Invalid xxx.DFN source file path, correct and re-try"},
        {"file2dfn", in, missing, "Invalid PCB.DFN destination file path, correct and re-try"},
        {"file2dfn", in, dfn,
         "The xxx.DFN file you specified was not found:" + crlf + "<" + in + "\\BOARD.DFN>"},
        {"ncdrill", dfn, in, "File (" + dfn + "\\BOARD.NC1) not found!"},
        {"ncdrill", in, missing, "Output path (" + missing + ") not found!"},
        {"rep2prevue", missing, dfn, "Invalid input data path, correct and re-try"},
        {"rep2prevue", in, missing, "Invalid Gerber Prevue path, correct and re-try"},
        {"rep2prevue", in, dfn,
         "You must save the Tango PCB aperture report" + crlf + "to a file in the input data path:" + crlf +
             crlf + "[" + in + "\\BOARD.REP]"},
        {"viaplane", missing, dfn, "Invalid input data path, correct and re-try"},
        {"viaplane", dfn, dfn, "The file you specified was not found: " + crlf + "<" + dfn + "\\BOARD.PCB>"},
        {"pcbprocess", in, dfn, "The file you specified was not found:" + crlf + "<" + in + "\\NONE.PCB>"}};
    for (const auto& c : cases) {
        auto r = cli({c.job, "--input-path", c.input, "--dfn-path", c.other, "--output-path", c.other,
                      "--prevue-path", c.other, "--base", "BOARD", "--pick", in + "\\NONE.PCB"});
        EXPECT_EQ(r.status, 1) << c.job;
        EXPECT_EQ(r.log, c.log) << c.job;
        EXPECT_EQ(r.out.substr(0, 30), c.log.substr(0, 30)) << c.job;
        EXPECT_EQ(filesIn({"in", "dfn", "prog"}), before) << c.job;
    }
}

// Catches a copy that changes bytes, another log, or a --log file not written passing as success.
TEST_F(CliTest, CopiesReplaceTheDestination) {
    write("dfn/PCB.DFN", "PALETD 1\r\nno end");
    write("in/BOARD.DFN", "old");
    auto r = cli(copyArgs("10"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read("in/BOARD.DFN"), "PALETD 1\r\nno end");
    EXPECT_EQ(r.log, "<" + text("dfn") + "\\PCB.DFN>\r\ncopied to\r\n<" + text("in") + "\\BOARD.DFN>");
    EXPECT_EQ(r.out, "<" + text("dfn") + "\\PCB.DFN>\ncopied to\n<" + text("in") + "\\BOARD.DFN>");

    write("in/BOARD.DFN", "design");
    auto args = copyArgs("file2dfn");
    args.insert(args.end(), {"--log", text("missing") + "\\job.log"});
    r = runDirect(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(read("dfn/PCB.DFN"), "design");
    EXPECT_NE(r.err.find("Could not write the file:\n<" + text("missing") + "\\job.log>\n"),
              std::string::npos);
}

// Catches options not overriding the settings, the settings saved, or a lower-case z: in them not found.
TEST_F(CliTest, FieldsComeFromTheSettingsFileAndAreNeverSaved) {
    auto lowerDrive = [](std::string t) { return t.replace(0, 1, 1, static_cast<char>(std::tolower(t[0]))); };
    const std::string ini =
        " 0\r\n 0\r\n 0\r\nBOARD\r\n" + lowerDrive(text("in")) + "\r\n" + lowerDrive(text("dfn")) + "\r\n";
    write("prog/flashkit.ini", ini);
    write("dfn/PCB.DFN", "x");
    auto r = cli({"dfn2file", "--base=OTHER"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read("in/OTHER.DFN"), "x");
    EXPECT_EQ(read("prog/flashkit.ini"), ini);
    // A program directory without settings gets none.
    fs::create_directories(path("bare"));
    EXPECT_EQ(cli({"dfn2file", "--program-dir", text("bare"), "--input-path", text("in"), "--dfn-path",
                   text("dfn"), "--base", "B"})
                  .status,
              0);
    EXPECT_FALSE(exists("bare/flashkit.ini"));
}

// Catches a blank base name let through by one job (it would look for ".PCB" and write a hidden ".DFN"), or
// a file written before the refusal.
TEST_F(CliTest, BlankBaseNameIsRefusedByEveryJobThatUsesIt) {
    write("dfn/PCB.DFN", "x");
    write("in/.DFN", "hidden");
    write("in/.PCB", ";Tango-PCB PLUS V2.30 Series II\r\n");
    write("in/.NC1", "M48\r\nINCH,LZ\r\nT1C0.035\r\n%\r\nX001000Y002000\r\nM30\r\n");
    write("in/.REP", "    D10    ELLIPSE   12   12         DRAW\r\n");
    const auto before = filesIn({"in", "dfn", "prog"});
    for (const std::string job :
         {"pcb2aperture", "rep2prevue", "fabexport", "ncdrill", "viaplane", "dfn2file", "file2dfn"}) {
        for (const std::string base : {"", "   "}) {
            auto r =
                cli({job, "--input-path", text("in"), "--dfn-path", text("dfn"), "--prevue-path", text("in"),
                     "--output-path", text("in"), "--base", base, "--pick", text("in") + "\\.PCB"});
            EXPECT_EQ(r.status, 1) << job;
            EXPECT_EQ(r.log, "The file base name is empty, correct and re-try") << job;
            EXPECT_EQ(r.err.substr(r.err.find('\n') + 1), "\nNo file was written.\n") << job;
        }
    }
    EXPECT_EQ(filesIn({"in", "dfn", "prog"}), before);
}

// Catches host paths not turned into Z: texts, or progress and log not both shown.
TEST_F(CliTest, HostPathsBecomeZTextsAndProgressGoesToStandardError) {
    FK_POSIX_ONLY();
    write("dfn/PCB.DFN", "x");
    auto r = cli(
        {"dfn2file", "--input-path", path("in").string(), "--dfn-path", path("dfn").string(), "--base", "B"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.log.find("<" + text("in") + "\\B.DFN>"), std::string::npos);
    EXPECT_EQ(r.err, r.out + "\n\nWritten: " + text("in") + "\\B.DFN\n");
    // On one terminal for both streams the log is read once: as it appears, not again at the end.
    std::ostringstream out, err;
    EXPECT_EQ(cli::run({"dfn2file", "--input-path", path("in").string(), "--dfn-path", path("dfn").string(),
                        "--base", "B"},
                       text("prog"), out, err, true),
              0);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), r.err);
}

// Catches the files written besides the job's own named twice and written over each other: a usage error,
// with nothing written.
TEST_F(CliTest, OneFileForTwoOutputsIsAUsageError) {
    write("dfn/PCB.DFN", "x");
    const std::string in = text("in");
    for (const Lines& outputs : {Lines{"--json", in + "\\F", "--picture", in + "\\F"},
                                 Lines{"--json", in + "\\F.SVG", "--picture", in + "\\f.svg"},
                                 Lines{"--log", in + "\\F", "--picture", path("in/F").string()}}) {
        Lines args = {"boardcheck", "--board", text("in")};
        args.insert(args.end(), outputs.begin(), outputs.end());
        const auto r = runDirect(args);
        EXPECT_EQ(r.status, 2) << outputs[0];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("flashkit-cli: " + outputs[0] + " and " + outputs[2] + " name one file, ", 0),
                  0u)
            << r.err;
        EXPECT_TRUE(fs::is_empty(path("in"))) << outputs[0];
    }
}

// Catches a log shown twice on a terminal (once as it came, once more as the final log: newest on top for
// PCB >> Aperture, or only the last message where a job shows one in place of the others), or a line
// shown out of the order it came in: each job on the examples, its terminal output against its log.
TEST_F(CliTest, OnATerminalEachLogLineShowsOnceInItsOrder) {
    copyFilesOf(fs::path(FLASHKIT_EXAMPLES), path("ex"));
    copyFilesOf(fs::path(FLASHKIT_EXAMPLES) / "fab", path("ex/fab"));
    const std::string ex = text("ex");
    // How the log's lines stand in the final log: in the order they came, newest on top, or mixed.
    enum class Order { Came, Reversed, Mixed };
    const struct {
        Lines args;
        Order order;
    } jobs[] = {
        {{"pcb2aperture"}, Order::Reversed},
        {{"rep2prevue"}, Order::Mixed},
        {{"ncdrill"}, Order::Came},
        {{"gerberconverter", "--pick", ex + "\\HOLES.TXT", "--pick", ex + "\\APERTURE.TXT", "--pick",
          ex + "\\TOP.GBR ,BOTTOM.GBR"},
         Order::Came},
        {{"pcbprocess", "--pick", ex + "\\BOARD.PCB"}, Order::Came},
        {{"viaplane", "--pick", ex + "\\VIAPLANE.TXT", "--confirm", "ok"}, Order::Came},
        {{"dfn2file"}, Order::Came},
        {{"boardcheck", "--input-path", ex + "\\fab", "--dfn-path", ex + "\\fab", "--pick",
          ex + "\\fab\\TOP.GBR ,PLANE.GBR"},
         Order::Came},
        {{"fabexport", "--input-path", ex + "\\fab", "--dfn-path", ex + "\\fab", "--output-path",
          ex + "\\fab", "--pick", ex + "\\fab\\TOP.GBR ,PLANE.GBR ,OUTLINE.GBR"},
         Order::Came},
    };
    auto linesOf = [](const std::string& text) {
        Lines out;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            if (!line.empty())
                out.push_back(line);
        return out;
    };
    for (const auto& job : jobs) {
        Lines args = {job.args[0], "--program-dir", ex, "--base",        "BOARD", "--input-path",
                      ex,          "--dfn-path",    ex, "--output-path", ex,      "--prevue-path",
                      ex};
        args.insert(args.end(), job.args.begin() + 1, job.args.end());
        std::ostringstream piped, pipedErr, out, err;
        const int status = cli::run(args, ex, piped, pipedErr);
        EXPECT_EQ(cli::run(args, ex, out, err, true), status) << args[0];
        EXPECT_EQ(out.str(), "") << args[0];
        // The log's lines as they came: those of the terminal, before the report of the files written.
        const std::string e = err.str();
        const Lines shown =
            linesOf(e.substr(0, std::min(e.find("\nWritten: "), e.find("\nNo file was written."))));
        Lines logged = linesOf(piped.str());
        if (job.order == Order::Reversed)
            std::reverse(logged.begin(), logged.end());
        // Lines a job shows in place of the log before it (its first message, say) came before the log's.
        ASSERT_GE(shown.size(), logged.size()) << args[0];
        if (job.order != Order::Mixed) {
            EXPECT_EQ(Lines(shown.end() - static_cast<long>(logged.size()), shown.end()), logged) << args[0];
        }
        const std::set<std::string> once(shown.begin(), shown.end()), final(logged.begin(), logged.end());
        EXPECT_TRUE(std::includes(once.begin(), once.end(), final.begin(), final.end())) << args[0];
        EXPECT_EQ(once.size(), shown.size()) << args[0];
    }
    // Both tables' lines in the order they came, the first aperture found unknown under the first line.
    std::ostringstream out, err;
    cli::run({"rep2prevue", "--program-dir", ex, "--input-path", ex, "--prevue-path", ex}, ex, out, err,
             true);
    EXPECT_EQ(linesOf(err.str()).at(1), "     Aperture [SHAPE  TYPE] is not recognised");
}

} // namespace
