// flashkit-cli: every job from scripts and tests.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace fk::cli {

// Runs one command line (arguments without the program name). Returns the exit status: 0 the job did its
// work, 1 it stopped early, 2 a usage error. defaultProgramDir is used when --program-dir is absent.
int run(const std::vector<std::string>& args, const std::string& defaultProgramDir, std::ostream& out,
        std::ostream& err);

// The program directory when none is given: the executable's directory, or on POSIX the user's
// configuration directory when the executable's directory is not writable.
std::string defaultProgramDirectory();

} // namespace fk::cli
