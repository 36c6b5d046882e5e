// The program directory: where flashkit.ini and the plane tables flashkit.pt, .pa and .pc are kept.
#pragma once

#include <string>

namespace fk::platform {

// What the choice depends on, gathered from the running process.
struct ProgramDirFacts {
    std::string executableDir;    // path text of the executable's directory
    bool besideExecutable = true; // that directory is writable and not the one the program was installed to
    const char* xdgConfigHome = nullptr; // the environment's values; nullptr when unset
    const char* home = nullptr;
};

// The executable's directory when the settings can stay beside it; otherwise (POSIX only) the user's
// configuration directory: $XDG_CONFIG_HOME/flashkit when that is an absolute path, else
// $HOME/.config/flashkit. A path text.
std::string programDirectoryFor(const ProgramDirFacts& facts);

// The program directory of this process. A configuration directory chosen is created when missing.
std::string programDirectory();

} // namespace fk::platform
