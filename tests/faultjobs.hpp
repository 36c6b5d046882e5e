// Jobs run in-process on a scratch set of every input, for tests that plant a fault while a job runs.
#pragma once

#include "app/runner.hpp"
#include "model/buttons.hpp"
#include "support.hpp"

#include <functional>
#include <map>

namespace fk::test {

// Every input of the jobs in a scratch folder, and a job run on them with a fault planted at a given moment.
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

} // namespace fk::test
