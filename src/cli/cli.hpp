// flashkit-cli: every job from scripts and tests.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace fk::cli {

// Runs one command line (arguments without the program name). Returns the exit status: 0 the job did its
// work, 1 it stopped early, 2 a usage error. defaultProgramDir is used when --program-dir is absent.
// `terminal`: both streams go to one terminal, where a person reads them together: the log's lines are shown
// once, as they appear, and not again at the end.
int run(const std::vector<std::string>& args, const std::string& defaultProgramDir, std::ostream& out,
        std::ostream& err, bool terminal = false);

} // namespace fk::cli
