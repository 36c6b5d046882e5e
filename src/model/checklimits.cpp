// The limits row's texts, kept in the settings table, and where its fields go.
#include "model/checklimits.hpp"

#include "board/limits.hpp"
#include "boardcheck/boardcheck.hpp"
#include "util/text.hpp"

#include <algorithm>

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
                         util::shortDecimalText(board::defaultOf(row).toMilDecimals(2), 2), row.caption});
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

std::vector<std::string> limitProfiles(const app::SettingsTable& settings) {
    return board::profileNames(settings);
}

std::optional<std::string> applyProfile(const app::SettingsTable& settings, std::string_view name,
                                        std::vector<LimitText>& texts) {
    std::optional<std::map<std::string, std::string>> profile;
    try {
        profile = board::profileTexts(settings, name);
    } catch (const app::JobStop& stop) {
        return stop.message;
    }
    if (!profile)
        return "No profile is named " + std::string(name) + ".";
    for (auto& t : texts)
        if (const auto given = profile->find(t.option); given != profile->end())
            t.text = given->second;
    return std::nullopt;
}

int fieldsPerLine(int count, int each, int width) {
    const int fit = std::max(1, width / std::max(each, 1));
    const int lines = (count + fit - 1) / fit;
    return std::max(1, (count + lines - 1) / std::max(lines, 1));
}

} // namespace fk::model
