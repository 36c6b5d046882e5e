// Texts as bytes: letter case, substrings, fields, path names, message lines, UTF-8.
#include "util/text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace fk::util {

namespace {

// The working text of the blank-delimited modes: leading blanks dropped, runs of blanks reduced to one.
std::string squeezeBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool lastBlank = true;
    for (char c : text) {
        if (c == ' ') {
            if (!lastBlank)
                out.push_back(' ');
            lastBlank = true;
        } else {
            out.push_back(c);
            lastBlank = false;
        }
    }
    return out;
}

std::string trimDelimiter(std::string& text, std::string_view delimiter) {
    if (text.empty())
        return text;
    auto differs = [&](char c) { return delimiter.size() != 1 || c != delimiter[0]; };
    size_t first = 0;
    while (first < text.size() && !differs(text[first]))
        ++first;
    text.erase(0, first);
    if (text.size() < 2)
        return text;
    size_t last = text.size();
    while (last > 0 && !differs(text[last - 1]))
        --last;
    return text.substr(0, last);
}

} // namespace

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = upperChar(c);
    return out;
}

namespace {

// True when the text holds an ASCII lower-case letter; eight bytes at a time. Bytes of 0x80 and above are
// masked off so that no letter test reaches into them.
bool hasLower(std::string_view text) {
    constexpr auto each = [](std::uint8_t b) { return 0x0101010101010101ULL * b; };
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        const std::uint64_t low7 = word & each(0x7f);
        const std::uint64_t atLeastA = low7 + each(0x80 - 'a');   // top bit set where the byte is >= 'a'
        const std::uint64_t aboveZ = low7 + each(0x80 - 'z' - 1); // top bit set where the byte is > 'z'
        if ((atLeastA & ~aboveZ & ~word & each(0x80)) != 0)
            return true;
    }
    for (; i < text.size(); ++i) {
        if (text[i] >= 'a' && text[i] <= 'z')
            return true;
    }
    return false;
}

} // namespace

std::string_view upperView(std::string_view text, std::string& scratch) {
    if (!hasLower(text))
        return text;
    scratch.assign(text);
    for (char& c : scratch)
        c = upperChar(c);
    return scratch;
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = lowerChar(c);
    return out;
}

std::string mid(std::string_view text, long start, long length) {
    if (start < 1)
        start = 1;
    auto from = static_cast<size_t>(start - 1);
    if (from >= text.size() || length == 0)
        return {};
    size_t count = length < 0 ? std::string_view::npos : static_cast<size_t>(length);
    return std::string(text.substr(from, count));
}

std::string left(std::string_view text, long length) {
    if (length <= 0)
        return {};
    return std::string(text.substr(0, static_cast<size_t>(length)));
}

std::string right(std::string_view text, long length) {
    if (length <= 0)
        return {};
    auto n = static_cast<size_t>(length);
    return n >= text.size() ? std::string(text) : std::string(text.substr(text.size() - n));
}

long instr(std::string_view text, std::string_view needle, long start) {
    if (start < 1)
        start = 1;
    auto from = static_cast<size_t>(start - 1);
    if (from > text.size())
        return 0;
    auto pos = text.find(needle, from);
    return pos == std::string_view::npos ? 0 : static_cast<long>(pos) + 1;
}

std::string getfield(std::string& text, long n, std::string& delimiter) {
    if (n == -1)
        return trimDelimiter(text, delimiter);
    std::string work;
    if (delimiter.empty() || delimiter == " ") {
        // Only an empty delimiter changes; appending one blank (not assigning a literal) also keeps GCC 12
        // at -O3 from seeing an overlapping copy in the string's replace path (-Wrestrict).
        if (delimiter.empty())
            delimiter.push_back(' ');
        work = squeezeBlanks(text);
    } else {
        work = text;
    }
    const char d = delimiter[0];
    if (n <= 0) {
        if (work.empty())
            return "0";
        long count = 1;
        for (char c : work)
            count += (c == d) ? 1 : 0;
        if (count == 1)
            return "1";
        if (work.back() == d)
            --count;
        return std::to_string(count);
    }
    size_t begin = 0;
    for (long k = 1; k < n; ++k) {
        auto next = work.find(d, begin);
        if (next == std::string::npos)
            return {};
        begin = next + 1;
    }
    auto end = work.find(d, begin);
    return work.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

std::string field(std::string_view text, long n, std::string_view delimiter) {
    std::string t(text);
    std::string d(delimiter);
    return getfield(t, n, d);
}

long fieldcount(std::string_view text, std::string_view delimiter) {
    const std::string count = field(text, 0, delimiter);
    long n = 0;
    std::from_chars(count.data(), count.data() + count.size(), n);
    return n;
}

std::string_view fieldOf(std::string_view text, long n, char delimiter) {
    if (n < 1)
        return {};
    size_t begin = 0;
    if (delimiter != ' ') {
        for (long k = 1; k < n; ++k) {
            const size_t next = text.find(delimiter, begin);
            if (next == std::string_view::npos)
                return {};
            begin = next + 1;
        }
        return text.substr(begin, text.find(delimiter, begin) - begin);
    }
    for (long k = 1;; ++k) {
        while (begin < text.size() && text[begin] == ' ')
            ++begin;
        size_t end = begin;
        while (end < text.size() && text[end] != ' ')
            ++end;
        if (k == n || end == text.size())
            return k == n ? text.substr(begin, end - begin) : std::string_view();
        begin = end;
    }
}

std::string cleanpath(std::string_view text) {
    std::string word = field(upper(text), 1, "");
    if (word.empty())
        return {};
    std::string out(1, word[0]);
    bool afterName = false;
    for (size_t i = 1; i < word.size(); ++i) {
        char c = word[i];
        bool nameChar = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':';
        if (nameChar) {
            out.push_back(c);
            afterName = true;
        } else if (c == '\\' && afterName) {
            out.push_back(c);
            afterName = false;
        } else {
            afterName = false;
        }
    }
    if (out.size() > 0 && out.back() == '\\')
        out.pop_back();
    return out;
}

std::string splitname(std::string& text, int mode) {
    if (text.empty())
        return {};
    auto first = text.find_first_not_of(' ');
    if (first != std::string::npos) {
        auto last = text.find_last_not_of(' ');
        text = text.substr(first, last - first + 1);
    }
    std::string work;
    for (char c : text) {
        if (c != '/' && c != '*' && c != '?' && c != '<' && c != '>' && c != '|')
            work.push_back(c);
    }
    auto slash = work.rfind('\\');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    // Dots count only in the last component, so a directory named MY.DIR does not split the name.
    auto dot1 = work.find('.', nameStart);
    if (dot1 != std::string::npos) {
        auto dot2 = work.find('.', dot1 + 1);
        if (dot2 != std::string::npos)
            work.erase(dot2);
    }
    std::string directory = slash == std::string::npos ? std::string() : work.substr(0, slash);
    std::string name, separator, extension;
    if (dot1 != std::string::npos) {
        name = work.substr(nameStart, dot1 - nameStart);
        extension = work.substr(dot1 + 1);
        separator.push_back('.');
    } else {
        name = work.substr(nameStart);
    }
    switch (mode) {
    case 0:
        return name + separator + extension;
    case 1:
        return name;
    case 2:
        return extension;
    case 3:
        return directory;
    case 4:
        return directory + "\\" + name + separator + extension;
    case 5:
        return directory + "\\" + name;
    default:
        return {};
    }
}

std::string splitname(std::string_view text, int mode) {
    std::string t(text);
    return splitname(t, mode);
}

std::string trim(std::string_view text) {
    std::string t(text);
    splitname(t, 0);
    return t;
}

bool isText(std::string_view line) {
    return std::none_of(line.begin(), line.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 32 && c != '\t' && c != '\f'; });
}

bool isBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

std::string_view withoutBlanks(std::string_view text, std::string_view blanks) {
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string lines(std::initializer_list<std::string_view> parts) {
    std::string out;
    bool first = true;
    for (auto part : parts) {
        if (!std::exchange(first, false))
            out += crlf;
        out += part;
    }
    return out;
}

std::string angled(std::string_view path) {
    return "<" + std::string(path) + ">";
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (upperChar(a[i]) != upperChar(b[i]))
            return false;
    }
    return true;
}

bool isUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
        const unsigned lead = byte(i);
        const size_t length = lead < 0x80                   ? 1
                              : lead >= 0xC2 && lead < 0xE0 ? 2
                              : lead >= 0xE0 && lead < 0xF0 ? 3
                              : lead >= 0xF0 && lead < 0xF5 ? 4
                                                            : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80)
                return false;
        }
        const unsigned second = length > 1 ? byte(i + 1) : 0x80;
        // Overlong forms, surrogates and code points past U+10FFFF show in the second byte.
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
            (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
            return false;
        i += length;
    }
    return true;
}

} // namespace fk::util
