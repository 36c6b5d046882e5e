#include "cli/cli.hpp"
#include "platform/programdir.hpp"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return fk::cli::run(args, fk::platform::programDirectory(), std::cout, std::cerr);
}
