#include "cli/cli.hpp"
#include "platform/interrupt.hpp"
#include "platform/programdir.hpp"

#include <iostream>

int main(int argc, char** argv) {
    // A reader of the progress lines that goes away (`| head`) must not end the job between two commits.
    fk::platform::ignoreBrokenPipe();
    std::vector<std::string> args(argv + 1, argv + argc);
    return fk::cli::run(args, fk::platform::programDirectory(), std::cout, std::cerr);
}
