// A board as its CAD tool wrote it for fabrication: a folder or zip of Gerber and Excellon files (and a job
// file where there is one), each file given a role and the reason for it, read into layers and holes.
#pragma once

#include "board/drilltext.hpp"
#include "board/image.hpp"
#include "board/roles.hpp"
#include "drill/excellon.hpp"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fk::board {

// A file of the board and what became of it: its role ("top", "drill, plated"), or "ignored", and why.
struct BoardFile {
    std::string name{}, role{}, why{};
};

struct BoardLayer {
    Role role{};
    Image image{};
    bool plane = false; // a negative image, or a plane by its function: copper everywhere but its clearances
};

struct DrillSource {
    std::string name;
    std::string text; // lines ending at LF
    bool plated = true;
    drill::DrillFormat format{}; // as its header states it
    DrillReading reading{};      // as its holes are placed
    bool assumed = false;        // placed by units or zeros the file neither states nor shows
};

struct Fabrication {
    std::string path{};
    std::vector<BoardFile> files{};
    std::vector<BoardLayer> layers{}; // in the order of their files' names
    std::vector<DrillSource> drills{};
    std::vector<Hole> holes{}; // every drill file's, in its order
};

// Reads a folder or a zip. `roles` gives files their roles by name (the whole name, or without its last
// ending, in any case). Throws app::JobStop naming the file, line and what was found.
Fabrication readFabrication(const std::string& pathText, const std::map<std::string, std::string>& roles);
// The same of files picked one by one (any files of a board's folder), named in messages by `folder`.
Fabrication readFabricationFiles(const std::string& folder, const std::vector<std::string>& paths,
                                 const std::map<std::string, std::string>& roles);
// Whether picked files are a board's own rather than a design's plots: a zip, a job file or a drill file
// among them. Files that cannot be read are left to the reading to name.
bool isBoardChoice(const std::vector<std::string>& paths);

} // namespace fk::board
