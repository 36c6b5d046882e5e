// Board Check's limits: where each comes from (options, profiles, flashkit.ini's lines, the defaults) and
// how the limits row keeps them in the settings table.
#include "app/context.hpp"
#include "boardcheck/boardcheck.hpp"
#include "model/checklimits.hpp"
#include "support.hpp"
#include "util/text.hpp"

#include <map>

namespace fk::test {
namespace {

// Where each limit comes from: the option over the profile it names, the profile over flashkit.ini's line,
// that over the default; a profile of flashkit.ini over the shipped one of its name.
TEST_F(Scratch, LimitsFromProfilesAndLines) {
    struct Case {
        const char* what;
        std::vector<std::string> ini;
        std::map<std::string, std::string> options;
        std::string spacing, width, ring; // mils as Board Check then checks
    } cases[] = {
        {"the defaults", {}, {}, "5", "5", "5"},
        {"a line of flashkit.ini", {"BOARDCHECK_SPACING=7"}, {}, "7", "5", "5"},
        {"a shipped profile over the line",
         {"BOARDCHECK_SPACING=7"},
         {{"profile", "fine-4-layer"}},
         "4",
         "4",
         "5"},
        {"the option over the profile",
         {},
         {{"profile", "Standard-2-Layer"}, {"width", "0.2mm"}},
         "6",
         "7.87",
         "6"},
        {"flashkit.ini's profile of a shipped name",
         {"boardcheck_profile=fine-4-layer: spacing 3.5", "BOARDCHECK_PROFILE=fine-4-layer: spacing 9"},
         {{"profile", "fine-4-layer"}},
         "3.5",
         "5",
         "5"},
        {"a profile of its own",
         {"BOARDCHECK_PROFILE=mine: ring 0.1mm, width 2"},
         {{"profile", "mine"}},
         "5",
         "2",
         "3.94"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::create_directories(path("prog"));
        std::vector<std::string> lines(8, "");
        lines.insert(lines.end(), c.ini.begin(), c.ini.end());
        write("prog/flashkit.ini", crlfLines(lines));
        const app::JobContext context{
            .fields = {}, .programDir = text("prog"), .services = {}, .options = c.options};
        const board::Limits limits = board::limitsOf(context);
        const auto mils = [](util::Length l) { return util::shortDecimalText(l.toMilDecimals(2), 2); };
        EXPECT_EQ(mils(limits.spacing) + " " + mils(limits.width) + " " + mils(limits.ring),
                  c.spacing + " " + c.width + " " + c.ring);
    }
    // A profile no line or shipped set names, and one that holds no limit, stop the check with the reason.
    write("prog/flashkit.ini", crlfLines({"", "BOARDCHECK_PROFILE=bad: spacing four"}));
    const auto refusal = [&](const std::string& name) {
        try {
            board::limitsOf(
                {.fields = {}, .programDir = text("prog"), .services = {}, .options = {{"profile", name}}});
        } catch (const app::JobStop& stop) {
            return stop.message;
        }
        return std::string("no refusal");
    };
    EXPECT_EQ(refusal("none"), util::lines({"--profile names none, which is no profile.",
                                            "Expected one of: bad, standard-2-layer, fine-4-layer, "
                                            "milled-prototype. Nothing was checked."}));
    EXPECT_EQ(
        refusal("bad"),
        util::lines({"The profile bad of " + text("prog") +
                         "\\flashkit.ini line 2 holds \"spacing four\", "
                         "which is no limit and length.",
                     "Expected: a limit's name and a length, separated by commas (spacing 4, width 0.1mm). "
                     "Nothing was checked."}));
}

// The limits row's lines: a key's own line replaced (in any case), a new one on the first empty line past the
// fields, an empty text clears; a text that is no length, or a table without room, stores nothing.
TEST(BoardCheckLimits, KeptInTheSettingsTable) {
    app::SettingsTable settings("Z:\\nowhere");
    settings.setLine(9, "kept");
    settings.setLine(12, "boardcheck_web=3");
    EXPECT_FALSE(model::storeLimits(settings, {{"ring", "7.5"}, {"web", ""}, {"clearance", " 0.2mm"}}));
    EXPECT_EQ(settings.line(9), "kept");
    EXPECT_EQ(settings.line(10), "BOARDCHECK_RING=7.5");
    EXPECT_EQ(settings.line(11), "BOARDCHECK_CLEARANCE=0.2mm");
    EXPECT_EQ(settings.line(12), "");
    // The row shows each limit in force: the text kept, else the default greyed.
    std::string row;
    for (const auto& limit : model::limitTexts(settings))
        row += limit.option + "=" + limit.text + "/" + limit.byDefault + " ";
    EXPECT_EQ(row, "registration=/1 ring=7.5/5 web=/8 clearance=0.2mm/8 spacing=/5 width=/5 edge=/10 "
                   "mask-web=/4 silk=/4 ");
    EXPECT_EQ(*model::storeLimits(settings, {{"ring", "8"}, {"web", "-1"}}),
              "The web limit is no length: -1\nExpected: mils (5, 2.5) or millimetres (0.127mm).");
    for (int n = 9; n <= 80; ++n)
        if (settings.line(n).empty())
            settings.setLine(n, "x");
    EXPECT_EQ(*model::storeLimits(settings, {{"web", "8"}}),
              "No line of the settings file is free for the web limit (lines 9 to 80).");
    EXPECT_EQ(model::limitOptions(settings),
              (std::map<std::string, std::string>{{"clearance", "0.2mm"}, {"ring", "7.5"}}));
}

} // namespace
} // namespace fk::test
