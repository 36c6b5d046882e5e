// Text, number and name utilities shared by every job. Texts are byte strings: no encoding conversion,
// case changes touch ASCII letters only.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace fk::util {

inline constexpr char cr = '\r';
inline constexpr char lf = '\n';
inline constexpr char tab = '\t';
inline constexpr std::string_view crlf = "\r\n";

// ASCII letters and digits, whatever the locale.
inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool allDigits(std::string_view text) {
    for (char c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}
inline bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline char upperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char lowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string upper(std::string_view text);
// Whether the bytes are UTF-8 text: every sequence well formed and shortest, no surrogate, nothing past
// U+10FFFF.
bool isUtf8(std::string_view text);
std::string lower(std::string_view text);
// The text in upper case without a copy where it has no lower-case letter (the common case); else its copy,
// upper-cased in `scratch`.
std::string_view upperView(std::string_view text, std::string& scratch);

// 1-based substring like the classic Mid$/Left$/Right$: out-of-range parts shorten the result.
std::string mid(std::string_view text, long start, long length = -1);
std::string left(std::string_view text, long length);
std::string right(std::string_view text, long length);
// 1-based position of needle at or after start, 0 when absent.
long instr(std::string_view text, std::string_view needle, long start = 1);

// Field extractor: n = -1 trims text of the delimiter (text is shortened in place at the front), n = 0 or
// n < -1 counts fields, n >= 1 returns field n. A blank or empty delimiter means runs of blanks separate.
std::string getfield(std::string& text, long n, std::string& delimiter);
// Convenience forms for callers that do not need the in-out arguments.
std::string field(std::string_view text, long n, std::string_view delimiter = "");
long fieldcount(std::string_view text, std::string_view delimiter = "");
// Field n (from 1) as a view into the text, the same characters field(text, n, delimiter) returns without a
// copy: with a blank delimiter the fields are the runs of non-blanks, with another the texts between its
// occurrences. Empty when there is no such field.
std::string_view fieldOf(std::string_view text, long n, char delimiter = ' ');

// Hashing for sets and maps of strings that are looked up by views, without building a string per look-up
// (use with std::equal_to<>).
struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
};

// Directory path typed by the user, normalised: upper case, first word, only letters, digits, "_", ":" and
// single backslashes kept, no trailing backslash.
std::string cleanpath(std::string_view text);

// Parts of a file name: 0 name.ext, 1 name, 2 ext, 3 directory, 4 dir\name.ext, 5 dir\name; any other mode
// gives the empty text. text comes back trimmed of blanks. Callers use the named forms below.
std::string splitname(std::string& text, int mode);
std::string splitname(std::string_view text, int mode);
inline std::string fileNameOf(std::string_view path) {
    return splitname(path, 0);
} // BOARD.PCB
inline std::string baseNameOf(std::string_view path) {
    return splitname(path, 1);
} // BOARD
inline std::string directoryOf(std::string_view path) {
    return splitname(path, 3);
} // C:\WORK
// The text without the blanks at its ends (a text of blanks only stays as it is).
std::string trim(std::string_view text);

// True when a line read from a text file holds no control byte but tabs and form feeds (a printed report's
// page break): a line that does comes from a file of another kind.
bool isText(std::string_view line);
// True when the text is empty or blanks only.
bool isBlank(std::string_view text);
// The text without the characters of `blanks` at its ends; empty when it holds nothing else.
std::string_view withoutBlanks(std::string_view text, std::string_view blanks = " ");

// The lines of a message joined by CR LF, as the log and every message show them.
std::string lines(std::initializer_list<std::string_view> parts);
// A path as messages quote it on a line of its own: "<C:\WORK\BOARD.PCB>".
std::string angled(std::string_view path);

// Value of a text: blanks skipped, optional sign, digits with an optional fraction; 0 when there is none.
double valueOf(std::string_view text);

// numerator / denominator (denominator > 0) rounded to nearest, halves to even, in integers throughout.
// Inline, so that a constant denominator (a coordinate's unit) needs no division.
inline std::int64_t roundedQuotient(std::int64_t numerator, std::int64_t denominator) {
    const bool negative = numerator < 0;
    const std::int64_t n = negative ? -numerator : numerator;
    std::int64_t q = n / denominator;
    const std::int64_t twice = 2 * (n % denominator);
    if (twice > denominator || (twice == denominator && q % 2 == 1))
        ++q;
    return negative ? -q : q;
}

// Round to nearest, halves to even; nullopt when the result does not fit.
std::optional<int16_t> toInt16(double value);
std::optional<int32_t> toInt32(double value);
// The same as toInt16(valueOf(text)) and toInt32(valueOf(text)), read straight into an integer.
std::optional<int16_t> int16OfAnyText(std::string_view text);
std::optional<int32_t> int32OfAnyText(std::string_view text);
// Plain digits, the common case (a coordinate, an aperture number), are summed in place, and so are digits
// ended by a byte that ends a number's text ("216*" of "D216*"); anything else, or more digits than surely
// fit, goes the long way.
inline std::optional<int32_t> int32Of(std::string_view text) {
    if (text.empty() || text.size() > 9)
        return int32OfAnyText(text);
    int32_t value = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            // A blank or a point may go on with more digits; a sign or a blank in front is read the long way.
            if (i == 0 || c == ' ' || c == '.')
                return int32OfAnyText(text);
            return value;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}
inline std::optional<int16_t> int16Of(std::string_view text) {
    if (text.size() > 4)
        return int16OfAnyText(text);
    return static_cast<int16_t>(*int32Of(text)); // four characters hold no number beyond 9999
}

// The last `width` decimal digits of a value, with leading zeros, written to out ("00042" for 42 in five).
// Two digits at a time, and inline so that a constant width unrolls: coordinate writers call it for every
// value of a file.
inline void writeDigits(char* out, std::uint32_t value, int width) {
    static constexpr char pairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    int at = width;
    for (; at >= 2; at -= 2, value /= 100)
        std::memcpy(out + at - 2, pairs + 2 * (value % 100), 2);
    if (at == 1)
        out[0] = static_cast<char>('0' + value % 10);
}

// Decimal text of a number with one leading blank when not negative ("12" gives " 12").
std::string signedText(long long value);

// A count of 10^-decimals steps as a decimal, without locale: (12345, 4) gives "1.2345", (-5, 2) "-0.05",
// (0, 3) "0.000". Every length the program shows or writes in decimals goes through it.
std::string decimalText(std::int64_t steps, int decimals);
// The same without trailing zeros, nor a dot left alone: (12500, 4) gives "1.25", (20000, 4) "2", -0 "0".
std::string shortDecimalText(std::int64_t steps, int decimals);

// Shortest decimal text of a size: "65", "62.5", "-3".
std::string numberText(double value);

// Ordinary ASCII-case-insensitive equality.
bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace fk::util
