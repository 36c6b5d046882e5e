// The bytes, letters and numbers of Gerber lines as the converter's phases see them, and what the rewritten
// file cannot hold. Shared by the converter's phases (gerber/translate.cpp, tango.cpp, rs274x.cpp) and
// nothing else; statements, format and units come from rs274x/.
#pragma once

#include "util/text.hpp"

#include <array>
#include <cstring>
#include <string>
#include <string_view>

namespace fk::gerber {

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

RefusalText refusalText(Refusal r);

using util::allDigits;
using util::isDigit;
using util::upperChar;

inline constexpr size_t none = std::string_view::npos;

// Sets an operation text. The texts are four bytes long, and a copy over one of the same length needs no
// string operation.
inline void setText(std::string& to, std::string_view text) {
    if (to.size() == 4 && text.size() == 4)
        std::memcpy(to.data(), text.data(), 4); // a copy of a known length is a single move
    else
        to.assign(text);
}

// What the readers look for in a byte, looked up once per byte instead of compared letter by letter.
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

inline constexpr std::array<unsigned char, 256> byteKinds = [] {
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

inline unsigned char kindOf(char c) {
    return byteKinds[static_cast<unsigned char>(c)];
}

inline bool endsWord(char c) {
    return kindOf(c) == wordEndByte;
}

// The bytes of a coordinate after its letter.
inline bool inNumber(char c) {
    return (kindOf(c) & (digitByte | signByte)) != 0;
}

// Where a coordinate line of Tango-PCB's own files first holds each letter, in either case (none where it
// holds none); I or J marks an arc. One pass over the line.
struct Letters {
    size_t x = none, y = none, d = none, arc = none;
};

inline Letters lettersOf(std::string_view line) {
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
inline bool headIs(std::string_view line, std::string_view text) {
    if ((line.size() < 5 ? line.size() : 5) != text.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (upperChar(line[i]) != upperChar(text[i]))
            return false;
    }
    return true;
}

inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

inline std::string_view trimmed(std::string_view text) {
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
inline long leadingNumber(std::string_view text, size_t& length) {
    length = 0;
    long n = 0;
    while (length < text.size() && isDigit(text[length])) {
        if (length < 9)
            n = n * 10 + (text[length] - '0');
        ++length;
    }
    return length > 9 ? -1 : n;
}

} // namespace fk::gerber
