// Text, number and name utilities shared by every job. Texts are byte strings: no encoding conversion,
// case changes touch ASCII letters only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fk::util {

inline constexpr char cr = '\r';
inline constexpr char lf = '\n';
inline constexpr char tab = '\t';
inline constexpr std::string_view crlf = "\r\n";

std::string upper(std::string_view text);
std::string lower(std::string_view text);

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

// Directory path typed by the user, normalised: upper case, first word, only letters, digits, "_", ":" and
// single backslashes kept, no trailing backslash.
std::string cleanpath(std::string_view text);

// Parts of a file name: 0 name.ext, 1 name, 2 ext, 3 directory, 4 dir\name.ext, 5 dir\name. text comes back
// trimmed of blanks.
std::string splitname(std::string& text, int mode);
std::string splitname(std::string_view text, int mode);

// Value of a text: blanks skipped, optional sign, digits with an optional fraction; 0 when there is none.
double valueOf(std::string_view text);

// Round to nearest, halves to even; nullopt when the result does not fit.
std::optional<int16_t> toInt16(double value);
std::optional<int32_t> toInt32(double value);

// Decimal text of a number with one leading blank when not negative ("12" gives " 12").
std::string signedText(long long value);

// Shortest decimal text of a size: "65", "62.5", "-3".
std::string numberText(double value);

// Ordinary ASCII-case-insensitive equality.
bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace fk::util
