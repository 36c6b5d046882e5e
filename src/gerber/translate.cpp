// Reading a Gerber file for its rewritten copy: Tango-PCB's own lines by their fixed rules, and RS-274-X
// files of other tools by the format they state, command by command.
#include "gerber/translate.hpp"

#include "gerber/steps.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace fk::gerber {

namespace {

// What the rewritten file cannot hold, with the advice that goes with it.
enum class Refusal {
    Arc,
    Region,
    ClearPolarity,
    StepRepeat,
    Transform,
    Incremental,
    Overflow,
    BadCoordinate,
    BadFormat,
    BadUnits,
    LateFormat,
    DrillFile,
    Unknown
};

struct RefusalText {
    const char* what;
    const char* advice;
};

RefusalText refusalText(Refusal r) {
    switch (r) {
    case Refusal::Arc:
        return {"draws an arc (G02/G03, I/J)", "plot arcs as straight segments"};
    case Refusal::Region:
        return {"fills a region (G36/G37)", "plot without filled regions"};
    case Refusal::ClearPolarity:
        return {"switches to clear polarity (%LPC)", "plot without clear (negative) objects"};
    case Refusal::StepRepeat:
        return {"repeats the image (%SR)", "plot without step and repeat"};
    case Refusal::Transform:
        return {"offsets, scales, mirrors, rotates or inverts the image",
                "plot without image transformations"};
    case Refusal::Incremental:
        return {"states incremental coordinates", "plot with absolute coordinates"};
    case Refusal::Overflow:
        return {"holds a coordinate beyond 99999 mils", "plot nearer the origin"};
    case Refusal::BadCoordinate:
        return {"holds a coordinate that does not fit the file's format", "correct the file"};
    case Refusal::BadFormat:
        return {"states a coordinate format that cannot be read", "correct the file"};
    case Refusal::BadUnits:
        return {"states units that cannot be read", "correct the file"};
    case Refusal::LateFormat:
        return {"states the coordinate format after the first coordinates", "correct the file"};
    case Refusal::DrillFile:
        return {"starts a drill program (M48): the file is a drill file", "pick Gerber plots"};
    case Refusal::Unknown:
        break;
    }
    return {"holds a command that cannot be translated", "correct the file"};
}

char upperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view text) {
    for (char c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

constexpr size_t none = std::string_view::npos;

// Sets an operation text. The texts are four bytes long, and a copy over one of the same length needs no
// string operation.
void setText(std::string& to, std::string_view text) {
    if (to.size() == 4 && text.size() == 4)
        std::memcpy(to.data(), text.data(), 4); // a copy of a known length is a single move
    else
        to.assign(text);
}

// What the readers below look for in a byte, looked up once per byte instead of compared letter by letter.
enum ByteKind : unsigned char {
    otherByte = 0,
    digitByte = 1,    // 0 to 9
    signByte = 2,     // + - . inside a coordinate
    wordEndByte = 4,  // * ends a command, % opens or closes a parameter block
    letterXByte = 8,  // X or x
    letterYByte = 16, // Y or y
    letterDByte = 32, // D or d
    arcByte = 64,     // I, J, i or j: arc centre offsets
};

constexpr std::array<unsigned char, 256> byteKinds = [] {
    std::array<unsigned char, 256> kinds{};
    for (int c = '0'; c <= '9'; ++c)
        kinds[c] = digitByte;
    kinds['+'] = kinds['-'] = kinds['.'] = signByte;
    kinds['*'] = kinds['%'] = wordEndByte;
    kinds['X'] = kinds['x'] = letterXByte;
    kinds['Y'] = kinds['y'] = letterYByte;
    kinds['D'] = kinds['d'] = letterDByte;
    kinds['I'] = kinds['i'] = kinds['J'] = kinds['j'] = arcByte;
    return kinds;
}();

unsigned char kindOf(char c) {
    return byteKinds[static_cast<unsigned char>(c)];
}

bool endsWord(char c) {
    return kindOf(c) == wordEndByte;
}

// The bytes of a coordinate after its letter.
bool inNumber(char c) {
    return (kindOf(c) & (digitByte | signByte)) != 0;
}

// Where a coordinate line of Tango-PCB's own files first holds each letter, in either case (none where it
// holds none); I or J marks an arc. One pass over the line.
struct Letters {
    size_t x = none, y = none, d = none, arc = none;
};

Letters lettersOf(std::string_view line) {
    Letters at;
    const auto note = [](size_t& first, size_t i) {
        if (first == none)
            first = i;
    };
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char kind = kindOf(line[i]);
        if (kind < letterXByte) // the digits between the letters
            continue;
        if (kind == letterXByte)
            note(at.x, i);
        else if (kind == letterYByte)
            note(at.y, i);
        else if (kind == letterDByte)
            note(at.d, i);
        else
            note(at.arc, i);
    }
    return at;
}

// True when the first five characters of the line, in lower case, are the text (which may be shorter).
bool headIs(std::string_view line, std::string_view text) {
    if ((line.size() < 5 ? line.size() : 5) != text.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (upperChar(line[i]) != upperChar(text[i]))
            return false;
    }
    return true;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    if (!text.empty() && !isBlank(text.front()) && !isBlank(text.back()))
        return text; // as nearly every command stands
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The digits that start the text, as a number; `length` gets their count. Counts beyond nine digits are not
// codes any command uses.
long leadingNumber(std::string_view text, size_t& length) {
    length = 0;
    long n = 0;
    while (length < text.size() && isDigit(text[length])) {
        if (length < 9)
            n = n * 10 + (text[length] - '0');
        ++length;
    }
    return length > 9 ? -1 : n;
}

// True when every number in a parameter (after its two-letter code) equals `value`: the parameter changes
// nothing.
bool numbersAllEqual(std::string_view parameter, double value) {
    for (size_t i = 2; i < parameter.size(); ++i) {
        const char c = parameter[i];
        if (isDigit(c) || c == '-' || c == '+' || c == '.') {
            size_t end = i + 1;
            while (end < parameter.size() && (isDigit(parameter[end]) || parameter[end] == '.'))
                ++end;
            if (util::valueOf(parameter.substr(i, end - i)) != value)
                return false;
            i = end - 1;
        }
    }
    return true;
}

// The repeat count of a step-and-repeat parameter along one axis (1 when it names none).
double repeats(std::string_view parameter, char axis) {
    const size_t at = parameter.find(axis);
    return at == std::string_view::npos ? 1 : util::valueOf(parameter.substr(at + 1));
}

// 10 to the power n, 0 <= n <= 13 (the most digits a coordinate format holds).
long long powerOfTen(int n) {
    static constexpr long long powers[] = {
        1,        10,        100,        1000,        10000,        100000,        1000000,
        10000000, 100000000, 1000000000, 10000000000, 100000000000, 1000000000000, 10000000000000};
    return powers[n];
}

// Rounds num/den (den > 0) to the nearest integer, halves to even.
long long roundHalfEven(long long num, long long den) {
    long long q = num / den;
    long long rem = num % den;
    if (rem < 0) {
        rem += den;
        --q;
    }
    if (2 * rem > den || (2 * rem == den && (q % 2 != 0)))
        ++q;
    return q;
}

// The coordinate format of one axis: digits before and after the decimal point.
struct AxisFormat {
    int integer = 2;
    int decimal = 3;
};

struct Format {
    AxisFormat x, y;
    bool trailingOmitted = false;
    bool metric = false;
};

class FileTranslator {
  public:
    FileTranslator(const std::string& path, Coordinates& at, Rounding& rounding, Sink& sink)
        : path_(path), at_(at), rounding_(rounding), sink_(sink) {}

    void run() {
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
    bool stated() const { return stated_; }

  private:
    [[noreturn]] void refuse(Refusal r, std::string_view text) const {
        const RefusalText t = refusalText(r);
        // The command as it stands in the file, cut where a line without breaks would flood the log.
        std::string shown(text.substr(0, 72));
        if (text.size() > 72)
            shown += "...";
        else if (quoting_ == Quoting::Command)
            shown += "*";
        else if (quoting_ == Quoting::Parameter)
            shown = "%" + shown + "*%";
        throw app::JobStop{util::lines({"Line " + std::to_string(commandLine_) + " " + t.what +
                                            ", which the rewritten file cannot hold:",
                                        util::angled(path_), shown,
                                        "No file was written; " + std::string(t.advice) + " and re-try."})};
    }

    int apertureNumber(std::string_view digits) const {
        auto n = util::int16Of(digits);
        if (!n)
            throw app::JobStop{util::lines(
                {"Line " + std::to_string(commandLine_) + " selects an aperture number out of range:",
                 util::angled(path_), "Correct the file and re-try."})};
        return *n;
    }

    // ---- Tango-PCB's own files: one command per line, five-character coordinates in mils.

    void readTangoLine(std::string_view line) {
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
    void checkTangoLine(std::string_view line, const Letters& letters) {
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

    void readTangoCoordinates(std::string_view line, const Letters& letters) {
        // Five characters hold at most 99999, so a 32-bit value always holds the coordinate.
        if (letters.x != none)
            at_.x = *util::int32Of(line.substr(letters.x + 1, 5));
        if (letters.y != none)
            at_.y = *util::int32Of(line.substr(letters.y + 1, 5));
        if (letters.d != none)
            setText(at_.dtext, line.substr(letters.d, 4));
    }

    // ---- RS-274-X: commands ended by "*", parameters between "%" and "%", across line ends.

    void startStatements(std::string_view statement) {
        if (sawData_)
            refuse(Refusal::LateFormat, statement);
        stated_ = true;
        at_ = Coordinates{};
        selected_ = -1;
    }

    void resetStatements() {
        inParameters_ = false;
        firstParameter_ = true;
        macro_ = false;
        word_.clear();
    }

    void readStatements(std::string_view line) {
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

    void addToWord(std::string_view text) {
        if (trimmed(word_).empty() && !trimmed(text).empty())
            commandLine_ = lineNumber_;
        word_ += text;
    }

    void finishStatements() { endWord(word_); }

    void endWord(std::string_view text) {
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

    void readParameter(std::string_view p) {
        if (firstParameter_ && inParameters_)
            macro_ = p.substr(0, 2) == "AM";
        const std::string_view code = p.substr(0, 2);
        if (code == "FS")
            readFormat(p);
        else if (code == "MO")
            readUnits(p);
        else if (code == "LP" && p != "LPD")
            refuse(Refusal::ClearPolarity, p);
        else if (code == "SR" && (repeats(p, 'X') != 1 || repeats(p, 'Y') != 1))
            refuse(Refusal::StepRepeat, p);
        else if (code == "AB" || (code == "IP" && p != "IPPOS") || (code == "LM" && p != "LMN"))
            refuse(Refusal::Transform, p);
        else if ((code == "OF" || code == "MI" || code == "IR" || code == "LR") && !numbersAllEqual(p, 0))
            refuse(Refusal::Transform, p);
        else if ((code == "SF" || code == "LS") && !numbersAllEqual(p, 1))
            refuse(Refusal::Transform, p);
    }

    // FS, zero omission (L, T or D), notation (A or I), then X and Y each with two digit counts.
    void readFormat(std::string_view p) {
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

    void readUnits(std::string_view p) {
        if (p == "MOIN")
            format_.metric = false;
        else if (p == "MOMM")
            format_.metric = true;
        else
            refuse(Refusal::BadUnits, p);
    }

    void readCommand(std::string_view command) {
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
        if (rest.size() >= moveThenEnd.size() &&
            rest.substr(rest.size() - moveThenEnd.size()) == moveThenEnd) {
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

    void readGCode(long g, std::string_view command) {
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

    void readMCode(std::string_view rest, std::string_view command) {
        size_t length;
        const long m = leadingNumber(rest.substr(1), length);
        if (length == 0 || length + 1 != rest.size() || m > 2)
            refuse(Refusal::Unknown, command);
        if (m != 1) { // M00 and M02 end the file; M01 is an optional stop
            originMove_ = false;
            sink_.line("D02M02*", commandLine_);
        }
    }

    void readDCode(std::string_view digits, std::string_view command) {
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
    void writeOriginMove() {
        if (!originMove_)
            return;
        originMove_ = false;
        sink_.operation(Coordinates{.x = 0, .y = 0, .dtext = "D02*"}, commandLine_);
    }

    static std::string_view operationText(long d) {
        static constexpr std::string_view texts[] = {"D01*", "D02*", "D03*"};
        return texts[d - 1];
    }

    // Coordinate data: X, Y (I and J only with arcs), then an optional D01, D02 or D03.
    void readOperation(std::string_view rest, std::string_view command) {
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
    int toMils(std::string_view text, const AxisFormat& axis, std::string_view command) {
        const bool negative = !text.empty() && text[0] == '-';
        if (!text.empty() && (text[0] == '-' || text[0] == '+'))
            text.remove_prefix(1);
        const int places = axis.integer + axis.decimal;
        if (text.empty() || text.size() > static_cast<size_t>(places))
            refuse(Refusal::BadCoordinate, command);
        long long value = 0;
        for (char c : text) {
            if (!isDigit(c))
                refuse(Refusal::BadCoordinate, command);
            value = value * 10 + (c - '0');
        }
        // Trailing zeros omitted: the digits stand at the left of the full width.
        if (format_.trailingOmitted)
            value *= powerOfTen(places - static_cast<int>(text.size()));
        if (negative)
            value = -value;
        if (!format_.metric && axis.decimal <= 3) { // whole mils already: nothing to round
            value *= powerOfTen(3 - axis.decimal);
            if (value > 99999 || value < -99999)
                refuse(Refusal::Overflow, command);
            return static_cast<int>(value);
        }
        long long den = powerOfTen(axis.decimal);
        // One inch is 1000 mils; one millimetre is 1000/25.4 = 5000/127 mils.
        const long long num = value * (format_.metric ? 5000 : 1000);
        if (format_.metric)
            den *= 127;
        const long long mils = roundHalfEven(num, den);
        if (mils > 99999 || mils < -99999)
            refuse(Refusal::Overflow, command);
        const long long off = std::llabs(num - mils * den);
        if (off != 0) {
            rounding_.happened = true;
            const double shift = static_cast<double>(off) / static_cast<double>(den);
            if (shift > rounding_.largestMils)
                rounding_.largestMils = shift;
        }
        return static_cast<int>(mils);
    }

    const std::string& path_;
    Coordinates& at_;
    Rounding& rounding_;
    Sink& sink_;
    long lineNumber_ = 0;
    long commandLine_ = 0; // the line on which the command being read starts
    bool stated_ = false;  // a format statement has been read: RS-274-X from here on
    bool sawData_ = false; // a selection or coordinate came before any format statement
    Format format_;
    bool circular_ = false;
    int selected_ = -1;       // the aperture in use, from the format statement on
    bool originMove_ = false; // a move to the origin not yet written
    bool inParameters_ = false;
    bool firstParameter_ = true;
    bool macro_ = false; // an aperture macro: its further words are primitives, not parameters
    std::string word_;
    std::string heldSelection_; // a G54Dnn line of a file without format statement, not yet needed
    enum class Quoting { Line, Command, Parameter } quoting_ = Quoting::Line;
};

} // namespace

bool translateFile(const std::string& path, Coordinates& at, Rounding& rounding, Sink& sink) {
    FileTranslator translator(path, at, rounding, sink);
    translator.run();
    return translator.stated();
}

} // namespace fk::gerber
