// Limits from the command line, flashkit.ini or the defaults, for every job that checks or states them.
#include "board/limits.hpp"

#include "board/dfn.hpp"
#include "util/fixed.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <map>

namespace fk::board {

using util::Length;

Length defaultOf(const LimitRow& row) {
    return Length::fromMilDecimals(row.byDefault, 2);
}

Limits::Limits() {
    for (const auto& row : limitRows)
        this->*row.field = defaultOf(row);
}

// A limit from the command line, else from its flashkit.ini key, else the default.
Limits limitsOf(const app::JobContext& context) {
    app::SettingsTable settings(context.programDir);
    (void)settings.loadWithoutCreating(); // an unreadable file leaves the defaults
    std::map<std::string, std::string> profile;
    if (auto named = context.options.find("profile"); named != context.options.end()) {
        auto texts = profileTexts(settings, named->second);
        if (!texts) {
            std::string known;
            for (const auto& name : profileNames(settings))
                known += (known.empty() ? "" : ", ") + name;
            throw app::JobStop{util::lines({"--profile names " + named->second + ", which is no profile.",
                                            "Expected one of: " + known + ". Nothing was checked."})};
        }
        profile = std::move(*texts);
    }
    Limits limits;
    for (const auto& row : limitRows) {
        std::optional<std::string> text, from;
        if (const int n = limitLineOf(settings, row.option))
            text = settings.line(n).substr(settingsKey(row.option).size() + 1),
            from = settings.filePath() + " line " + std::to_string(n);
        if (auto value = profile.find(row.option); value != profile.end())
            text = value->second, from = "the profile " + context.options.at("profile");
        if (auto option = context.options.find(row.option); option != context.options.end())
            text = option->second, from = "--" + option->first;
        if (!text)
            continue;
        const auto value = limitValue(util::trim(*text));
        if (!value)
            throw app::JobStop{util::lines(
                {"The " + std::string(row.option) + " limit of " + *from + " is no length: " + *text,
                 "Expected: mils (5, 2.5) or millimetres (0.127mm). Nothing was checked."})};
        limits.*row.field = *value;
    }
    return limits;
}

std::string settingsKey(std::string_view option) {
    std::string key = "BOARDCHECK_" + util::upper(option);
    std::replace(key.begin(), key.end(), '-', '_');
    return key;
}

int keyLineOf(const app::SettingsTable& settings, std::string_view key) {
    for (int n = 1; n <= app::settingsLineCount; ++n) {
        if (util::upper(settings.line(n)).starts_with(key))
            return n;
    }
    return 0;
}

int limitLineOf(const app::SettingsTable& settings, std::string_view option) {
    return keyLineOf(settings, settingsKey(option) + "=");
}

std::optional<Length> limitValue(std::string_view text) {
    const bool millimetres = text.ends_with("mm") || text.ends_with("MM");
    if (millimetres)
        text.remove_suffix(2);
    else if (text.ends_with("mil") || text.ends_with("MIL"))
        text.remove_suffix(3);
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return std::nullopt;
    if (!millimetres)
        return board::milsText(text);
    const util::Fixed mm = util::readFixed(text, 6, 999'999'999);
    if (!mm.ok())
        return std::nullopt;
    return Length::fromMillimetreDecimals(mm.value, 6);
}

} // namespace fk::board
