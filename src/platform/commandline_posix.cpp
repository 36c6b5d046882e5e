#include "platform/commandline.hpp"

namespace fk::platform {

// The bytes as the shell passed them: names are bytes on POSIX.
std::vector<std::string> commandArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

} // namespace fk::platform
