// Roles of exported plots: one table of the fixed roles, and inner copper and planes numbered by their layer.
#include "board/roles.hpp"

#include "util/text.hpp"

#include <charconv>

namespace fk::board {

namespace {

struct FixedRole {
    Layer layer;
    const char* text;
    const char* ending;
    const char* function;
    bool negative; // the image is what is left out: a mask's openings
};

constexpr FixedRole fixedRoles[] = {
    {Layer::TopCopper, "top", "GTL", "", false},
    {Layer::BottomCopper, "bottom", "GBL", "", false},
    {Layer::TopMask, "topmask", "GTS", "Soldermask,Top", true},
    {Layer::BottomMask, "bottommask", "GBS", "Soldermask,Bot", true},
    {Layer::TopSilk, "topsilk", "GTO", "Legend,Top", false},
    {Layer::BottomSilk, "bottomsilk", "GBO", "Legend,Bot", false},
    {Layer::TopPaste, "toppaste", "GTP", "Paste,Top", false},
    {Layer::BottomPaste, "bottompaste", "GBP", "Paste,Bot", false},
    {Layer::Outline, "outline", "GKO", "Profile,NP", false},
};

// Plot names (without extension) and the role each gives.
struct NamedRole {
    const char* name;
    Layer layer;
};
constexpr NamedRole namedRoles[] = {
    {"TOP", Layer::TopCopper},  {"BOTTOM", Layer::BottomCopper}, {"SMT", Layer::TopMask},
    {"SMB", Layer::BottomMask}, {"SST", Layer::TopSilk},         {"SSB", Layer::BottomSilk},
    {"SPT", Layer::TopPaste},   {"SPB", Layer::BottomPaste},     {"OUTLINE", Layer::Outline},
    {"BOARD", Layer::Outline},
};

const FixedRole* fixedOf(Layer layer) {
    for (const auto& f : fixedRoles) {
        if (f.layer == layer)
            return &f;
    }
    return nullptr;
}

// The layer number after a word ("inner2" gives 2), nothing when the text is not the word and a number in
// range.
std::optional<int> numberAfter(std::string_view text, std::string_view word, int least = 2) {
    if (!text.starts_with(word) || text.size() == word.size())
        return std::nullopt;
    int n = 0;
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(text.data() + word.size(), last, n);
    if (error != std::errc() || end != last || n < least || n > maxCopperLayer)
        return std::nullopt;
    return n;
}

} // namespace

std::optional<Role> roleOfText(std::string_view text) {
    const std::string lower = util::lower(text);
    for (const auto& f : fixedRoles) {
        if (lower == f.text)
            return Role{.layer = f.layer};
    }
    if (auto n = numberAfter(lower, "inner"))
        return Role{.layer = Layer::InnerCopper, .number = *n};
    if (auto n = numberAfter(lower, "plane"))
        return Role{.layer = Layer::Plane, .number = *n};
    return std::nullopt;
}

std::string textOf(Role role) {
    if (role.layer == Layer::InnerCopper)
        return "inner" + std::to_string(role.number);
    if (role.layer == Layer::Plane)
        return "plane" + std::to_string(role.number);
    const FixedRole* f = fixedOf(role.layer);
    return f ? f->text : "none";
}

std::vector<std::string> roleChoices() {
    std::vector<std::string> choices{"none"};
    for (const auto& f : fixedRoles)
        choices.push_back(f.text);
    for (int n = 2; n <= 8; ++n) // a table of the common boards; --role takes any layer up to 32
        choices.push_back("inner" + std::to_string(n));
    for (int n = 2; n <= 8; ++n)
        choices.push_back("plane" + std::to_string(n));
    return choices;
}

Role defaultRole(std::string_view plotName) {
    const std::string name = util::upper(util::baseNameOf(plotName));
    for (const auto& n : namedRoles) {
        if (name == n.name)
            return {.layer = n.layer};
    }
    if (name == "PLANE")
        return {.layer = Layer::Plane, .number = 2};
    for (const char* word : {"PLANE", "INNER"}) {
        if (auto n = numberAfter(name, word))
            return {.layer = word[0] == 'P' ? Layer::Plane : Layer::InnerCopper, .number = *n};
    }
    return {};
}

Role roleOfFileName(std::string_view fileName) {
    if (const Role named = defaultRole(fileName); named.layer != Layer::None)
        return named;
    const size_t dot = fileName.rfind('.');
    const std::string ending = dot == std::string_view::npos ? "" : util::upper(fileName.substr(dot + 1));
    for (const auto& f : fixedRoles) {
        if (ending == f.ending)
            return {.layer = f.layer};
    }
    if (ending == "GM1")
        return {.layer = Layer::Outline};
    // Protel and Altium count planes (.GP1) and inner signal layers (.G1) from 1 below the top layer.
    if (auto n = numberAfter(ending, "GP", 1); n && *n < maxCopperLayer)
        return {.layer = Layer::Plane, .number = *n + 1};
    if (auto n = numberAfter(ending, "G", 1); n && *n < maxCopperLayer)
        return {.layer = Layer::InnerCopper, .number = *n + 1};
    if (ending.size() > 2 && ending.front() == 'G' && ending.back() == 'L') {
        if (auto n = numberAfter(ending.substr(0, ending.size() - 1), "G"))
            return {.layer = Layer::InnerCopper, .number = *n};
    }
    return {};
}

Role roleOfFunction(std::string_view function) {
    const std::string text(function);
    for (const auto& f : fixedRoles) {
        if (*f.function != '\0' && (text == f.function || text.starts_with(std::string(f.function) + ",")))
            return {.layer = f.layer};
    }
    if (text.starts_with("Profile"))
        return {.layer = Layer::Outline};
    // Copper,L<n>,Top|Inr|Bot[,type]
    const auto parts = util::fieldcount(text, ",");
    if (parts < 3 || util::field(text, 1, ",") != "Copper")
        return {};
    const std::string side = util::field(text, 3, ",");
    // A plane on the outside, as Fab Export states the deepest plane of a board without bottom copper.
    if (const auto n = numberAfter(util::field(text, 2, ","), "L", 1);
        n && util::field(text, 4, ",") == "Plane")
        return {.layer = Layer::Plane, .number = *n};
    if (side == "Top")
        return {.layer = Layer::TopCopper};
    if (side == "Bot")
        return {.layer = Layer::BottomCopper};
    const auto n = numberAfter(util::field(text, 2, ","), "L");
    if (side != "Inr" || !n)
        return {};
    return {.layer = util::field(text, 4, ",") == "Plane" ? Layer::Plane : Layer::InnerCopper, .number = *n};
}

bool isCopper(Role role) {
    return role.layer == Layer::TopCopper || role.layer == Layer::BottomCopper ||
           role.layer == Layer::InnerCopper || role.layer == Layer::Plane;
}

std::string endingOf(Role role) {
    const FixedRole* f = fixedOf(role.layer);
    return f ? f->ending : "";
}

std::string fileFunctionOf(Role role, int copperLayers) {
    switch (role.layer) {
    case Layer::TopCopper:
        return "Copper,L1,Top";
    case Layer::BottomCopper:
        return "Copper,L" + std::to_string(copperLayers) + ",Bot";
    case Layer::InnerCopper:
        return "Copper,L" + std::to_string(role.number) + ",Inr";
    case Layer::Plane:
        return "Copper,L" + std::to_string(role.number) + ",Inr,Plane";
    default:
        const FixedRole* f = fixedOf(role.layer);
        return f ? f->function : "";
    }
}

std::string polarityOf(Role role) {
    const FixedRole* f = fixedOf(role.layer);
    return role.layer == Layer::Plane || (f && f->negative) ? "Negative" : "Positive";
}

} // namespace fk::board
