// The findings as the log, the JSON file and the summary give them.
#include "boardcheck/model.hpp"
#include "util/text.hpp"

#include <array>

namespace fk::boardcheck {

namespace {

constexpr std::array<const char*, kindCount> kindNames{
    "no-pad",           "breakout",  "registration", "ring", "plane-solid", "plane-clearance",
    "pad-without-hole", "tool-size", "stacked",      "web",  "clearance",   "drill-reading"};

// A length as "3.00 mil (0.076 mm)".
std::string milsAndMillimetres(Length l) {
    return decimalText(l.toMilDecimals(2), 2) + " mil (" + decimalText(l.toMillimetreDecimals(3), 3) + " mm)";
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            const char* hex = "0123456789abcdef";
            out += std::string("\\u00") + hex[(c >> 4) & 0xf] + hex[c & 0xf];
            continue;
        }
        out += c;
    }
    return out + "\"";
}

} // namespace

const char* kindName(Kind kind) {
    return kindNames[static_cast<size_t>(kind)];
}

std::string decimalText(std::int64_t value, int decimals) {
    const bool negative = value < 0;
    std::string digits = std::to_string(negative ? -value : value);
    if (digits.size() <= static_cast<size_t>(decimals))
        digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
    if (decimals > 0)
        digits.insert(digits.size() - static_cast<size_t>(decimals), ".");
    return (negative ? "-" : "") + digits;
}

// The shortest exact decimal of whole nano-inches, else nano-inches rounded.
std::string inchesExact(Length length) {
    std::string text = decimalText(length.toInchDecimals(9), 9);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text == "-0" ? "0" : text;
}

// kind, plot, place in inches and millimetres, what was measured against its limit, and what it is.
std::string findingLine(const Finding& f) {
    std::string line = std::string(kindName(f.kind)) + "\t" + f.plot;
    if (f.kind != Kind::DrillReading)
        line += "\tX " + decimalText(f.at.x.toInchDecimals(4), 4) + " Y " +
                decimalText(f.at.y.toInchDecimals(4), 4) + " in (X " +
                decimalText(f.at.x.toMillimetreDecimals(3), 3) + " Y " +
                decimalText(f.at.y.toMillimetreDecimals(3), 3) + " mm)";
    if (f.measured)
        line += "\t" + milsAndMillimetres(*f.measured);
    if (f.limit)
        line += (f.measured ? ", limit " : "\tlimit ") + milsAndMillimetres(*f.limit);
    return line + "\t" + f.message;
}

std::string summaryLine(const std::vector<Finding>& findings) {
    std::array<long, kindCount> counts{};
    for (const auto& f : findings)
        ++counts[static_cast<size_t>(f.kind)];
    std::string line = "Findings: " + std::to_string(findings.size());
    for (size_t k = 0; k < counts.size(); ++k)
        if (counts[k] > 0)
            line += ", " + std::string(kindNames[k]) + " " + std::to_string(counts[k]);
    return line;
}

std::string findingsJson(const std::vector<Finding>& findings) {
    std::string out = "{\"findings\":[";
    for (size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        out += std::string(i ? "," : "") + "\r\n{\"kind\":" + jsonString(kindName(f.kind)) +
               ",\"plot\":" + jsonString(f.plot);
        if (f.kind != Kind::DrillReading)
            out += ",\"x\":" + inchesExact(f.at.x) + ",\"y\":" + inchesExact(f.at.y);
        if (f.measured)
            out += ",\"measured\":" + inchesExact(*f.measured);
        if (f.limit)
            out += ",\"limit\":" + inchesExact(*f.limit);
        out += ",\"message\":" + jsonString(f.message) + "}";
    }
    return out + "\r\n]}\r\n";
}

} // namespace fk::boardcheck
