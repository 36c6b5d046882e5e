#include "model/tablememory.hpp"

#include "model/tablewindow.hpp"
#include "util/text.hpp"

#include <algorithm>

namespace fk::model {

namespace {

std::string headOf(const std::string& key) {
    return "TABLE " + key + "|";
}

int lineOf(const app::SettingsTable& settings, const std::string& key) {
    for (int n = firstTableLine; n <= app::settingsLineCount; ++n) {
        if (settings.line(n).starts_with(headOf(key)))
            return n;
    }
    return 0;
}

std::vector<std::string> partsOf(std::string_view text) {
    std::vector<std::string> parts;
    for (size_t from = 0;;) {
        const size_t bar = text.find('|', from);
        parts.emplace_back(text.substr(from, bar == std::string_view::npos ? bar : bar - from));
        if (bar == std::string_view::npos)
            return parts;
        from = bar + 1;
    }
}

} // namespace

void recallTable(const app::SettingsTable& settings, app::TableRequest& request) {
    const int n = lineOf(settings, request.key);
    if (n == 0 || request.key.empty())
        return;
    const auto parts = partsOf(std::string_view(settings.line(n)).substr(headOf(request.key).size()));
    for (const auto& part : parts) {
        const size_t eq = part.rfind('=');
        if (eq == std::string::npos)
            continue;
        const std::string name = part.substr(0, eq), choice = part.substr(eq + 1);
        const bool offered =
            std::find(request.choices.begin(), request.choices.end(), choice) != request.choices.end();
        for (auto& row : request.rows) {
            if (offered && util::lower(row.name) == util::lower(name))
                row.choice = choice;
        }
    }
    request.option = parts.back() == "1";
}

void rememberTable(app::SettingsTable& settings, const app::TableRequest& request) {
    if (request.key.empty())
        return;
    std::string text = headOf(request.key);
    std::vector<std::string> choices;
    for (const auto& row : request.rows)
        text += row.name + "=" + row.choice + "|", choices.push_back(row.choice);
    // The answers of earlier runs for plots not in this one are kept: a design's plots are picked a few at a
    // time as often as all at once.
    if (const int n = lineOf(settings, request.key)) {
        const auto parts = partsOf(std::string_view(settings.line(n)).substr(headOf(request.key).size()));
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            const std::string name = parts[i].substr(0, parts[i].rfind('='));
            const bool asked =
                std::any_of(request.rows.begin(), request.rows.end(),
                            [&](const app::TableRow& r) { return util::lower(r.name) == util::lower(name); });
            if (!asked && parts[i].find('=') != std::string::npos)
                text += parts[i] + "|";
        }
    }
    // An option the choices made moot is not kept for the next time.
    text += request.option && optionApplies(choices, request.optionMootBy) ? "1" : "0";
    int last = lineOf(settings, request.key);
    if (last == 0)
        last = app::settingsLineCount;
    for (int n = last; n > firstTableLine; --n)
        settings.setLine(n, settings.line(n - 1));
    settings.setLine(firstTableLine, text);
}

} // namespace fk::model
