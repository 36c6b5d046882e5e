// Faults while jobs run: files removed or emptied after the checks, inputs that are directories, a disk that
// fills up. Each must end with a message naming the path, a stopped job, and every file as it was.
#include "faultjobs.hpp"
#include "platform/replace.hpp"

using namespace fk;
using namespace fk::test;

namespace {

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
