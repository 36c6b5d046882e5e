// The roles of the picked plots: defaults from their names, the user's answers in the role table, and the
// checks that the roles make one board.
#include "fab/model.hpp"
#include "util/text.hpp"

#include <algorithm>

namespace fk::fab {

namespace {

[[noreturn]] void refuse(const std::string& what, const std::string& advice) {
    throw app::JobStop{util::lines({what, "No file was written; " + advice + " and re-try."})};
}

// The roles a set of `plots` can take: inner layers and planes numbered no higher than there are plots.
std::vector<std::string> fittingRoles(size_t plots) {
    std::vector<std::string> fitting;
    for (const auto& c : roleChoices()) {
        const auto role = roleOfText(c);
        if (!role || role->number <= int(plots))
            fitting.push_back(c);
    }
    return fitting;
}

const std::string outlineOption =
    "No plot is the outline: draw one " + std::to_string(outlineMarginMils) + " mils around the plots";

app::TableRequest roleTable(const std::vector<std::string>& names, const app::Fields& f) {
    app::TableRequest table{.title = "Roles of the plots",
                            .key = f.fnamebase,
                            .choices = fittingRoles(names.size()),
                            .optionText = outlineOption,
                            .optionMootBy = "outline"};
    for (const auto& name : names)
        table.rows.push_back({.name = name, .choice = textOf(defaultRole(name))});
    return table;
}

// The roles a plot may have, as the refusal lists them.
std::string rolesText() {
    std::string text;
    for (const auto& c : roleChoices()) {
        if (c != "none" && !c.starts_with("inner") && !c.starts_with("plane"))
            text += c + ", ";
    }
    return text + "inner<n> or plane<n> (n the copper layer from 2 to " + std::to_string(maxCopperLayer) +
           ")";
}

Role roleOfRow(const app::TableRow& row) {
    const auto role = roleOfText(row.choice);
    if (!role)
        refuse("The plot " + row.name + " has no role (\"" + row.choice + "\").",
               "give it one of " + rolesText());
    return *role;
}

// Copper layers count from the top (1) to the bottom (the number of copper plots); each inner layer or plane
// takes a number of its own between them.
void requireCopperStack(const std::vector<RolePlot>& plots, int copperLayers) {
    bool bottom = false;
    for (const auto& p : plots)
        bottom = bottom || p.role.layer == Layer::BottomCopper;
    std::set<int> taken;
    for (const auto& p : plots) {
        const int n = p.role.number;
        if (n == 0)
            continue;
        if (n > copperLayers - (bottom ? 1 : 0) || !taken.insert(n).second)
            refuse("The plot " + util::fileNameOf(p.file.input) + " is " + textOf(p.role) +
                       ", which no copper "
                       "layer of " +
                       std::to_string(copperLayers) + " copper plots is, or another plot's.",
                   "number inner layers and planes from 2, each once, below the bottom");
    }
}

// Copper layers count from the top (1) to the bottom (the number of copper plots); inner layers and planes
// keep their numbers between. Without bottom copper the deepest of them is the board's bottom side, named and
// stated as bottom copper (a plane there is "Copper,L2,Bot,Plane"), so that no reader finds an inner layer on
// the outside. Inner layers are named as Protel and Altium name them: signal layers .G1, .G2, ... and planes
// .GP1, .GP2, ..., each counted from the top.
void placePlots(Assignment& a) {
    const bool bottom = std::any_of(a.plots.begin(), a.plots.end(),
                                    [](const RolePlot& p) { return p.role.layer == Layer::BottomCopper; });
    std::vector<RolePlot*> inner;
    for (auto& p : a.plots) {
        const Layer layer = p.role.layer;
        if (layer == Layer::InnerCopper || layer == Layer::Plane) {
            inner.push_back(&p);
            continue;
        }
        p.place = {.copperLayer = layer == Layer::TopCopper      ? 1
                                  : layer == Layer::BottomCopper ? a.copperLayers
                                                                 : 0,
                   .ending = endingOf(p.role),
                   .function = fileFunctionOf(p.role, a.copperLayers)};
    }
    std::sort(inner.begin(), inner.end(),
              [](const RolePlot* x, const RolePlot* y) { return x->role.number < y->role.number; });
    int signals = 0, planes = 0;
    for (RolePlot* p : inner) {
        const bool plane = p->role.layer == Layer::Plane;
        const int n = p->role.number;
        const std::string copper = "Copper,L" + std::to_string(n), type = plane ? ",Plane" : "";
        if (!bottom && n == a.copperLayers)
            p->place = {.copperLayer = n, .ending = "GBL", .function = copper + ",Bot" + type};
        else
            p->place = {.copperLayer = n,
                        .ending = plane ? "GP" + std::to_string(++planes) : "G" + std::to_string(++signals),
                        .function = copper + ",Inr" + type};
    }
}

} // namespace

Assignment assignRoles(const app::JobContext& context, const std::string& choice) {
    const app::Fields& f = context.fields;
    const std::string directory = util::directoryOf(choice);
    std::vector<std::string> names;
    const long count = util::fieldcount(choice, ",");
    for (long i = 1; i <= count; ++i) { // each name whole, every dot of it
        const std::string name = util::trim(util::field(choice, i, ","));
        names.push_back(name.substr(name.find_last_of('\\') + 1));
    }
    app::TableRequest table = roleTable(names, f);
    if (!context.editTable(table))
        throw app::JobStop{"Fab Export was cancelled; nothing was written."};
    Assignment a;
    bool outline = false;
    for (const auto& row : table.rows) {
        const Role role = roleOfRow(row);
        a.copperLayers += isCopper(role) ? 1 : 0;
        outline = outline || role.layer == Layer::Outline;
        a.plots.push_back({.file = {.input = directory + "\\" + row.name}, .role = role});
    }
    requireCopperStack(a.plots, a.copperLayers);
    placePlots(a);
    for (auto& p : a.plots)
        p.file.output = f.outdatapath + "\\" + f.fnamebase + "." + p.place.ending;
    if (!outline && !table.option)
        refuse("No picked plot is the board outline, which a board house needs.",
               "give a plot the role outline, or tick \"" + outlineOption +
                   "\" in the role table (--outline extent on the command line)");
    a.outlineFromExtent = !outline;
    return a;
}

} // namespace fk::fab
