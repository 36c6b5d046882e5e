// The aperture tables of one Gerber Converter run: the table read before the plots and the compressed table
// written after them. Shared by gerber/gerberconverter.cpp and gerber/tables.cpp only.
#pragma once

#include "app/context.hpp"
#include "platform/files.hpp"

#include <map>
#include <string>
#include <vector>

namespace fk::gerber {

// Aperture numbers with their usage (last selecting line, then the new code) and their dimensions.
struct ApertureCodes {
    std::map<int, std::string> usage;
    std::map<int, std::string> dimensions;
};

struct Selection {
    std::string directory;
    std::vector<std::string> names;
    std::string input(size_t i) const { return directory + "\\" + names[i]; }
    std::string output(size_t i) const { return directory + "\\x" + names[i]; }
};

// Reads the aperture table the first field of `tableChoice` names into `codes`, and logs how many aperture
// lines it held. Returns that count.
long readTable(const app::JobContext& context, const std::string& tableChoice, ApertureCodes& codes);

void writeCompressedTable(platform::AtomicWriter& out, const Selection& selection,
                          const ApertureCodes& codes);

} // namespace fk::gerber
