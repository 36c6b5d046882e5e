#include "platform/programdir.hpp"

#include "platform/files.hpp"

#include <cstdlib>
#include <filesystem>

namespace fk::platform {

namespace fs = std::filesystem;

namespace {

#ifndef _WIN32
// The user's configuration directory for the program. An empty or relative XDG_CONFIG_HOME counts as unset,
// as the XDG base directory rules say.
fs::path configDirectory(const ProgramDirFacts& facts) {
    if (facts.xdgConfigHome && facts.xdgConfigHome[0] == '/')
        return fs::path(facts.xdgConfigHome) / "flashkit";
    const char* home = facts.home && facts.home[0] ? facts.home : "/tmp";
    return fs::path(home) / ".config" / "flashkit";
}

// A program installed (by `cmake --install` or its package) to a system directory keeps its settings per
// user, even when run by an account that could write there.
bool installedHere(const std::string& executableDir) {
#ifdef FLASHKIT_INSTALL_BINDIR
    return executableDir == toPathText(FLASHKIT_INSTALL_BINDIR);
#else
    (void)executableDir;
    return false;
#endif
}
#endif

} // namespace

std::string programDirectoryFor(const ProgramDirFacts& facts) {
#ifdef _WIN32
    return facts.executableDir;
#else
    return facts.besideExecutable ? facts.executableDir : toPathText(configDirectory(facts));
#endif
}

std::string programDirectory() {
    ProgramDirFacts facts{.executableDir = executableDirectory()};
#ifndef _WIN32
    facts.besideExecutable = directoryWritable(facts.executableDir) && !installedHere(facts.executableDir);
    facts.xdgConfigHome = std::getenv("XDG_CONFIG_HOME");
    facts.home = std::getenv("HOME");
    if (!facts.besideExecutable) {
        std::error_code ec; // a directory that cannot be made is reported by the first file written there
        fs::create_directories(configDirectory(facts), ec);
    }
#endif
    return programDirectoryFor(facts);
}

} // namespace fk::platform
