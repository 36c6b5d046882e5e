#include "cli/cli.hpp"
#include "platform/commandline.hpp"
#include "platform/interrupt.hpp"
#include "platform/memory.hpp"
#include "platform/programdir.hpp"

#include <iostream>

int main(int argc, char** argv) {
    fk::platform::useLargePages(argv);
    fk::platform::keepFreedMemory();
    // A reader of the progress lines that goes away (`| head`) must not end the job between two commits.
    fk::platform::ignoreBrokenPipe();
    const std::vector<std::string> args = fk::platform::commandArguments(argc, argv);
    return fk::cli::run(args, fk::platform::programDirectory(), std::cout, std::cerr,
                        fk::platform::outputsOnTerminal());
}
