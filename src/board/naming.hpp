// What a Gerber file of a board is, by what it says of itself and by its name: its X2 file function, the
// layer its comments, %LN or %IN name, and each CAD tool's naming, one table row a convention.
#pragma once

#include "board/roles.hpp"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fk::board {

// A Gerber file's role and why; a role of Layer::None is a file listed as ignored, and the why says what it
// is.
struct Named {
    Role role{};
    std::string why{};
    // By an X2 file function (its own or the job file's), which says what a layer is for, not its polarity:
    // a plane by function is a negative image only where the file says so (KiCad writes planes positive).
    bool byFunction = false;
};

// What the board's other files tell about one file's name.
struct NamingContext {
    std::map<std::string, std::string> jobFunctions{}; // the job file's: lower-case file name, file function
    int padsBottom = 0; // the highest layer of PADS's artNNN files, its bottom copper; 0 when none
};

// The X2 file function a head states, in an extended command or, as older tools write it, a G04 comment.
struct StatedFunction {
    std::string function;
    bool comment = false;
};
std::optional<StatedFunction> statedFunction(std::string_view head);

// A Gerber file by its content: after blank lines and empty statements (`*`, as OrCAD Layout and PADS write
// them), a comment, a parameter block or a G, D or M code, and a format statement in the head.
bool looksLikeGerber(std::string_view head);

// The role of a Gerber file from, strongest first, its X2 file function, the job file, a layer its comments,
// %LN or %IN name, its name. Nothing when none tells.
std::optional<Named> namedRole(std::string_view fileName, std::string_view head, const NamingContext& board);

// The highest NNN of PADS's artNNN files among the names (their bottom copper), 0 when there is none.
int padsBottomOf(const std::vector<std::string>& fileNames);

} // namespace fk::board
