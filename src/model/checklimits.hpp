// The board check's limits as the settings table holds them, one line each ("BOARDCHECK_RING=5"): the board
// picture's limits row shows and changes them, and the desktop program's check runs with them. Saved with
// the settings when the main window closes, like the fields.
#pragma once

#include "app/settings.hpp"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fk::model {

// Limit lines go on a line of their own key, else on the first empty line of these: past the eight fields,
// before the lines the table windows remember.
inline constexpr int firstLimitLine = 9, lastLimitLine = 80;

struct LimitText {
    std::string option;      // board::limitRows' option: "registration", "ring", ..., "silk"
    std::string text;        // as typed: "5", "2.5", "0.13mm"; empty for the default
    std::string byDefault{}; // the default in mils ("5"), shown in an empty field as the limit in force
    std::string caption{};   // the field's caption, '&' before its Alt letter ("Ri&ng")
};

// Every limit in board::limitRows' order, with its text from the table (empty where no line gives one).
std::vector<LimitText> limitTexts(const app::SettingsTable& settings);
// Stores the texts: a line of its key is replaced (emptied for an empty text), a new one goes on the first
// empty line. Nothing is stored when a text is no length or no line is free: the message says which.
std::optional<std::string> storeLimits(app::SettingsTable& settings, const std::vector<LimitText>& limits);
// The texts that are set, as the check's options take them.
std::map<std::string, std::string> limitOptions(const app::SettingsTable& settings);

// The profiles the limits row's "Profile" list offers (--profile NAME): flashkit.ini's, then those shipped.
std::vector<std::string> limitProfiles(const app::SettingsTable& settings);
// The limits row with profile `name` chosen: each limit it names takes its text ("4", "0.1mm"), a limit it
// leaves out keeps the text it has. The message, and `texts` as they were, where flashkit.ini's line of that
// profile holds something that is no limit and length, or no profile has that name.
std::optional<std::string> applyProfile(const app::SettingsTable& settings, std::string_view name,
                                        std::vector<LimitText>& texts);

// How many of `count` fields of `each` pixels go on one line of a row `width` pixels wide: all where they
// fit, else as few lines as hold them, filled evenly (nine fields on two lines: five, then four).
int fieldsPerLine(int count, int each, int width);

} // namespace fk::model
