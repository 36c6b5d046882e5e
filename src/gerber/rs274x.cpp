// Reading the RS-274-X statements of a Gerber file: commands ended by "*", parameters between "%" and "%",
// across line ends; the format, units, apertures, G, D and M codes, and coordinates converted to whole mils.
#include "gerber/translator.hpp"

#include "util/fixed.hpp"
#include "util/length.hpp"

namespace fk::gerber {

inline void FileTranslator::startStatements(std::string_view statement) {
    if (sawData_)
        refuse(Refusal::LateFormat, statement);
    stated_ = true;
    at_ = Coordinates{};
    selected_ = -1;
}

void FileTranslator::resetStatements() {
    inParameters_ = false;
    firstParameter_ = true;
    macro_ = false;
    word_.clear();
}

void FileTranslator::readStatements(std::string_view line) {
    while (!line.empty()) {
        size_t end = 0;
        while (end < line.size() && !endsWord(line[end]))
            ++end;
        const std::string_view piece = line.substr(0, end);
        if (end == line.size()) {
            addToWord(piece);
            return;
        }
        const char c = line[end];
        line.remove_prefix(end + 1);
        // A word that lies whole in the line, as nearly every one does, is read where it stands.
        const bool whole = word_.empty();
        if (!whole)
            addToWord(piece);
        else if (!trimmed(piece).empty())
            commandLine_ = lineNumber_;
        const std::string_view word = whole ? piece : std::string_view(word_);
        if (c == '%' && !inParameters_ && trimmed(word).substr(0, 3) == "G04") {
            if (whole)
                word_.assign(piece);
            word_ += c; // a comment may hold a percent sign
        } else if (c == '%') {
            endWord(word);
            inParameters_ = !inParameters_;
            macro_ = false;
            firstParameter_ = true;
        } else {
            endWord(word);
        }
    }
}

inline void FileTranslator::addToWord(std::string_view text) {
    if (trimmed(word_).empty() && !trimmed(text).empty())
        commandLine_ = lineNumber_;
    word_ += text;
}

inline void FileTranslator::endWord(std::string_view text) {
    const std::string_view word = trimmed(text);
    if (!word.empty()) {
        quoting_ = inParameters_ ? Quoting::Parameter : Quoting::Command;
        if (!inParameters_)
            readCommand(word);
        else if (firstParameter_ || !macro_)
            readParameter(word);
    }
    if (inParameters_ && !word.empty())
        firstParameter_ = false;
    word_.clear();
}

void FileTranslator::finishStatements() {
    endWord(word_);
}

inline void FileTranslator::readParameter(std::string_view p) {
    if (firstParameter_ && inParameters_)
        macro_ = p.substr(0, 2) == "AM";
    const std::string_view code = p.substr(0, 2);
    if (code == "FS")
        readFormat(p);
    else if (code == "MO")
        readUnits(p);
    else if (code == "LP" && p != "LPD")
        refuse(Refusal::ClearPolarity, p);
    else if (code == "SR" && (!repeatsOnce(p, 'X') || !repeatsOnce(p, 'Y')))
        refuse(Refusal::StepRepeat, p);
    else if (code == "AB" || (code == "IP" && p != "IPPOS") || (code == "LM" && p != "LMN"))
        refuse(Refusal::Transform, p);
    else if ((code == "OF" || code == "MI" || code == "IR" || code == "LR") && !numbersAllEqual(p, 0))
        refuse(Refusal::Transform, p);
    else if ((code == "SF" || code == "LS") && !numbersAllEqual(p, 1))
        refuse(Refusal::Transform, p);
}

// FS, zero omission (L, T or D), notation (A or I), then X and Y each with two digit counts.
inline void FileTranslator::readFormat(std::string_view p) {
    Format f = format_;
    f.trailingOmitted = false;
    size_t i = 2;
    for (; i < p.size() && p[i] != 'X'; ++i) {
        if (p[i] == 'T')
            f.trailingOmitted = true;
        else if (p[i] == 'I')
            refuse(Refusal::Incremental, p);
        else if (p[i] != 'L' && p[i] != 'D' && p[i] != 'A')
            refuse(Refusal::BadFormat, p);
    }
    const auto axis = [&](char letter, AxisFormat& a) {
        if (i + 2 >= p.size() || p[i] != letter || !isDigit(p[i + 1]) || !isDigit(p[i + 2]))
            refuse(Refusal::BadFormat, p);
        a.integer = p[i + 1] - '0';
        a.decimal = p[i + 2] - '0';
        // Thirteen digits keep every conversion within 64 bits.
        if (a.integer + a.decimal > 13 || a.integer + a.decimal == 0)
            refuse(Refusal::BadFormat, p);
        i += 3;
    };
    axis('X', f.x);
    axis('Y', f.y);
    if (!stated_)
        startStatements(p);
    format_ = f;
}

inline void FileTranslator::readUnits(std::string_view p) {
    if (p == "MOIN")
        format_.metric = false;
    else if (p == "MOMM")
        format_.metric = true;
    else
        refuse(Refusal::BadUnits, p);
}

inline void FileTranslator::readCommand(std::string_view command) {
    std::string_view rest = command;
    while (!rest.empty() && rest[0] == 'G') {
        size_t length;
        const long g = leadingNumber(rest.substr(1), length);
        if (length == 0)
            refuse(Refusal::Unknown, command);
        if (g == 4)
            return; // a comment
        readGCode(g, command);
        rest.remove_prefix(1 + length);
    }
    if (rest.empty())
        return;
    // "X0Y0D02M02" or "D02M02", as some tools end a plot: the move, then the end of the file.
    constexpr std::string_view moveThenEnd = "D02M02";
    if (rest.size() >= moveThenEnd.size() && rest.substr(rest.size() - moveThenEnd.size()) == moveThenEnd) {
        const std::string_view move = rest.substr(0, rest.size() - 3);
        if (move.size() == 3)
            readDCode(move.substr(1), command);
        else
            readOperation(move, command);
        return readMCode(rest.substr(move.size()), command);
    }
    if (rest[0] == 'M')
        readMCode(rest, command);
    else if (rest[0] == 'D' && rest.size() > 1 && allDigits(rest.substr(1)))
        readDCode(rest.substr(1), command);
    else
        readOperation(rest, command);
}

inline void FileTranslator::readGCode(long g, std::string_view command) {
    switch (g) {
    case 1:
        circular_ = false; // straight draws
        break;
    case 2:
    case 3:
        circular_ = true; // arcs follow; refused at their first draw
        break;
    case 36:
    case 37:
        refuse(Refusal::Region, command);
    case 70:
        format_.metric = false; // inch, as %MOIN
        break;
    case 71:
        format_.metric = true; // millimetres, as %MOMM
        break;
    case 91:
        refuse(Refusal::Incremental, command);
    case 54: // an aperture selection follows
    case 55: // a flash follows
    case 74: // single- and multi-quadrant arcs: only arcs use them
    case 75:
    case 90: // absolute coordinates
        break;
    default:
        refuse(Refusal::Unknown, command);
    }
}

inline void FileTranslator::readMCode(std::string_view rest, std::string_view command) {
    size_t length;
    const long m = leadingNumber(rest.substr(1), length);
    if (length == 0 || length + 1 != rest.size() || m > 2)
        refuse(Refusal::Unknown, command);
    if (m != 1) { // M00 and M02 end the file; M01 is an optional stop
        originMove_ = false;
        sink_.line("D02M02*", commandLine_);
    }
}

inline void FileTranslator::readDCode(std::string_view digits, std::string_view command) {
    size_t length;
    const long d = leadingNumber(digits, length);
    if (d >= 10 || d < 0) {
        // Selecting the aperture in use changes nothing (G54D11* followed by D11*, as Tango-PCB writes).
        const int number = apertureNumber(digits);
        if (number != selected_)
            sink_.select(number, std::string(command) + "*", commandLine_);
        selected_ = number;
        return;
    }
    if (d < 1 || d > 3)
        refuse(Refusal::Unknown, command);
    setText(at_.dtext, operationText(d));
    if (circular_ && d == 1)
        refuse(Refusal::Arc, command);
    writeOriginMove();
    sink_.line(at_.dtext, commandLine_);
}

// A move to the origin is held back until something follows that it matters to; the move before the
// end of a file, as Tango-PCB writes it, draws nothing and is left out.
inline void FileTranslator::writeOriginMove() {
    if (!originMove_)
        return;
    originMove_ = false;
    sink_.operation(Coordinates{.x = 0, .y = 0, .dtext = "D02*"}, commandLine_);
}

// Coordinate data: X, Y (I and J only with arcs), then an optional D01, D02 or D03.
inline void FileTranslator::readOperation(std::string_view rest, std::string_view command) {
    std::string_view x, y;
    bool hasX = false, hasY = false;
    size_t i = 0;
    while (i < rest.size() && rest[i] != 'D') {
        const char letter = rest[i];
        size_t end = i + 1;
        while (end < rest.size() && inNumber(rest[end]))
            ++end;
        if (letter == 'I' || letter == 'J')
            refuse(Refusal::Arc, command);
        if (letter == 'X') {
            x = rest.substr(i + 1, end - i - 1);
            hasX = true;
        } else if (letter == 'Y') {
            y = rest.substr(i + 1, end - i - 1);
            hasY = true;
        } else {
            refuse(Refusal::Unknown, command);
        }
        i = end;
    }
    if (!hasX && !hasY)
        refuse(Refusal::Unknown, command);
    if (i < rest.size()) {
        size_t length;
        const long d = leadingNumber(rest.substr(i + 1), length);
        if (length == 0 || i + 1 + length != rest.size() || d < 1 || d > 3)
            refuse(Refusal::Unknown, command);
        setText(at_.dtext, operationText(d));
    }
    if (circular_ && at_.dtext == "D01*")
        refuse(Refusal::Arc, command);
    if (hasX)
        at_.x = toMils(x, format_.x, command);
    if (hasY)
        at_.y = toMils(y, format_.y, command);
    writeOriginMove();
    if (at_.x == 0 && at_.y == 0 && at_.dtext == "D02*")
        originMove_ = true;
    else
        sink_.operation(at_, commandLine_);
}

// A coordinate of the file's format in whole mils, rounded half to even.
inline int FileTranslator::toMils(std::string_view text, const AxisFormat& axis, std::string_view command) {
    const size_t sign = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const int places = axis.integer + axis.decimal;
    // Digits only: a point has no place in a format's coordinate.
    const util::Fixed digits = util::readFixed(text, 0);
    if (!digits.ok() || text.size() - sign > static_cast<size_t>(places) ||
        text.find('.') != std::string_view::npos)
        refuse(Refusal::BadCoordinate, command);
    std::int64_t value = digits.value;
    // Trailing zeros omitted: the digits stand at the left of the full width.
    if (format_.trailingOmitted)
        value *= util::powerOfTen(places - static_cast<int>(text.size() - sign));
    const util::WholeMils converted = util::wholeMilsOf(value, axis.decimal, format_.metric);
    if (converted.mils > 99999 || converted.mils < -99999)
        refuse(Refusal::Overflow, command);
    if (converted.offNumerator != 0) {
        rounding_.happened = true;
        const double shift =
            static_cast<double>(converted.offNumerator) / static_cast<double>(converted.offDenominator);
        if (shift > rounding_.largestMils)
            rounding_.largestMils = shift;
    }
    return static_cast<int>(converted.mils);
}

} // namespace fk::gerber
