// The board check's limits as the settings table holds them, one line each ("BOARDCHECK_RING=5"): the board
// picture's limits row shows and changes them, and the desktop program's check runs with them. Saved with
// the settings when the main window closes, like the fields.
#pragma once

#include "app/settings.hpp"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fk::model {

// Limit lines go on a line of their own key, else on the first empty line of these: past the eight fields,
// before the lines the table windows remember.
inline constexpr int firstLimitLine = 9, lastLimitLine = 80;

struct LimitText {
    std::string option;      // "registration", "ring", "web", "clearance"
    std::string text;        // as typed: "5", "2.5", "0.13mm"; empty for the default
    std::string byDefault{}; // the default in mils ("5"), shown in an empty field as the limit in force
};

// Every limit in order, with its text from the table (empty where no line gives one).
std::vector<LimitText> limitTexts(const app::SettingsTable& settings);
// Stores the texts: a line of its key is replaced (emptied for an empty text), a new one goes on the first
// empty line. Nothing is stored when a text is no length or no line is free: the message says which.
std::optional<std::string> storeLimits(app::SettingsTable& settings, const std::vector<LimitText>& limits);
// The texts that are set, as the check's options take them.
std::map<std::string, std::string> limitOptions(const app::SettingsTable& settings);

} // namespace fk::model
