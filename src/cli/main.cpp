#include "cli/cli.hpp"
#include "platform/commandline.hpp"
#include "platform/interrupt.hpp"
#include "platform/memory.hpp"
#include "platform/programdir.hpp"

#include <filesystem>
#include <iostream>
#include <string_view>
#include <system_error>

namespace {

// Whether the command checks a board of tens of megabytes: then, and only then, starting again for large
// pages pays for itself (a start costs a few milliseconds, as much as a small board's whole check).
bool checksLargeBoard(int argc, char** argv) {
    namespace fs = std::filesystem;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) != "--board")
            continue;
        std::error_code ec;
        const fs::path board(argv[i + 1]);
        const std::uintmax_t large = 16'000'000;
        std::uintmax_t bytes = fs::is_regular_file(board, ec) ? fs::file_size(board, ec) : 0;
        // As deep as a board is read, and no further than a board's worth of entries: `--board /` is refused
        // by the check, not searched here.
        int entries = 0;
        for (auto it = fs::recursive_directory_iterator(board, ec);
             !ec && it != fs::recursive_directory_iterator() && bytes <= large && ++entries <= 10000;
             it.increment(ec)) {
            if (it.depth() >= 3)
                it.disable_recursion_pending();
            if (it->is_regular_file(ec))
                bytes += it->file_size(ec);
        }
        return bytes > large;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (checksLargeBoard(argc, argv))
        fk::platform::useLargePages(argv);
    fk::platform::keepFreedMemory();
    // A reader of the progress lines that goes away (`| head`) must not end the job between two commits.
    fk::platform::ignoreBrokenPipe();
    const std::vector<std::string> args = fk::platform::commandArguments(argc, argv);
    return fk::cli::run(args, fk::platform::programDirectory(), std::cout, std::cerr,
                        fk::platform::outputsOnTerminal());
}
