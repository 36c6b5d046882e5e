// Fab Export's job file and dates: the thickness and design rules it states, and the files' and zip entries'
// dates from SOURCE_DATE_EPOCH.
#include "app/context.hpp"
#include "fab/model.hpp"
#include "fabexport.hpp"
#include "util/text.hpp"

#include <nlohmann/json.hpp>

#include <cmath>

using namespace fk;
using namespace fk::test;

namespace {

// Catches the board thickness or the design rules taken from the wrong source (the option before the settings
// file before the default), a thickness out of range or a board too thin for its copper stack not refused.
TEST_F(FabExport, JobFileStatesThicknessAndRules) {
    struct Case {
        std::vector<std::string> options;
        std::string settings; // flashkit.ini's first line
        double thickness, spacing;
        std::string refusal; // the whole refusal ("@" the settings file), or "" when the export runs
    };
    const std::string expected = "\r\nExpected: millimetres from 0.2 to 10 (1.6). No file was written.";
    const Case cases[] = {
        {{}, "", 1.6, 0.2032, ""},
        {{"--thickness", "0.8", "--clearance", "0.15mm"}, "", 0.8, 0.15, ""},
        {{}, "FABEXPORT_THICKNESS=2.4", 2.4, 0.2032, ""},
        {{"--thickness", "10", "--clearance", "6"}, "fabexport_thickness=2.4", 10, 0.1524, ""},
        {{"--thickness", "0.1"},
         "",
         0,
         0,
         "The board thickness of --thickness is no thickness: 0.1" + expected},
        {{"--thickness", "10.001"},
         "",
         0,
         0,
         "The board thickness of --thickness is no thickness: 10.001" + expected},
        {{},
         "FABEXPORT_THICKNESS=2.4x\r\nFABEXPORT_THICKNESS=1.6mm",
         0,
         0,
         "The board thickness of @ line 1 is no thickness: 2.4x" + expected},
        {{},
         "; the board house's\r\nfabexport_thickness=1.6mm",
         0,
         0,
         "The board thickness of @ line 2 is no thickness: 1.6mm" + expected},
        {{"--thickness", "0.2", "--role", "OUTLINE=bottom", "--outline", "extent"},
         "",
         0,
         0,
         "A board of 0.2 mm cannot hold 4 copper layers of 0.035 mm with their dielectrics.\r\nNo file was "
         "written; give a thicker board (--thickness, FABEXPORT_THICKNESS) and re-try."},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        write("prog/flashkit.ini", crlfLines({c.settings}));
        write("in/INNER3.GBR", read("in/TOP.GBR"));
        const auto before = files();
        const CliResult r = run("TOP.GBR ,PLANE.GBR ,INNER3.GBR ,OUTLINE.GBR", "out", c.options);
        if (!c.refusal.empty()) {
            std::string refusal = c.refusal;
            if (const size_t at = refusal.find('@'); at != std::string::npos)
                refusal.replace(at, 1, text("prog") + "\\flashkit.ini");
            EXPECT_EQ(r.status, 1) << c.refusal;
            EXPECT_NE(r.log.find(refusal), std::string::npos) << r.log;
            EXPECT_EQ(files(), before) << c.refusal;
            continue;
        }
        ASSERT_EQ(r.status, 0) << r.log;
        const auto job = nlohmann::json::parse(read("out/BOARD.gbrjob"));
        EXPECT_EQ(job["GeneralSpecs"]["BoardThickness"].get<double>(), c.thickness) << c.settings;
        for (const char* rule : {"PadToPad", "PadToTrack", "TrackToTrack", "TrackToRegion", "RegionToRegion"})
            EXPECT_EQ(job["DesignRules"][0][rule].get<double>(), c.spacing) << rule;
    }
}

// Catches a date off by a day, a month or a year at the turns of the calendar, in the files' ISO date or the
// zip entries' date and time, and an epoch outside what a zip entry holds being taken.
TEST(FabDates, FromSourceDateEpoch) {
    struct Case {
        const char* epoch;
        std::string iso, zipped; // zipped: the first entry's date and time as the zip holds them, to 2 s
    } cases[] = {
        {"315532800", "1980-01-01T00:00:00+00:00", "1980-01-01 00:00:00"},
        {"951868799", "2000-02-29T23:59:59+00:00", "2000-02-29 23:59:58"},
        {"951868800", "2000-03-01T00:00:00+00:00", "2000-03-01 00:00:00"},
        {"1735689599", "2024-12-31T23:59:59+00:00", "2024-12-31 23:59:58"},
        {"4107542399", "2100-02-28T23:59:59+00:00", "2100-02-28 23:59:58"},
        {"4354819199", "2107-12-31T23:59:59+00:00", "2107-12-31 23:59:58"},
        {"315532799", "", ""},
        {"4354819200", "", ""},
        {"", "", ""},
        {" 1700000000", "", ""},
        {"1.7e9", "", ""},
    };
    for (const auto& c : cases) {
        ScopedVariable epoch("SOURCE_DATE_EPOCH", c.epoch);
        try {
            const auto epochSeconds = fab::sourceDateEpoch();
            if (!epochSeconds)
                continue; // Windows keeps no empty variable: "" unset it
            const std::int64_t seconds = *epochSeconds;
            EXPECT_EQ(fab::isoDate(seconds), c.iso) << c.epoch;
            const std::string zip = fab::zipOf({{"A.GBR", "x"}}, seconds);
            const auto word = [&](size_t at) {
                return std::uint8_t(zip[at]) | std::uint8_t(zip[at + 1]) << 8;
            };
            const int time = word(10), date = word(12); // the first local header's DOS time and date
            char zipped[32];
            std::snprintf(zipped, sizeof zipped, "%04d-%02d-%02d %02d:%02d:%02d", 1980 + (date >> 9),
                          date >> 5 & 15, date & 31, time >> 11, time >> 5 & 63, (time & 31) * 2);
            EXPECT_EQ(zipped, c.zipped) << c.epoch;
        } catch (const app::JobStop& stop) {
            EXPECT_EQ(stop.message, std::string("SOURCE_DATE_EPOCH is ") + c.epoch +
                                        ", which is no whole number of seconds from 1980 to 2107:\r\n"
                                        "No file was written; correct it or unset it and re-try.");
            EXPECT_EQ(c.iso, "") << c.epoch;
        }
    }
}

} // namespace
