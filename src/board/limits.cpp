// Limits from the command line, flashkit.ini or the defaults, for every job that checks or states them.
#include "board/limits.hpp"

#include "board/dfn.hpp"
#include "util/fixed.hpp"
#include "util/text.hpp"

namespace fk::board {

using util::Length;

// A limit from the command line, else from its flashkit.ini key, else the default.
Limits limitsOf(const app::JobContext& context) {
    app::SettingsTable settings(context.programDir);
    (void)settings.loadWithoutCreating(); // an unreadable file leaves the defaults
    Limits limits;
    Length* targets[] = {&limits.registration, &limits.ring, &limits.web, &limits.clearance};
    for (size_t i = 0; i < std::size(limitOptions); ++i) {
        std::optional<std::string> text, from;
        if (const int n = limitLineOf(settings, limitOptions[i]))
            text = settings.line(n).substr(settingsKey(limitOptions[i]).size() + 1),
            from = settings.filePath() + " line " + std::to_string(n);
        if (auto option = context.options.find(limitOptions[i]); option != context.options.end())
            text = option->second, from = "--" + option->first;
        if (!text)
            continue;
        const auto value = limitValue(util::trim(*text));
        if (!value)
            throw app::JobStop{util::lines(
                {"The " + std::string(limitOptions[i]) + " limit of " + *from + " is no length: " + *text,
                 "Expected: mils (5, 2.5) or millimetres (0.127mm). Nothing was checked."})};
        *targets[i] = *value;
    }
    return limits;
}

std::string settingsKey(std::string_view option) {
    return "BOARDCHECK_" + util::upper(option);
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
