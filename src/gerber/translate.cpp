// Reading a Gerber file for its rewritten copy: the driver that hands each line to the rules in force, and
// the refusal of what the rewritten file cannot hold.
#include "gerber/translator.hpp"

#include "platform/files.hpp"

namespace fk::gerber {

void FileTranslator::run() {
    platform::LineReader reader(path_);
    std::string_view line;
    while (reader.next(line)) {
        ++lineNumber_;
        if (stated_)
            readStatements(line);
        else
            readTangoLine(line);
    }
    finishStatements();
}

void FileTranslator::refuse(Refusal r, std::string_view text) const {
    const RefusalText t = refusalText(r);
    // The command as it stands in the file, cut where a line without breaks would flood the log.
    std::string shown(text.substr(0, 72));
    if (text.size() > 72)
        shown += "...";
    else if (quoting_ == Quoting::Command)
        shown += "*";
    else if (quoting_ == Quoting::Parameter)
        shown = "%" + shown + "*%";
    throw app::JobStop{
        util::lines({"Line " + std::to_string(commandLine_) + " " + t.what + ", which " +
                         std::string(wording_.limit) + ":",
                     util::angled(path_), shown,
                     std::string(wording_.outcome) + "; " + std::string(t.advice) + " and re-try."})};
}

bool translateFile(const std::string& path, Coordinates& at, Rounding& rounding, Sink& sink,
                   const RefusalWording& wording) {
    FileTranslator translator(path, at, rounding, sink, wording);
    translator.run();
    return translator.stated();
}

} // namespace fk::gerber
