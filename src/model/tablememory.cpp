#include "model/tablememory.hpp"

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
    for (const auto& row : request.rows)
        text += row.name + "=" + row.choice + "|";
    text += request.option ? "1" : "0";
    int last = lineOf(settings, request.key);
    if (last == 0)
        last = app::settingsLineCount;
    for (int n = last; n > firstTableLine; --n)
        settings.setLine(n, settings.line(n - 1));
    settings.setLine(firstTableLine, text);
}

} // namespace fk::model
