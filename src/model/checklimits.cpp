#include "model/checklimits.hpp"

#include "boardcheck/boardcheck.hpp"
#include "util/text.hpp"

namespace fk::model {

namespace {

std::string keyOf(const std::string& option) {
    return boardcheck::settingsKey(option) + "=";
}

int freeLine(const app::SettingsTable& settings) {
    for (int n = firstLimitLine; n <= lastLimitLine; ++n) {
        if (settings.line(n).empty())
            return n;
    }
    return 0;
}

} // namespace

std::vector<LimitText> limitTexts(const app::SettingsTable& settings) {
    std::vector<LimitText> texts;
    for (const auto& row : board::limitRows) {
        const int n = boardcheck::limitLineOf(settings, row.option);
        texts.push_back({row.option,
                         n == 0 ? "" : util::trim(settings.line(n).substr(keyOf(row.option).size())),
                         util::shortDecimalText(board::defaultOf(row).toMilDecimals(2), 2)});
    }
    return texts;
}

std::optional<std::string> storeLimits(app::SettingsTable& settings, const std::vector<LimitText>& limits) {
    for (const auto& limit : limits) {
        const std::string text = util::trim(limit.text);
        if (!text.empty() && !boardcheck::limitValue(text))
            return "The " + limit.option + " limit is no length: " + limit.text +
                   "\nExpected: mils (5, 2.5) or millimetres (0.127mm).";
    }
    app::SettingsTable changed = settings;
    for (const auto& limit : limits) {
        const std::string text = util::trim(limit.text);
        int n = boardcheck::limitLineOf(changed, limit.option);
        if (n == 0 && text.empty())
            continue;
        if (n == 0 && (n = freeLine(changed)) == 0)
            return "No line of the settings file is free for the " + limit.option + " limit (lines " +
                   std::to_string(firstLimitLine) + " to " + std::to_string(lastLimitLine) + ").";
        changed.setLine(n, text.empty() ? "" : keyOf(limit.option) + text);
    }
    settings = changed;
    return std::nullopt;
}

std::map<std::string, std::string> limitOptions(const app::SettingsTable& settings) {
    std::map<std::string, std::string> options;
    for (const auto& limit : limitTexts(settings)) {
        if (!limit.text.empty())
            options.emplace(limit.option, limit.text);
    }
    return options;
}

} // namespace fk::model
