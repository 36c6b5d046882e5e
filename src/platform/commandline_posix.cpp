#include "platform/commandline.hpp"

#include <unistd.h>

namespace fk::platform {

// The bytes as the shell passed them: names are bytes on POSIX.
std::vector<std::string> commandArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool outputsOnTerminal() {
    return isatty(STDOUT_FILENO) && isatty(STDERR_FILENO);
}

} // namespace fk::platform
