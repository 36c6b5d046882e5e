// What the statements of an RS-274-X file ask of the rewritten file: the statements as the format's one
// splitter cuts them, the format and units as every reader reads them; G, D and M codes, and coordinates
// converted to whole mils.
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
    splitter_.reset();
}

void FileTranslator::readStatements(std::string_view line) {
    splitter_.feed(line, lineNumber_);
    rs274x::Statement s;
    while (splitter_.next(s))
        readStatement(s);
}

void FileTranslator::finishStatements() {
    rs274x::Statement s;
    if (splitter_.finish(s)) // a command the end of the file cut off before its '*', read as it stands
        readStatement(s);
}

inline void FileTranslator::readStatement(const rs274x::Statement& s) {
    commandLine_ = s.line;
    switch (s.kind) {
    case rs274x::StatementKind::Command:
        quoting_ = Quoting::Command;
        return readCommand(s.text);
    case rs274x::StatementKind::Parameter:
        quoting_ = Quoting::Parameter;
        return readParameter(s.text);
    case rs274x::StatementKind::Primitive:
        return; // an aperture macro's primitive: the rewritten file holds no macro
    case rs274x::StatementKind::Overlong:
        quoting_ = Quoting::Line;
        refuse(Refusal::Unknown, std::string(s.text) + "...");
    }
}

// What each parameter asks of the rewritten file: the format and units are read; apertures, macros,
// attributes and names are dropped; what changes the image is refused.
inline void FileTranslator::readParameter(std::string_view p) {
    using rs274x::Parameter;
    switch (rs274x::parameterOf(p)) {
    case Parameter::Format:
        return readFormat(p);
    case Parameter::Units:
        return readUnits(p);
    case Parameter::Polarity:
        if (p != "LPD")
            refuse(Refusal::ClearPolarity, p);
        return;
    case Parameter::StepRepeat: {
        const auto repeat = rs274x::readStepRepeat(p); // once along each axis, or refused
        if (!repeat.value || repeat.value->x != 1 || repeat.value->y != 1)
            refuse(Refusal::StepRepeat, p);
        return;
    }
    case Parameter::ApertureBlock:
        return refuse(Refusal::Transform, p);
    case Parameter::ImagePolarity:
        if (p != "IPPOS")
            refuse(Refusal::Transform, p);
        return;
    case Parameter::LoadMirror:
        if (p != "LMN")
            refuse(Refusal::Transform, p);
        return;
    case Parameter::AxisSelect:
        if (p != "ASAXBY")
            refuse(Refusal::Transform, p);
        return;
    case Parameter::InputCode:
        if (p != "ICAS")
            refuse(Refusal::Unknown, p); // another code than ASCII: what the bytes mean is unknown
        return;
    case Parameter::IncludeFile:
        return refuse(Refusal::Unknown, p); // the included file's content would be lost
    case Parameter::ImageOffset:
    case Parameter::Offset:
    case Parameter::Mirror:
    case Parameter::ImageRotation:
    case Parameter::LoadRotation:
        if (!rs274x::numbersAre(p, 0))
            refuse(Refusal::Transform, p);
        return;
    case Parameter::ScaleFactor:
    case Parameter::LoadScale:
        if (!rs274x::numbersAre(p, 1))
            refuse(Refusal::Transform, p);
        return;
    default:
        return;
    }
}

// The format statement as every reader reads it; the rewritten file holds 13 digits at most.
inline void FileTranslator::readFormat(std::string_view p) {
    const auto read = rs274x::readFormat(p);
    if (!read.value)
        refuse(Refusal::BadFormat, p);
    if (read.value->incremental)
        refuse(Refusal::Incremental, p);
    Format f = format_;
    f.trailingOmitted = read.value->zeros == rs274x::Zeros::Trailing;
    for (const auto& [digits, axis] : {std::pair{read.value->x, &f.x}, std::pair{read.value->y, &f.y}}) {
        // Thirteen digits keep every conversion within 64 bits.
        if (digits.integer + digits.decimal > 13 || digits.integer + digits.decimal == 0)
            refuse(Refusal::BadFormat, p);
        *axis = {digits.integer, digits.decimal};
    }
    if (!stated_)
        startStatements(p);
    format_ = f;
}

inline void FileTranslator::readUnits(std::string_view p) {
    const auto units = rs274x::readUnits(p);
    if (!units.value)
        refuse(Refusal::BadUnits, p);
    format_.metric = *units.value == rs274x::Units::Millimetre;
}

inline void FileTranslator::readCommand(std::string_view command) {
    std::string_view rest = command;
    while (!rest.empty() && rest[0] == 'G') {
        size_t length;
        const long g = leadingNumber(rest.substr(1), length);
        if (length == 0)
            refuse(Refusal::Unknown, command);
        if (g == 4)
            return; // a comment (the splitter kept it whole, '%' and all)
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
    case 70: // inch, as %MOIN
    case 71: // millimetres, as %MOMM
        format_.metric = rs274x::unitsOfCode(g) == rs274x::Units::Millimetre;
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
