// Reading the format statement, the units, aperture definitions, step and repeat and the numbers of the
// parameters that must change nothing.
#include "rs274x/format.hpp"

#include "util/fixed.hpp"
#include "util/length.hpp"
#include "util/text.hpp"

#include <string>

namespace fk::rs274x {

namespace {

bool isNumberByte(char c) {
    return util::isDigit(c) || c == '+' || c == '-' || c == '.';
}

constexpr std::string_view formatExample = "a format such as %FSLAX26Y26%";

} // namespace

Read<Format> readFormat(std::string_view p) {
    Format format;
    size_t i = 2;
    if (i < p.size() && (p[i] == 'L' || p[i] == 'T' || p[i] == 'D'))
        format.zeros = p[i] == 'T' ? Zeros::Trailing : p[i] == 'D' ? Zeros::None : Zeros::Leading, ++i;
    if (i < p.size() && (p[i] == 'A' || p[i] == 'I'))
        format.incremental = p[i++] == 'I';
    bool seenX = false, seenY = false;
    std::string counts; // the letters of the old digit counts already given
    while (i < p.size()) {
        const char letter = p[i++];
        size_t end = i;
        while (end < p.size() && util::isDigit(p[end]))
            ++end;
        const std::string_view digits = p.substr(i, end - i);
        i = end;
        if (letter == 'X' || letter == 'Y') {
            bool& seen = letter == 'X' ? seenX : seenY;
            if (seen || digits.size() != 2)
                return Read<Format>::expecting(formatExample);
            seen = true;
            (letter == 'X' ? format.x : format.y) = {digits[0] - '0', digits[1] - '0'};
        } else if ((letter == 'N' || letter == 'G' || letter == 'D' || letter == 'M') && !digits.empty() &&
                   counts.find(letter) == std::string::npos) {
            counts.push_back(letter);
        } else {
            return Read<Format>::expecting(formatExample);
        }
    }
    if (!seenX || !seenY)
        return Read<Format>::expecting("the digits of both X and Y");
    return Read<Format>::of(format);
}

Read<Units> readUnits(std::string_view p) {
    if (p == "MOIN")
        return Read<Units>::of(Units::Inch);
    if (p == "MOMM")
        return Read<Units>::of(Units::Millimetre);
    return Read<Units>::expecting("%MOIN% or %MOMM%");
}

std::optional<Units> unitsOfCode(long g) {
    if (g == 70)
        return Units::Inch;
    if (g == 71)
        return Units::Millimetre;
    return std::nullopt;
}

Read<ApertureDefinition> readApertureDefinition(std::string_view p) {
    if (!p.starts_with("ADD"))
        return Read<ApertureDefinition>::expecting("%ADD<number><template>...%");
    size_t i = 3;
    while (i < p.size() && util::isDigit(p[i]))
        ++i;
    const std::string_view digits = p.substr(3, i - 3);
    if (digits.size() > 9)
        return Read<ApertureDefinition>::expecting("an aperture number of at most nine digits");
    ApertureDefinition a;
    for (char c : digits)
        a.number = a.number * 10 + (c - '0');
    if (digits.empty() || a.number < 10)
        return Read<ApertureDefinition>::expecting("an aperture number of 10 or more");
    const size_t comma = p.find(',', i);
    a.name = p.substr(i, comma == std::string_view::npos ? std::string_view::npos : comma - i);
    if (a.name.empty())
        return Read<ApertureDefinition>::expecting(
            "a template (C, R, O, P or a macro's name) after the aperture number");
    if (comma != std::string_view::npos) {
        const std::string_view rest = p.substr(comma + 1);
        size_t from = 0;
        for (size_t k = 0; k <= rest.size(); ++k) {
            if (k == rest.size() || rest[k] == 'X' || rest[k] == 'x') {
                a.parameters.push_back(rest.substr(from, k - from));
                from = k + 1;
            }
        }
    }
    return Read<ApertureDefinition>::of(std::move(a));
}

std::string_view macroName(std::string_view statement) {
    return statement.substr(2);
}

std::optional<std::vector<Modifier>> modifiersOf(std::string_view p) {
    std::vector<Modifier> modifiers;
    for (size_t i = 2; i < p.size();) {
        Modifier m;
        if (util::isLetter(p[i]))
            m.letter = p[i++];
        size_t end = i;
        while (end < p.size() && isNumberByte(p[end]))
            ++end;
        m.number = p.substr(i, end - i);
        if (m.number.empty())
            return std::nullopt;
        modifiers.push_back(m);
        i = end;
    }
    return modifiers;
}

std::optional<std::int64_t> exactNumber(std::string_view number) {
    const util::Fixed f = util::readFixed(number, parameterDecimals);
    return f.ok() ? std::optional(f.value) : std::nullopt;
}

bool numbersAre(std::string_view parameter, int value) {
    const auto modifiers = modifiersOf(parameter);
    if (!modifiers)
        return false;
    for (const Modifier& m : *modifiers) {
        if (exactNumber(m.number) != value * util::powerOfTen(parameterDecimals))
            return false;
    }
    return true;
}

Read<StepRepeat> readStepRepeat(std::string_view p) {
    constexpr std::string_view expected = "%SRX<count>Y<count>I<step>J<step>%";
    const auto modifiers = modifiersOf(p);
    if (!modifiers)
        return Read<StepRepeat>::expecting(expected);
    StepRepeat r;
    for (const Modifier& m : *modifiers) {
        if (m.letter == 'X' || m.letter == 'Y') {
            // Counts are whole, also when written with a point ("1.0").
            const util::Fixed f = util::readFixed(m.number, 3);
            if (!f.ok() || f.value < 1000 || f.value % 1000 != 0)
                return Read<StepRepeat>::expecting("a repeat count of 1 or more");
            (m.letter == 'X' ? r.x : r.y) = f.value / 1000;
        } else if (m.letter == 'I' || m.letter == 'J') {
            (m.letter == 'I' ? r.i : r.j) = m.number;
        } else {
            return Read<StepRepeat>::expecting(expected);
        }
    }
    return Read<StepRepeat>::of(r);
}

} // namespace fk::rs274x
