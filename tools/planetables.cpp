// Writes the default plane tables flashkit.pt, flashkit.pa and flashkit.pc into a directory, exactly as
// "PCB >> Aperture" writes a missing one; the build installs them as reference copies.
#include "aperture/model.hpp"
#include "platform/files.hpp"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: planetables DIR\n";
        return 2;
    }
    try {
        const auto tables =
            fk::aperture::loadplanetables(fk::platform::toPathText(std::filesystem::absolute(argv[1])));
        for (const auto& table : fk::aperture::writeMissingPlaneTables(tables))
            table->commit();
    } catch (const fk::platform::FileError& e) {
        std::cerr << e.logMessage() << "\n";
        return 1;
    }
    return 0;
}
