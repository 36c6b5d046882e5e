// Faults while jobs run: files removed or emptied after the checks, inputs that are directories, a disk that
// fills up. Each must end with a message naming the path, a stopped job, and every file as it was.
#include "app/commit.hpp"
#include "app/runner.hpp"
#include "model/buttons.hpp"
#include "platform/host.hpp"
#include "platform/interrupt.hpp"
#include "platform/replace.hpp"
#include "support.hpp"

#include <functional>
#include <map>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace fk;
using namespace fk::test;

namespace {

class FaultTest : public Scratch {
  protected:
    // Fab Export dates its files: one date for every run, so that a run done again gives the same bytes.
    ScopedVariable epoch_{"SOURCE_DATE_EPOCH", "1700000000"};

    void SetUp() override {
        Scratch::SetUp();
        prepareFiles();
    }

    // Every input afresh, and nothing else in the work folders.
    void prepareFiles() {
        for (const char* dir : {"w", "out"}) {
            fs::remove_all(path(dir));
            fs::create_directories(path(dir));
        }
        const std::string header = ";Tango-PCB PLUS V2.30 Series II";
        const std::string dfn =
            crlfLines({"PALETD 1", "PALETD 2", "CAM_FILE x",
                       R"(GRB_AP2 11 10 10 0 DRAW ELLIPSE "ROUND DRAW- 10 MILS")", "CAM_TOOL 1 28"});
        write("w/BOARD.PCB", crlfLines({header, "PAD EL 60 60 28 AL", "VIA CR 50 28 GD 1 2 3 4 5",
                                        "LINE 10 0 0 1 1", "POLY 1 3 a b c", "pnt 1", "pnt 2", "pnt 3"}));
        write("w/PCB.DFN", dfn);
        write("w/BOARD.REP", "    D10   ELLIPSE   10   10         FLAS\r\n    T1      35\r\n");
        write("w/BOARD.NC1", crlfLines({"M48", "INCH,LZ", "T1", "X+12Y+34"}));
        write("w/LIST.TXT", "50/28 GT\r\n");
        write("w/TABLE.TXT", "11 10 10 ROUND\r\n");
        write("w/A.GBR", "D11*\r\nX1Y2D01*\r\n");
        write("w/OUTLINE.GBR", "D11*\r\nX1Y2D01*\r\n"); // Fab Export needs an outline
        write("w/HOLES.TXT", "DRILL: 20\r\nX 1 Y 1\r\n");
        write("prog/flashkit.ini", "\r\n\r\n");
        // The plane tables exist, so that a run writes nothing but its own outputs.
        runJob(0, {});
        fs::remove(path("w/DFN.BAK"));
        fs::remove(path("w/BOARD.DFN"));
        write("w/PCB.DFN", dfn);
    }

    app::Fields fields() const {
        app::Fields f;
        f.fnamebase = "BOARD";
        f.indatapath = f.dfnpath = f.gcpvpath = text("w");
        f.outdatapath = text("out");
        return f;
    }

  public:
    // Runs a job in-process; `fault` runs once, at the given refresh of the log (0: at the beep, pickHook:
    // at the first file selection).
    static constexpr int pickHook = 1000;

  protected:
    app::JobResult runJob(int index, std::vector<std::string> picks, int faultAt = -1,
                          std::function<void()> fault = {}) {
        app::MessageLog log;
        app::JobContext context;
        context.fields = fields();
        context.programDir = text("prog");
        context.services.log = &log;
        int refreshes = 0;
        context.services.beep = [&] {
            if (faultAt == 0 && fault)
                fault();
        };
        log.onRefresh = [&] {
            if (++refreshes == faultAt && fault)
                fault();
        };
        size_t next = 0;
        context.services.pickfile = [&](const app::PickRequest&) {
            if (next == 0 && faultAt == pickHook && fault)
                fault();
            return next < picks.size() ? picks[next++] : std::string();
        };
        context.services.confirm = [](const std::string&, const std::string&) { return true; };
        auto result = model::dispatch(index, context);
        log_ = log.text();
        return result.value_or(app::JobResult::Stopped);
    }

    std::map<std::string, std::string> snapshot() const { return filesBelow(root_); }

    std::string log_;
};

struct Fault {
    const char* name;
    int job;
    int at;
    const char* file;   // the file the fault touches
    bool remove;        // remove it, or else empty it
    const char* logHas; // a part of the final log
};

// Catches: an input that vanished or emptied after the checks giving a half-written set of files.
TEST_F(FaultTest, InputsChangedAfterTheChecks) {
    const std::string w = text("w");
    const Fault faults[] = {
        {"design removed while reading", 0, 2, "w/BOARD.PCB", true, "Could not read the file:\r\n<"},
        {"design emptied", 0, 2, "w/BOARD.PCB", false, "not saved in ASCII format"},
        {"PCB.DFN removed before the backup", 0, 9, "w/PCB.DFN", true, "Could not read the file:\r\n<"},
        {"report removed", 2, 2, "w/BOARD.REP", true, "Could not read the file:\r\n<"},
        {"drill file removed", 6, 0, "w/BOARD.NC1", true, "Could not read the file:\r\n<"},
        {"drill file emptied", 6, 0, "w/BOARD.NC1", false,
         "The NC drill data is not in a recognized format!"},
        {"design removed before the via list", 9, pickHook, "w/BOARD.PCB", true,
         "Could not read the file:\r\n<"},
        {"design emptied before the via list", 9, pickHook, "w/BOARD.PCB", false,
         "File is not in ASCII format!"},
    };
    for (const auto& f : faults) {
        prepareFiles();
        const std::string touched = f.file;
        auto before = snapshot();
        auto result = runJob(f.job, {w + "\\LIST.TXT"}, f.at, [&] {
            if (f.remove)
                fs::remove(path(touched));
            else
                write(touched, "");
        });
        EXPECT_EQ(result, app::JobResult::Stopped) << f.name;
        EXPECT_NE(log_.find(f.logHas), std::string::npos) << f.name << "\n" << log_;
        auto after = snapshot();
        if (f.remove)
            before.erase(fs::path(touched).make_preferred().string());
        else
            before[fs::path(touched).make_preferred().string()] = "";
        EXPECT_EQ(after, before) << f.name;
    }
}

// Catches: a job that says it completed over an input of the wrong kind (empty, random bytes, another job's
// file), or that changes any file before it refuses.
TEST_F(FaultTest, WrongKindOfInputIsRefusedAndChangesNothing) {
    const std::string w = text("w");
    std::string random;
    for (unsigned i = 0, x = 12345; i < 600; ++i, x = x * 1103515245 + 12345)
        random.push_back(static_cast<char>(x >> 16));
    const std::string drill = read("w/BOARD.NC1"), design = read("w/BOARD.PCB");
    const struct {
        const char* name;
        int job;
        const char* file;
        std::string otherJobs;
        std::vector<std::string> picks;
    } inputs[] = {
        {"PCB >> Aperture", 0, "w/BOARD.PCB", drill, {}},
        {"REP >> GerbView", 2, "w/BOARD.REP", drill, {}},
        {"NC1 >> 2,3,4", 6, "w/BOARD.NC1", design, {}},
        {"Fab Export", 3, "w/BOARD.NC1", design, {w + "\\OUTLINE.GBR"}},
        {"PCB Processor", 4, "w/BOARD.PCB", drill, {w + "\\BOARD.PCB"}},
        {"Vias >> Plane", 9, "w/BOARD.PCB", drill, {w + "\\LIST.TXT"}},
        {"drill list", 8, "w/HOLES.TXT", design, {w + "\\HOLES.TXT", w + "\\TABLE.TXT", w + "\\A.GBR"}},
        {"Gerber plot", 8, "w/A.GBR", drill, {"", w + "\\TABLE.TXT", w + "\\A.GBR"}},
    };
    for (const auto& input : inputs) {
        for (const std::string& content : {std::string(), random, input.otherJobs}) {
            prepareFiles();
            write(input.file, content);
            const auto before = snapshot();
            EXPECT_EQ(runJob(input.job, input.picks), app::JobResult::Stopped) << input.name << "\n" << log_;
            EXPECT_EQ(snapshot(), before) << input.name;
        }
    }
}

// Catches: a folder where an input should be read as an empty file, or crashing a job.
TEST_F(FaultTest, InputThatIsADirectory) {
    fs::remove(path("w/BOARD.PCB"));
    fs::create_directories(path("w/BOARD.PCB"));
    fs::remove(path("w/BOARD.NC1"));
    fs::create_directories(path("w/BOARD.NC1"));
    auto before = snapshot();
    const std::string w = text("w");
    struct Case {
        int job;
        std::vector<std::string> picks;
        std::string log;
    } cases[] = {
        {0, {}, "The file you specified was not found: \r\n<" + w + "\\BOARD.PCB>"},
        {6, {}, "File (" + w + "\\BOARD.NC1) not found!"},
        {4, {w + "\\BOARD.PCB"}, "The file you specified was not found:\r\n<" + w + "\\BOARD.PCB>"},
        {8,
         {"", w + "\\TABLE.TXT", w + "\\A.GBR ,BOARD.PCB"},
         "Aperture file processed:\t 1 codes found.\r\nCould not read the file:\r\n<" + w + "\\BOARD.PCB>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(runJob(c.job, c.picks), app::JobResult::Stopped) << c.job;
        EXPECT_EQ(log_, c.log) << c.job;
        EXPECT_EQ(snapshot(), before) << c.job;
    }
}

// Catches: a failed write (a full disk, met by the real system call) ignored, or a target half replaced.
TEST_F(FaultTest, FullDiskChangesNothing) {
    const std::string w = text("w");
    struct Case {
        int job;
        std::vector<std::string> picks;
    } cases[] = {
        {0, {}},
        {2, {}},
        {4, {w + "\\BOARD.PCB"}},
        {6, {}},
        {8, {w + "\\HOLES.TXT", w + "\\TABLE.TXT", w + "\\A.GBR"}},
        {9, {w + "\\LIST.TXT"}},
        {10, {}},
        {3, {w + "\\OUTLINE.GBR"}},
    };
    for (const auto& c : cases) {
        for (std::uintmax_t budget : {0, 20}) {
            prepareFiles();
            auto before = snapshot();
            platform::setWriteBudgetForTesting(budget);
            auto result = runJob(c.job, c.picks);
            platform::setWriteBudgetForTesting(std::nullopt);
            EXPECT_EQ(result, app::JobResult::Stopped) << c.job << " " << budget;
            EXPECT_NE(log_.find("Could not write the file:\r\n<" + text("")), std::string::npos)
                << c.job << " " << budget << "\n"
                << log_;
            EXPECT_NE(log_.find(">\r\nThe disk is full."), std::string::npos) << c.job << " " << budget;
            EXPECT_EQ(snapshot(), before) << c.job << " " << budget;
        }
    }
}

} // namespace

namespace {

// Jobs that write several files, with the picks that make them write all of them.
struct MultiOutputJob {
    const char* name;
    int job;
    int outputs;
    std::vector<std::string> picks;
    int early; // a hook before the job reads anything: the beep or the first file selection
};

std::vector<MultiOutputJob> multiOutputJobs(const std::string& w) {
    return {
        {"PCB >> Aperture", 0, 3, {}, 0},
        {"REP >> GerbView", 2, 2, {}, 0},
        {"Gerber Converter",
         8,
         3,
         {w + "\\HOLES.TXT", w + "\\TABLE.TXT", w + "\\A.GBR"},
         FaultTest::pickHook},
        {"NC1 >> 2,3,4", 6, 7, {}, 0},
        {"Fab Export", 3, 4, {w + "\\OUTLINE.GBR"}, 0},
    };
}

// Catches: targets replaced before a later one fails staying new (a half old, half new set of files), also
// where no hard link keeps the old target and it moves aside instead.
TEST_F(FaultTest, AFailingReplacementPutsBackTheTargetsAlreadyReplaced) {
    for (const auto& job : multiOutputJobs(text("w"))) {
        for (int failing = 0; failing < 2 * job.outputs; ++failing) {
            prepareFiles();
            const auto before = snapshot();
            platform::setReplaceFailureForTesting(failing % job.outputs);
            platform::setHardLinkFailureForTesting(failing >= job.outputs);
            const auto result = runJob(job.job, job.picks);
            platform::setReplaceFailureForTesting(std::nullopt);
            platform::setHardLinkFailureForTesting(false);
            EXPECT_EQ(result, app::JobResult::Stopped) << job.name << " " << failing;
            EXPECT_NE(log_.find(">\r\nThe file is in use by another program."), std::string::npos) << log_;
            EXPECT_EQ(snapshot(), before) << job.name << " " << failing;
        }
    }
}

// Catches: a journal that could not be written whole leaving targets replaced, or itself behind, in any of
// the folders a commit writes to.
TEST_F(FaultTest, AJournalCutOffReplacesNothing) {
    int secondJournals = 0;
    for (const auto& job : multiOutputJobs(text("w"))) {
        for (int failing : {0, 1}) {
            prepareFiles();
            const auto before = snapshot();
            platform::setJournalFailureForTesting(failing);
            const auto result = runJob(job.job, job.picks);
            platform::setJournalFailureForTesting(std::nullopt);
            if (failing == 1 && result == app::JobResult::Completed)
                continue; // its outputs are all in one folder: there is no second journal
            secondJournals += failing;
            EXPECT_EQ(result, app::JobResult::Stopped) << job.name << " " << failing;
            EXPECT_NE(log_.find("Could not write the file:\r\n<" + text("")), std::string::npos) << log_;
            EXPECT_NE(log_.find(">\r\nThe disk is full."), std::string::npos) << log_;
            EXPECT_EQ(snapshot(), before) << job.name << " " << failing;
        }
    }
    EXPECT_GT(secondJournals, 0);
}

// Catches: a journal of an ended run cut off while it was written (before any target was touched) read as
// a shorter one: it is removed with its run's files and every target as it was, and the log names nothing
// undone. A whole journal of such a run says what it put back.
TEST_F(FaultTest, AJournalCutOffIsNoRecord) {
    const auto boot = platform::host::currentRun().boot;
    const auto dead = [&](const std::string& name, char kind) {
        return "w/." + name + ".fk-999999999-5-" + std::to_string(boot) + "-" + kind + "abcdef";
    };
    const std::string journal = dead("flashkit-journal", 'j'), temp = dead("A.GBR", 't');
    const auto fields = [](std::vector<std::string> texts) {
        std::string bytes;
        for (const auto& t : texts)
            bytes += t + '\0';
        return bytes;
    };
    const std::string main = platform::utf8OfHostPath(path(journal)),
                      entry = fields({platform::utf8OfHostPath(path(temp)),
                                      platform::utf8OfHostPath(path("w/A.GBR")), ""});
    const std::string undone =
        "A run that was stopped while it replaced its files has been undone; these files "
        "have their old content again:\r\n<" +
        text("w") + "\\A.GBR>";
    const struct {
        std::string bytes, said;
    } cases[] = {
        {fields({"flashkit-journal 2", main}) + entry + fields({"end"}), undone},
        {fields({"flashkit-journal 1", main}) + entry, undone}, // an earlier build's
        {fields({"flashkit-journal 2", main}) + entry, ""},
        {fields({"flashkit-journal 2", main}) + entry +
             fields({platform::utf8OfHostPath(path(dead("B.GBR", 't')))}),
         ""},
        {fields({"flashkit-journal 2", main}) + entry.substr(0, entry.size() - 1), ""},
        {fields({"flashkit-journal 2", main, "end"}), ""},
        {fields({"flashkit-journal 1", main}), ""},
        {fields({"flashkit-journal 2"}), ""},
    };
    for (const auto& c : cases) {
        prepareFiles();
        const auto before = snapshot();
        write(journal, c.bytes);
        write(temp, "new");
        std::string said;
        for (const auto& message : platform::tidyDirectory(text("w")))
            said += message;
        EXPECT_EQ(said, c.said) << c.bytes;
        EXPECT_EQ(snapshot(), before) << c.bytes;
    }
}

#ifndef _WIN32
bool hasTransientFile(const std::map<std::string, std::string>& files) {
    for (const auto& [name, bytes] : files) {
        if (name.find(".fk-") != std::string::npos)
            return true;
    }
    return false;
}

// A job that writes nothing: what runs first in a folder after a killed run.
app::JobResult nothing(const app::JobContext&) {
    return app::JobResult::Completed;
}

// Catches: a run killed before its journal is gone leaving a mixed set that the next run does not repair,
// and a commit the journal already marks as done being undone.
TEST_F(FaultTest, ARunKilledWhileReplacingIsUndoneByTheNextRunUnlessItsCommitWasDone) {
    for (const auto& job : multiOutputJobs(text("w"))) {
        prepareFiles();
        ASSERT_EQ(runJob(job.job, job.picks), app::JobResult::Completed) << job.name;
        const auto done = snapshot();
        // Killed after 0..outputs replacements the journal is there; one step later it is gone. The next run
        // tidies its folders in its own order; a run in one folder and then one in the other do as well.
        for (int step = 0; step < 3 * (job.outputs + 2); ++step) {
            const int replaced = step / 3, order = step % 3;
            const bool finished = replaced > job.outputs;
            prepareFiles();
            const auto before = snapshot();
            const pid_t child = ::fork();
            if (child == 0) {
                platform::setCommitKillForTesting(replaced);
                runJob(job.job, job.picks);
                std::_Exit(0);
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_EQ(WEXITSTATUS(status), 137) << job.name << ": the kill seam was not reached";
            EXPECT_TRUE(finished || hasTransientFile(snapshot())) << job.name;

            std::string said;
            if (order == 0) {
                app::MessageLog log;
                app::JobContext context;
                context.fields = fields();
                context.programDir = text("prog");
                context.services.log = &log;
                EXPECT_EQ(app::runJob(nothing, context), app::JobResult::Completed);
                said = log.text();
            } else {
                for (const char* dir : order == 1 ? std::vector{"out", "w"} : std::vector{"w", "out"})
                    for (const auto& message : platform::tidyDirectory(text(dir)))
                        said += message + "|";
            }
            EXPECT_EQ(said.substr(0, 62),
                      finished ? "" : "A run that was stopped while it replaced its files has been un")
                << job.name << " " << replaced << " " << order;
            EXPECT_EQ(std::count(said.begin(), said.end(), '|'), order == 0 || finished ? 0 : 1) << said;
            EXPECT_EQ(snapshot(), finished ? done : before) << job.name << " " << replaced << " " << order;
        }
    }
}
#endif

// Catches: leftovers of ended runs piling up, another running instance's files being removed, and a process
// that only took the number of an ended run protecting that run's files.
TEST_F(FaultTest, LeftoversOfEndedRunsGoAndThoseOfRunningOnesStay) {
    const auto self = platform::host::currentRun();
    ASSERT_NE(self.started, 0u);
    const auto name = [](std::string dir, auto pid, auto started, auto boot, char kind) {
        return dir + "/.A.GBR.fk-" + std::to_string(pid) + "-" + std::to_string(started) + "-" +
               std::to_string(boot) + "-" + kind + "abcdef";
    };
    const auto [pid, started, boot] = self;
    // Windows creation times need no boot to go with them (0).
    const bool bootCounts = boot != 0;
    const struct {
        std::string name;
        bool stays;
    } cases[] = {
        {name("w", pid, started, boot, 't'), true},
        {name("w", pid, started, boot, 'b'), true},
        {name("out", pid, started, boot, 'j'), true},
        {name("w", pid, started - 1, boot, 't'), false}, // a later process took an ended run's number
        {name("w", pid, started + 1, boot, 'b'), false},
        {name("w", pid, started, boot + 1, 'b'), !bootCounts}, // a run before the last boot
        {name("w", pid, 0, boot, 't'), true},                  // start time unknown
        {name("w", 999999999, 5, boot, 't'), false},
        {name("out", 999999999, 5, boot, 'j'), false},
        {"w/.A.GBR.fk-999999999-tabcdef", false}, // from a build that wrote only the process id
        {"w/.A.GBR.fk-" + std::to_string(pid) + "-tabcdef", true},
        {name("w", 999999999, 5, boot, 'x'), true}, // not a kind of ours
        {"w/.A.GBR.fk-999999999-5-tabcdef", true},
        {"w/.A.GBR.fk-999999999-5-1-tabcde", true},
        {"w/.A.GBR.fk-999999999-5-1tabcdef", true},
        {"w/.keep.fk-data", true},
    };
    for (const auto& c : cases)
        write(c.name, "x");
    runJob(2, {});
    for (const auto& c : cases)
        EXPECT_EQ(exists(c.name), c.stays) << c.name;
}

#ifndef _WIN32
// A second run in the folder, alive until it is killed: half way through a commit, with the old target
// kept under a second name that has the target's old time. Returns when its files are made.
pid_t startRunInTheMiddleOfACommit(const fs::path& target) {
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        namespace host = platform::host;
        auto temp = host::createTempBeside(target, 't');
        auto journal = host::createTempBeside(target.parent_path() / "flashkit-journal", 'j');
        const bool made =
            temp.temp && journal.temp && host::hardLink(target, host::transientName(target, 'b'));
        (void)!::write(ready[1], made ? "y" : "n", 1);
        for (;;)
            ::pause();
    }
    char made = 'n';
    (void)!::read(ready[0], &made, 1);
    ::close(ready[0]);
    ::close(ready[1]);
    if (made == 'y')
        return child;
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return -1;
}

// Catches: a live run's files judged by their times (a hard link keeps the old file's), so that a second
// instance removes the backup the live run needs to undo a kill; the files of a killed run staying.
TEST_F(FaultTest, ALiveRunsFilesStayWhateverTheirTimesAndGoWhenItIsKilled) {
    fs::last_write_time(path("w/A.GBR"), fs::file_time_type::clock::now() - std::chrono::hours(24 * 365));
    const auto alone = snapshot();
    const pid_t other = startRunInTheMiddleOfACommit(path("w/A.GBR"));
    ASSERT_GT(other, 0);
    const auto during = snapshot();
    ASSERT_EQ(during.size(), alone.size() + 3);
    EXPECT_TRUE(platform::tidyDirectory(text("w")).empty());
    EXPECT_EQ(snapshot(), during);
    ::kill(other, SIGKILL);
    siginfo_t ended;
    ::waitid(P_PID, static_cast<id_t>(other), &ended, WEXITED | WNOWAIT); // killed, not yet collected
    EXPECT_TRUE(platform::tidyDirectory(text("w")).empty());
    EXPECT_EQ(snapshot(), alone);
    ::waitpid(other, nullptr, 0);
}
#endif

// Catches: a stop asked for after the last read (between two commits) not checked before the targets are
// replaced.
TEST_F(FaultTest, AStopRequestBeforeACommitReplacesNothing) {
    platform::InterruptScope scope;
    platform::AtomicWriter out(text("w") + "\\A.GBR");
    out.write("new");
    out.finish(); // a finished output writes nothing more, so only the commit can see the stop
    platform::requestInterruptForTesting();
    app::MessageLog log;
    EXPECT_THROW(app::commitOutputs(log, {&out}), platform::Interrupted);
    EXPECT_EQ(read("w/A.GBR"), "D11*\r\nX1Y2D01*\r\n");
}

// Catches: Ctrl+C or SIGTERM killing a job half way instead of ending it with every file as it was.
TEST_F(FaultTest, AStopRequestEndsTheJobWithEveryFileAsItWas) {
    for (const auto& job : multiOutputJobs(text("w"))) {
        prepareFiles();
        const auto before = snapshot();
        const auto result =
            runJob(job.job, job.picks, job.early, [] { platform::requestInterruptForTesting(); });
        EXPECT_EQ(result, app::JobResult::Stopped) << job.name;
        EXPECT_NE(log_.find("The job was stopped before it finished; no file was changed."),
                  std::string::npos)
            << job.name << "\n"
            << log_;
        EXPECT_EQ(snapshot(), before) << job.name;
    }
}

} // namespace
