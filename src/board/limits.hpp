// The limits a board is checked against and made to: Board Check measures holes against them, and Fab
// Export states them as the job file's design rules. From the command line, flashkit.ini or the defaults.
#pragma once

#include "app/context.hpp"
#include "app/settings.hpp"
#include "util/length.hpp"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fk::board {

// The limits of one check of a board, each from the table below (its default, option and settings key).
struct Limits {
    util::Length registration; // hole centre off its pad's centre
    util::Length ring;         // copper between hole edge and pad edge
    util::Length web;          // between two holes' edges
    util::Length clearance;    // a hole's edge to other copper, in a plane
    util::Length spacing;      // copper of two nets on one layer
    util::Length width;        // copper across
    util::Length edge;         // copper to the board's edge, a routed slot or an unplated hole
    util::Length maskWeb;      // solder mask between two openings
    util::Length silk;         // legend to copper the mask leaves bare
    Limits();                  // the defaults
};

// One limit: its option (--ring), the caption of its field in the windows' limits row ('&' before the Alt
// letter), its field and its default in hundredths of a mil. The settings key is BOARDCHECK_ and the option
// in upper case, '-' as '_' (BOARDCHECK_MASK_WEB).
struct LimitRow {
    const char* option;
    const char* caption;
    util::Length Limits::*field;
    std::int64_t byDefault;
};
// The defaults are the standard (not advanced) minimums common prototype board houses publish for two-layer
// boards; the registration tolerance is far below any drilling tolerance on purpose (README, "Board Check").
inline constexpr LimitRow limitRows[] = {
    {"registration", "&Registration", &Limits::registration, 100},
    {"ring", "Ri&ng", &Limits::ring, 500},
    {"web", "&Web", &Limits::web, 800},
    {"clearance", "&Clearance", &Limits::clearance, 800},
    {"spacing", "&Spacing", &Limits::spacing, 500},
    {"width", "W&idth", &Limits::width, 500},
    {"edge", "&Edge", &Limits::edge, 1000},
    {"mask-web", "&Mask web", &Limits::maskWeb, 400},
    {"silk", "Le&gend", &Limits::silk, 400},
};
inline constexpr size_t limitCount = std::size(limitRows);
// The option names in the table's order.
inline constexpr auto limitOptions = [] {
    std::array<const char*, limitCount> names{};
    for (size_t i = 0; i < limitCount; ++i)
        names[i] = limitRows[i].option;
    return names;
}();
util::Length defaultOf(const LimitRow& row);

// The named sets of limits (--profile): flashkit.ini's lines "BOARDCHECK_PROFILE=<name>: <limit> <length>,
// ..." (the first of a name) over the sets the program ships (standard-2-layer, fine-4-layer,
// milled-prototype).
std::vector<std::string> profileNames(const app::SettingsTable& settings);
// A profile's limits as texts by option ("spacing": "4"); a limit it leaves out keeps its own value. Nothing
// for a name that is no profile; throws app::JobStop naming the line where a profile holds no limit.
std::optional<std::map<std::string, std::string>> profileTexts(const app::SettingsTable& settings,
                                                               std::string_view name);

// The settings key of a limit ("BOARDCHECK_RING"), and a limit's value: mils ("5", "2.5") or millimetres
// ("0.127mm"); nothing when it is neither or negative.
std::string settingsKey(std::string_view option);
// The first settings line starting with `key` ("BOARDCHECK_RING=", upper case) in any case, 0 when none does.
int keyLineOf(const app::SettingsTable& settings, std::string_view key);
// The settings line that holds a limit ("BOARDCHECK_RING=5", the first in any case), 0 when none does.
int limitLineOf(const app::SettingsTable& settings, std::string_view option);
// The limits of a run: context.options, else the profile it names (--profile), else flashkit.ini, else the
// defaults. Throws app::JobStop naming the
// option or line whose value is no length.
Limits limitsOf(const app::JobContext& context);
std::optional<util::Length> limitValue(std::string_view text);

} // namespace fk::board
