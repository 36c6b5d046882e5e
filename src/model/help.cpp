#include "model/help.hpp"

#include "model/buttons.hpp"
#include "model/fields.hpp"

namespace fk::model {

namespace {

// Plain text as Markdown shows it: "<base>" is a file name here, not a tag, and "\" is a path separator.
std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '<' || c == '>' || c == '*' || c == '_' || c == '`')
            out += '\\';
        out += c;
    }
    return out;
}

std::string buttonsSection() {
    std::string text = "## Buttons\n\n";
    for (const auto& c : commands()) {
        if (*c.files)
            text += std::string("- **") + c.caption + "**: " + escaped(c.files) + "\n";
    }
    return text + "- **Help** (F1) opens this page; it changes no file and leaves the log alone.\n\n"
                  "Every job writes its outputs completely beside their targets before it replaces any of "
                  "them: a job that stops leaves every file as it was and says why in the log.\n\n";
}

std::string fieldsSection() {
    std::string text = "## Fields\n\n";
    for (Field f : layoutOrder()) {
        const FieldSpec& info = specOf(f);
        text += std::string("- **") + info.caption + "** (Alt+" + info.mnemonic +
                "): " + escaped(info.meaning) + ".\n";
    }
    return text +
           "\nThe button beside a path field (or a click on its caption) opens the file selection "
           "window; the directory of the file you choose goes into the field, and for the file base "
           "name the file's name without extension, its directory going into the input data path. "
           "Dropping a file onto a field does the same. Leaving a path field tidies what you typed "
           "(`c:\\tango\\work\\` becomes `C:\\TANGO\\WORK`) only where the tidied text names the same "
           "folder; a name with blanks, dots, dashes or letters outside ASCII stays as typed. A relative "
           "path is relative to the directory the program was started in.\n\n";
}

} // namespace

std::string helpPage(const std::string& programDir) {
    return "# Flashkit " + std::string(version()) + "\n\n" + buttonsSection() + fieldsSection() +
           "## Settings and plane tables\n\n"
           "The fields are kept in `flashkit.ini` and the window's size and place in `flashkit-window.ini` "
           "(`flashkit-win32-window.ini` for `flashkit.exe`), "
           "both in the program directory, `" +
           programDir +
           "`. The fields are saved when the window closes. The default plane aperture tables "
           "`flashkit.pt` (thermals), `flashkit.pa` (donuts) and `flashkit.pc` (round pads) live there too; "
           "PCB >> Aperture writes any that is missing and never replaces one you edited.\n\n" +
           std::string(limitsPage());
}

std::string aboutText() {
    return "Flashkit " + std::string(version()) +
           "\n\nAperture, drill and Gerber files for the CAM stage of Tango-PCB designs.";
}

} // namespace fk::model
