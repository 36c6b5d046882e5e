// The role of each exported plot on the board: its default from the plot's name, its file ending and the
// Gerber X2 file attributes it is written with.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fk::board {

enum class Layer {
    None,
    TopCopper,
    BottomCopper,
    InnerCopper,
    Plane,
    TopMask,
    BottomMask,
    TopSilk,
    BottomSilk,
    TopPaste,
    BottomPaste,
    Outline
};

struct Role {
    Layer layer = Layer::None;
    int number = 0; // the copper layer, counted from the top (1), of inner copper and planes
    bool operator==(const Role&) const = default;
};

// The highest copper layer number a role text may give.
inline constexpr int maxCopperLayer = 32;

// A role as the table and --role write it ("top", "inner2", "plane3", "outline"); nothing when it is none.
std::optional<Role> roleOfText(std::string_view text);
std::string textOf(Role role);
// The texts the role table offers, "none" first.
std::vector<std::string> roleChoices();
// The role a plot's name gives ("SMT.GBR" a top solder mask); Layer::None when the name gives none.
Role defaultRole(std::string_view plotName);

// The role of a plot file by its name: the plot names above, else the endings CAD tools write (".GTL",
// ".G1", ".GP1", ".GKO" or ".GM1"); Layer::None when neither tells.
Role roleOfFileName(std::string_view fileName);
// The role of an X2 file function ("Copper,L2,Inr,Plane"); Layer::None for one that names no role here.
Role roleOfFunction(std::string_view function);

bool isCopper(Role role);
// The file ending of a role that has one of its own, without its dot ("GTL"); none for inner copper and
// planes, which Fab Export names by their place among the picked plots.
std::string endingOf(Role role);
// The X2 file function ("Copper,L1,Top") and polarity ("Positive") of the role on a board of
// `copperLayers` copper layers.
std::string fileFunctionOf(Role role, int copperLayers);
std::string polarityOf(Role role);

} // namespace fk::board
