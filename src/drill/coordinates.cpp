#include "drill/coordinates.hpp"

#include "util/text.hpp"

#include <algorithm>
#include <cstring>

namespace fk::drill {

bool isCoordinateLine(std::string_view line) {
    return !line.empty() && (line[0] == 'X' || line[0] == 'Y');
}

size_t writePreferredCoordinate(char* out, char letter, char sign, std::int64_t steps) {
    out[0] = letter;
    out[1] = steps < 0 ? '-' : sign == '-' ? '-' : '+';
    // Six digits fit 32 bits; a larger value is refused before it comes here.
    util::writeDigits(out + 2, static_cast<std::uint32_t>(steps < 0 ? -steps : steps), 6);
    return 8;
}

std::string inchText(std::int64_t steps) {
    return util::decimalText(steps, 4);
}

namespace {

constexpr size_t axisLength = 8; // letter, sign, six digits

// Writes every axis of the line through `write(out, axis)`, which returns the characters it wrote.
template <typename WriteAxis> size_t eachAxis(char* out, std::string_view line, WriteAxis write) {
    size_t n = 0;
    for (size_t at = 0; at + axisLength <= line.size(); at += axisLength)
        n += write(out + n, line.data() + at);
    return n;
}

// The letter, and the sign only where it is "-".
size_t letterAndMinus(char* out, const char* axis) {
    out[0] = axis[0];
    out[1] = '-';
    return axis[1] == '-' ? 2 : 1;
}

} // namespace

size_t writeFiveDigits(char* out, std::string_view line) {
    return eachAxis(out, line, [](char* o, const char* axis) {
        std::memcpy(o, axis, 7);
        return size_t{7};
    });
}

size_t writeWithoutPlus(char* out, std::string_view line) {
    return eachAxis(out, line, [](char* o, const char* axis) {
        const size_t n = letterAndMinus(o, axis);
        std::memcpy(o + n, axis + 2, 6);
        return n + 6;
    });
}

size_t writeFiveDigitsWithoutPlus(char* out, std::string_view line) {
    return eachAxis(out, line, [](char* o, const char* axis) {
        const size_t n = letterAndMinus(o, axis);
        std::memcpy(o + n, axis + 2, 5);
        return n + 5;
    });
}

size_t writeTrailingSuppressed(char* out, std::string_view line) {
    // The letter, the sign and five digits without their trailing zeros; the sign always stays.
    return eachAxis(out, line, [](char* o, const char* axis) {
        std::memcpy(o, axis, 7);
        size_t n = 7;
        while (n > 2 && axis[n - 1] == '0')
            --n;
        return n;
    });
}

namespace {
template <typename Writer> std::string derived(std::string_view line, Writer write) {
    std::string out(line.size(), '\0');
    out.resize(write(out.data(), line));
    return out;
}
} // namespace

std::string cutToFiveDigits(std::string_view line) {
    return derived(line, writeFiveDigits);
}
std::string stripPlusSigns(std::string_view line) {
    return derived(line, writeWithoutPlus);
}
std::string fiveDigitsWithoutPlus(std::string_view line) {
    return derived(line, writeFiveDigitsWithoutPlus);
}
std::string suppressTrailingZeros(std::string_view line) {
    return derived(line, writeTrailingSuppressed);
}

} // namespace fk::drill
