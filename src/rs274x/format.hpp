// What the format, unit, aperture and repeat parameters of a Gerber file state, read once for every reader of
// the format. Each reader decides what it can hold of it (digits, sizes, repeats).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace fk::rs274x {

// What a parameter holds, or what was expected where it cannot be read.
template <typename T> struct Read {
    std::optional<T> value;
    std::string_view expected; // set when there is no value
    static Read of(T v) { return {std::move(v), {}}; }
    static Read expecting(std::string_view what) { return {std::nullopt, what}; }
};

enum class Zeros : std::uint8_t {
    Leading,  // L: leading zeros omitted (and the default)
    Trailing, // T: trailing zeros omitted: the digits stand at the left of the full width
    None,     // D: none omitted; read as L reads a number of all its digits
};

struct Digits {
    int integer = 0, decimal = 0;
};

struct Format {
    Zeros zeros = Zeros::Leading;
    bool incremental = false; // I; A (or no letter, as old files write) is absolute
    Digits x, y;
};

// %FS: "FS", the zeros (L, T or D), the notation (A or I), then X and Y each with two digits (integer and
// decimal), and in any order the old counts of sequence number, G, D and M digits (N2, G2, D2, M1), as OrCAD
// writes %FSLAN2X34Y34*%.
Read<Format> readFormat(std::string_view statement);

enum class Units : std::uint8_t { Inch, Millimetre };

// %MO: "MOIN" or "MOMM" (the format's letters are upper case).
Read<Units> readUnits(std::string_view statement);
// G70 and G71, the deprecated units codes.
std::optional<Units> unitsOfCode(long g);

// %AD: "ADD", the aperture number (10 or more, at most nine digits), the template (C, R, O, P or a macro's
// name) and after a comma the template's parameters, separated by X, as written.
struct ApertureDefinition {
    int number = 0;
    std::string_view name;
    std::vector<std::string_view> parameters;
};
Read<ApertureDefinition> readApertureDefinition(std::string_view statement);

// %AM: the macro's name after "AM".
std::string_view macroName(std::string_view statement);

// The numbers of a parameter after its two-letter code, each after the letter that names it ("MIA0B1":
// A 0, B 1; "IR90": a number without a letter, its letter '\0'). Nothing where the text holds anything else.
struct Modifier {
    char letter = '\0';
    std::string_view number;
};
std::optional<std::vector<Modifier>> modifiersOf(std::string_view parameter);

// A number of a parameter exactly, in units of 10^-12; nothing when it is no number ("1e0").
inline constexpr int parameterDecimals = 12;
std::optional<std::int64_t> exactNumber(std::string_view number);

// True when every number of a parameter is exactly `value`; a parameter without numbers (%MI*%) takes the
// format's defaults, which change nothing. False where a number cannot be read exactly.
bool numbersAre(std::string_view parameter, int value);

// %SR: repeats along X and Y (whole counts of 1 or more, "1.0" too) and the steps, as written ("" when left
// out). "SR" alone ends a step and repeat.
struct StepRepeat {
    std::int64_t x = 1, y = 1;
    std::string_view i, j;
};
Read<StepRepeat> readStepRepeat(std::string_view statement);

} // namespace fk::rs274x
