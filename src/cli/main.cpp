#include "cli/cli.hpp"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return fk::cli::run(args, fk::cli::defaultProgramDirectory(), std::cout, std::cerr);
}
