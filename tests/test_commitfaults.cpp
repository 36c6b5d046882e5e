// Faults while a job replaces its outputs: a replacement or journal that fails, a run killed half way, the
// leftovers of ended and running runs, and a stop request. Each must leave every file as it was.
#include "app/commit.hpp"
#include "faultjobs.hpp"
#include "platform/host.hpp"
#include "platform/interrupt.hpp"
#include "platform/replace.hpp"

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace fk;
using namespace fk::test;

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
