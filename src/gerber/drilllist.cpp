// First step of the Gerber converter: a drill list drawn as a Tango-PCB design file.
#include "gerber/steps.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"

#include <cmath>

namespace fk::gerber {

namespace {

int16_t wordValue(const std::string& line, int word, long lineNumber, const std::string& path) {
    auto value = util::toInt16(util::valueOf(util::field(line, word)));
    if (!value)
        throw app::JobStop{util::lines(
            {"Line " + std::to_string(lineNumber) + " of the drill list holds a number out of range:",
             util::angled(path), "Correct the drill list and re-try."})};
    return *value;
}

[[noreturn]] void refuse(const std::string& what, const std::string& path) {
    throw app::JobStop{util::lines({what, util::angled(path),
                                    "Expected lines such as \"DRILL: 35\" and \"X 1000 Y 2000\"; "
                                    "correct the drill list and re-try."})};
}

} // namespace

std::string arcRecord(int radius, int x, int y) {
    return "ARC" + util::signedText(radius) + " 0 360 2 18" + util::signedText(x) + util::signedText(y) +
           " 0 0 0";
}

std::unique_ptr<platform::AtomicWriter> drillListStep(const app::JobContext& context) {
    const std::string choice = context.pickfile({.mask = "*.*",
                                                 .startDirectory = context.fields.indatapath,
                                                 .title = "Select dril list file to convert..."});
    if (choice.empty())
        return nullptr;
    std::string drillList = util::field(choice, 1, ",");
    drillList = util::trim(drillList); // the blank that stands before a comma
    const std::string directory = util::directoryOf(drillList);
    const std::string name = util::baseNameOf(drillList) + ".pcb";
    const std::string drawing = directory.empty() ? name : directory + "\\" + name;
    if (platform::sameFile(drillList, drawing))
        throw app::JobStop{util::lines({"The drill list would be replaced by its own drawing file:",
                                        util::angled(drillList), "Rename the drill list and re-try."})};

    platform::LineReader reader(drillList);
    auto out = std::make_unique<platform::AtomicWriter>(drawing);
    auto& writer = *out;
    writer.writeLine(";Tango-PCB PLUS V2.30 Series II"); // the ASCII header every design reader checks
    writer.writeLine("VERSION 1 3 A");
    writer.writeLine("BOARD 1 1 31999 31999 1 1"); // the largest board, so that every hole lies on it
    int drill = 0;
    bool found = false;
    std::string line;
    for (long number = 1; reader.next(line); ++number) {
        if (!util::isText(line))
            refuse("Line " + std::to_string(number) + " of the drill list is not text:", drillList);
        if (util::lower(util::left(line, 6)) == "drill:") {
            drill = wordValue(line, 2, number, drillList);
            found = true;
        } else if (!line.empty() && (line[0] == 'X' || line[0] == 'x')) {
            int x = wordValue(line, 2, number, drillList);
            int y = wordValue(line, 4, number, drillList);
            writer.writeLine(arcRecord(static_cast<int>(std::floor(drill / 2.0)), x, y));
            found = true;
        }
    }
    if (!found)
        refuse("The drill list holds no drill size line and no hole line:", drillList);
    writer.finish();
    context.log().show("Drill file processed:\tOK");
    context.log().refresh();
    return out;
}

} // namespace fk::gerber
