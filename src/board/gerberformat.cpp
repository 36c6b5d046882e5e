// The format and unit statements of a Gerber file, and the numbers they give: coordinates and sizes as exact
// lengths.
#include "board/gerberreader.hpp"
#include "util/fixed.hpp"
#include "util/text.hpp"

namespace fk::board {

void GerberReader::format(std::string_view p) {
    const auto read = rs274x::readFormat(p);
    const std::string found = "%" + std::string(p) + "%";
    if (!read.value)
        fail(found, std::string(read.expected));
    if (read.value->incremental)
        fail(found, "absolute coordinates (A): incremental ones (I) are not read");
    for (const auto& [axis, digits] : {std::pair{"X", read.value->x}, std::pair{"Y", read.value->y}}) {
        if (digits.integer > 7 || digits.decimal > 7 || digits.decimal == 0)
            fail(found, "two digits for " + std::string(axis) +
                            " (integer digits at most 7, decimal digits 1 to 7)");
    }
    format_ = *read.value;
    stated_ = true;
    image_.stated = true;
}

void GerberReader::units(std::string_view p) {
    const auto read = rs274x::readUnits(p);
    if (!read.value)
        fail("%" + std::string(p) + "%", std::string(read.expected));
    units_ = *read.value == rs274x::Units::Inch ? Length::perInch : Length::perMillimetre;
}

// A decimal in the file's unit as a Length, exact to 0.01 nm.
Length GerberReader::unitLength(std::string_view text, std::string_view what) const {
    const util::Fixed f = util::readFixed(text, 9, 1'000'000'000'000'000);
    if (!f.ok())
        fail("'" + std::string(text) + "' in " + std::string(what), "a decimal number");
    const Length length = Length::fromCount(scaled(f.value, 9));
    if (abs(length) > largestSize)
        fail("'" + std::string(text) + "' in " + std::string(what), "a size of at most 1 m");
    return length;
}

// value * 10^-decimals of the file's unit, in counts, rounded to the nearest count.
std::int64_t GerberReader::scaled(std::int64_t value, int decimals) const {
    if (!units_)
        fail("a size before the unit", "%MOIN% or %MOMM% (or G70/G71) before the first size");
    const __int128 numerator = __int128(value) * *units_;
    __int128 denominator = 1;
    for (int i = 0; i < decimals; ++i)
        denominator *= 10;
    __int128 q = numerator / denominator, r = numerator % denominator;
    if (2 * (r < 0 ? -r : r) >= denominator)
        q += numerator < 0 ? -1 : 1;
    return std::int64_t(q);
}

double GerberReader::unitValue(std::string_view text, std::string_view what) const {
    const util::Fixed f = util::readFixed(text, 9, 1'000'000'000'000'000);
    if (!f.ok())
        fail("'" + std::string(text) + "' in " + std::string(what), "a decimal number");
    return double(f.value) / 1e9;
}

// The coordinate whose digits start at `k` (after its letter), `k` left at the next letter.
Length GerberReader::coordinateAt(std::string_view word, std::size_t& k, rs274x::Digits digits) const {
    if (!stated_)
        fail(word, "the coordinate format (%FS...%) before the first coordinate");
    bool negative = false;
    if (k < word.size() && (word[k] == '+' || word[k] == '-'))
        negative = word[k++] == '-';
    const std::size_t first = k;
    std::int64_t value = 0;
    for (; k < word.size() && util::isDigit(word[k]) && k - first < 18; ++k)
        value = value * 10 + (word[k] - '0');
    const std::size_t count = k - first, most = std::size_t(digits.integer + digits.decimal);
    if (count == 0 || count > most || (k < word.size() && !util::isLetter(word[k])))
        fail(word, "coordinates of at most " + std::to_string(most) + " digits (format " +
                       std::to_string(digits.integer) + "." + std::to_string(digits.decimal) + ")");
    if (format_.zeros ==
        rs274x::Zeros::Trailing) // the digits stand from the left: the omitted ones are zeros
        for (std::size_t n = count; n < most; ++n)
            value *= 10;
    value = negative ? -value : value;
    // Up to 7 inch or 8 millimetre decimals a step is a whole count: one multiplication.
    const Length at = units_ == Length::perInch && digits.decimal <= Length::maxInchDecimals
                          ? Length::fromInchDecimals(value, digits.decimal)
                      : units_ == Length::perMillimetre && digits.decimal <= Length::maxMillimetreDecimals
                          ? Length::fromMillimetreDecimals(value, digits.decimal)
                          : Length::fromCount(scaled(value, digits.decimal));
    if (abs(at) > farthest)
        fail(word, "coordinates within 10 m of the origin");
    return at;
}

} // namespace fk::board
