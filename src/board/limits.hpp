// The limits a board is checked against and made to: Board Check measures holes against them, and Fab
// Export states them as the job file's design rules. From the command line, flashkit.ini or the defaults.
#pragma once

#include "app/context.hpp"
#include "app/settings.hpp"
#include "util/length.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fk::board {

// Defaults: common board-house minimums (README, "Board Check").
struct Limits {
    util::Length registration = util::Length::fromMilDecimals(1, 0); // hole centre off its pad's centre
    util::Length ring = util::Length::fromMilDecimals(5, 0);         // copper between hole edge and pad edge
    util::Length web = util::Length::fromMilDecimals(8, 0);          // between two holes' edges
    util::Length clearance = util::Length::fromMilDecimals(8, 0); // a hole's edge to other copper, in a plane
};

// The option names of the limits, their flashkit.ini keys, and a limit's value: mils ("5", "2.5") or
// millimetres ("0.127mm"); nothing when it is neither or negative.
inline constexpr const char* limitOptions[] = {"registration", "ring", "web", "clearance"};
std::string settingsKey(std::string_view option);
// The first settings line starting with `key` ("BOARDCHECK_RING=", upper case) in any case, 0 when none does.
int keyLineOf(const app::SettingsTable& settings, std::string_view key);
// The settings line that holds a limit ("BOARDCHECK_RING=5", the first in any case), 0 when none does.
int limitLineOf(const app::SettingsTable& settings, std::string_view option);
// The limits of a run: context.options, else flashkit.ini, else the defaults. Throws app::JobStop naming the
// option or line whose value is no length.
Limits limitsOf(const app::JobContext& context);
std::optional<util::Length> limitValue(std::string_view text);

} // namespace fk::board
