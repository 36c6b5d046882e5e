#include "drill/coordinates.hpp"

#include "util/text.hpp"

#include <algorithm>
#include <cstring>

namespace fk::drill {

namespace {

constexpr auto npos = std::string_view::npos;

std::string_view upToFirstBlank(std::string_view text) {
    return text.substr(0, text.find(' '));
}

// One coordinate of the preferred form: letter, sign and six digits.
size_t writeCoordinate(char* out, std::string_view text, Fill fill) {
    if (fill == Fill::Right) {
        // The text followed by "000000", cut to 8 characters.
        size_t n = std::min<size_t>(text.size(), 8);
        std::memcpy(out, text.data(), n);
        size_t total = std::min<size_t>(text.size() + 6, 8);
        std::memset(out + n, '0', total - n);
        return total;
    }
    // Letter and sign, then the last six characters of "000000" followed by characters 3 to 10.
    size_t n = std::min<size_t>(text.size(), 2);
    std::memcpy(out, text.data(), n);
    std::string_view digits = text.size() > 2 ? text.substr(2, 8) : std::string_view();
    if (digits.size() >= 6) {
        std::memcpy(out + n, digits.data() + digits.size() - 6, 6);
    } else {
        std::memset(out + n, '0', 6 - digits.size());
        if (!digits.empty()) // an empty view may have no data at all
            std::memcpy(out + n + 6 - digits.size(), digits.data(), digits.size());
    }
    return n + 6;
}

} // namespace

bool isCoordinateLine(std::string_view line) {
    return !line.empty() && (line[0] == 'X' || line[0] == 'Y');
}

size_t writePreferred(char* out, std::string_view line, Fill fill) {
    const size_t xAt = line.find('X');
    const size_t yAt = line.find('Y');
    const bool right = fill == Fill::Right;
    if (line[0] == 'Y' && xAt != npos) {
        // Y given before X: each coordinate is cut at the other's letter, and X is written first.
        std::string_view y = line.substr(0, xAt);
        std::string_view x = line.substr(xAt);
        size_t n = writeCoordinate(out, right ? upToFirstBlank(x) : x, fill);
        return n + writeCoordinate(out + n, right ? upToFirstBlank(y) : y, fill);
    }
    size_t n = 0;
    if (line[0] == 'X') {
        std::string_view x = yAt != npos ? line.substr(0, yAt) : (right ? upToFirstBlank(line) : line);
        n += writeCoordinate(out, x, fill);
    }
    if (yAt == 0) {
        n += writeCoordinate(out + n, right ? upToFirstBlank(line) : line, fill);
    } else if (yAt != npos) {
        // "Y", then the text after the first "Y" up to the next "Y" or the end of the line.
        size_t next = line.find('Y', yAt + 1);
        n += writeCoordinate(out + n, line.substr(yAt, next == npos ? npos : next - yAt), fill);
    }
    return n;
}

std::string toPreferred(const std::string& line, Fill fill) {
    char out[maxPreferredLength];
    return std::string(out, writePreferred(out, line, fill));
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
