// Reading a line of Tango-PCB's own Gerber files by their fixed rules: one command per line, coordinates of
// five characters in mils.
#include "gerber/translator.hpp"

namespace fk::gerber {

void FileTranslator::readTangoLine(std::string_view line) {
    commandLine_ = lineNumber_;
    quoting_ = Quoting::Line;
    // Parameter lines are read for what they state (units, format, polarity, ...); the format statement
    // starts RS-274-X reading, even in the middle of a line ("*%FSLAX53Y53*").
    if ((!line.empty() && line[0] == '%') || line.find("%FS") != std::string_view::npos) {
        readStatements(line);
        if (!stated_)
            resetStatements();
        return;
    }
    const char first = line.empty() ? '\0' : upperChar(line[0]);
    const Letters letters = first == 'X' || first == 'Y' ? lettersOf(line) : Letters{};
    checkTangoLine(line, letters);
    if (first == 'D') {
        sawData_ = true;
        heldSelection_.clear();
        sink_.select(apertureNumber(line.substr(1, 4)), line, commandLine_);
    } else if (first == 'G' && headIs(line.substr(0, 4), "g54d")) {
        // Dropped by the fixed rules, as Tango-PCB follows it with its own D line; held back in case a
        // coordinate comes first.
        heldSelection_ = line;
    } else if (first == 'X' && headIs(line, "x0y0d")) {
        sawData_ = true;
    } else if (first == 'M' && headIs(line, "m02*")) {
        sink_.line("D02M02*", commandLine_);
    } else if (first == 'X' || first == 'Y') {
        sawData_ = true;
        readTangoCoordinates(line, letters);
        if (!heldSelection_.empty())
            sink_.select(apertureNumber(std::string_view(heldSelection_).substr(4, 4)), heldSelection_,
                         commandLine_);
        heldSelection_.clear();
        sink_.operation(at_, commandLine_);
    }
}

// What the fixed rules would drop or draw straight although it changes the image; units stated by G70/G71
// before a format statement count for it.
inline void FileTranslator::checkTangoLine(std::string_view line, const Letters& letters) {
    const char first = line.empty() ? '\0' : upperChar(line[0]);
    if (first == 'G') {
        size_t length;
        const long g = leadingNumber(line.substr(1), length);
        if (length > 0 && (g == 2 || g == 3))
            refuse(Refusal::Arc, line);
        if (length > 0 && (g == 36 || g == 37))
            refuse(Refusal::Region, line);
        if (length > 0 && g == 91)
            refuse(Refusal::Incremental, line);
        if (length > 0 && (g == 70 || g == 71))
            format_.metric = g == 71;
    } else if (first == 'M' && util::equalsNoCase(util::trim(line), "M48")) {
        refuse(Refusal::DrillFile, line);
    } else if (letters.arc != none) {
        refuse(Refusal::Arc, line);
    }
}

inline void FileTranslator::readTangoCoordinates(std::string_view line, const Letters& letters) {
    // Five characters hold at most 99999, so a 32-bit value always holds the coordinate.
    if (letters.x != none)
        at_.x = *util::int32Of(line.substr(letters.x + 1, 5));
    if (letters.y != none)
        at_.y = *util::int32Of(line.substr(letters.y + 1, 5));
    if (letters.d != none)
        setText(at_.dtext, line.substr(letters.d, 4));
}

} // namespace fk::gerber
