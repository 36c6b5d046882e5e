// Named sets of every limit at once: the ones the program ships, and lines of flashkit.ini that change them
// or add others ("BOARDCHECK_PROFILE=fine-4-layer: spacing 4, width 4").
#include "board/limits.hpp"

#include "util/text.hpp"

#include <algorithm>

namespace fk::board {

namespace {

const std::string profileKey = "BOARDCHECK_PROFILE=";

// Each shipped set in the order it is offered. Standard: what common prototype houses take on two layers
// without extra charge; fine: their advanced four-layer minimums; milled: a board cut with an engraving bit
// on the desk, whose tool needs wide gaps and wide copper.
struct Shipped {
    const char* name;
    const char* limits;
};
constexpr Shipped shipped[] = {
    {"standard-2-layer",
     "registration 1, ring 6, web 10, clearance 10, spacing 6, width 6, edge 12, mask-web 4, silk 5"},
    {"fine-4-layer",
     "registration 1, ring 5, web 8, clearance 8, spacing 4, width 4, edge 10, mask-web 3, silk 4"},
    {"milled-prototype",
     "registration 1, ring 12, web 16, clearance 16, spacing 12, width 12, edge 20, mask-web 8, silk 8"},
};

struct Line {
    std::string name, limits;
    int line = 0; // of flashkit.ini, 0 for a shipped set
};

// The profiles in force: flashkit.ini's lines (the first of a name wins) over the shipped sets.
std::vector<Line> profiles(const app::SettingsTable& settings) {
    std::vector<Line> all;
    const auto known = [&](const std::string& name) {
        return std::any_of(all.begin(), all.end(),
                           [&](const Line& l) { return util::equalsNoCase(l.name, name); });
    };
    for (int n = 1; n <= app::settingsLineCount; ++n) {
        const std::string& text = settings.line(n);
        if (!util::upper(text).starts_with(profileKey))
            continue;
        const std::string rest = text.substr(profileKey.size());
        const size_t colon = rest.find(':');
        const std::string name = util::trim(rest.substr(0, colon));
        if (!name.empty() && !known(name))
            all.push_back({name, colon == std::string::npos ? "" : rest.substr(colon + 1), n});
    }
    for (const auto& s : shipped)
        if (!known(s.name))
            all.push_back({s.name, s.limits, 0});
    return all;
}

std::string whereOf(const app::SettingsTable& settings, const Line& line) {
    return line.line ? settings.filePath() + " line " + std::to_string(line.line) : "the shipped profile";
}

} // namespace

std::vector<std::string> profileNames(const app::SettingsTable& settings) {
    std::vector<std::string> names;
    for (const auto& p : profiles(settings))
        names.push_back(p.name);
    return names;
}

std::optional<std::map<std::string, std::string>> profileTexts(const app::SettingsTable& settings,
                                                               std::string_view name) {
    for (const auto& p : profiles(settings)) {
        if (!util::equalsNoCase(p.name, name))
            continue;
        std::map<std::string, std::string> texts;
        const long count = util::fieldcount(p.limits, ",");
        for (long i = 1; i <= count; ++i) {
            const std::string item = util::trim(util::field(p.limits, i, ","));
            if (item.empty())
                continue;
            const size_t blank = item.find_first_of(" \t");
            const std::string option = util::lower(item.substr(0, blank));
            const std::string value = blank == std::string::npos ? "" : util::trim(item.substr(blank));
            const bool isLimit = std::any_of(std::begin(limitRows), std::end(limitRows),
                                             [&](const LimitRow& row) { return option == row.option; });
            if (!isLimit || !limitValue(value))
                throw app::JobStop{util::lines(
                    {"The profile " + p.name + " of " + whereOf(settings, p) + " holds \"" + item +
                         "\", which is no limit and length.",
                     "Expected: a limit's name and a length, separated by commas (spacing 4, width 0.1mm). "
                     "Nothing was checked."})};
            texts[option] = value;
        }
        return texts;
    }
    return std::nullopt;
}

} // namespace fk::board
