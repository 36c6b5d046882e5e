#include "drill/coordinates.hpp"

#include "util/text.hpp"

#include <algorithm>
#include <cstring>

namespace fk::drill {

bool isCoordinateLine(std::string_view line) {
    return !line.empty() && (line[0] == 'X' || line[0] == 'Y');
}

std::int64_t preferredSteps(std::int64_t nanometres) {
    return util::roundedQuotient(nanometres, nanometresPerStep);
}

size_t writePreferredCoordinate(char* out, char letter, char sign, std::int64_t steps) {
    out[0] = letter;
    out[1] = steps < 0 ? '-' : sign == '-' ? '-' : '+';
    // Six digits fit 32 bits; a larger value is refused before it comes here.
    util::writeDigits(out + 2, static_cast<std::uint32_t>(steps < 0 ? -steps : steps), 6);
    return 8;
}

std::string inchText(std::int64_t steps) {
    std::string decimals = std::to_string(steps % 10000);
    return std::to_string(steps / 10000) + "." + std::string(4 - decimals.size(), '0') + decimals;
}

namespace {

// Copies characters first (0-based) to first + count of the line, shortened where the line is.
size_t copyPart(char* out, std::string_view line, size_t first, size_t count) {
    if (first >= line.size())
        return 0;
    size_t n = std::min(count, line.size() - first);
    std::memcpy(out, line.data() + first, n);
    return n;
}

// Trailing "0" characters go, but a value never loses its first character.
size_t withoutTrailingZeros(const char* value, size_t n) {
    while (n > 1 && value[n - 1] == '0')
        --n;
    return n;
}

} // namespace

size_t writeFiveDigits(char* out, std::string_view line) {
    size_t n = copyPart(out, line, 0, 7);
    return n + copyPart(out + n, line, 8, 7);
}

size_t writeWithoutPlus(char* out, std::string_view line) {
    // The text before the first "+", between the first and second, and between the second and a third.
    size_t n = 0;
    int plus = 0;
    for (char c : line) {
        if (c == '+') {
            if (++plus == 3)
                break;
            continue;
        }
        out[n++] = c;
    }
    return n;
}

size_t writeTrailingSuppressed(char* out, std::string_view line) {
    size_t n = copyPart(out, line, 0, 1);
    n += withoutTrailingZeros(out + n, copyPart(out + n, line, 1, 6));
    n += copyPart(out + n, line, 8, 1);
    n += withoutTrailingZeros(out + n, copyPart(out + n, line, 9, 6));
    return n;
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
std::string suppressTrailingZeros(std::string_view line) {
    return derived(line, writeTrailingSuppressed);
}

} // namespace fk::drill
