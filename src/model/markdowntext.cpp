// Markdown laid out as plain text for a text box that shows no formatting: headings underlined, list items
// with bullets, tables in aligned columns, code as it stands, the inline marks taken away.
#include "model/markdowntext.hpp"

#include "util/text.hpp"

#include <algorithm>
#include <vector>

namespace fk::model {

namespace {

// Characters, not bytes: a UTF-8 text's width in a fixed-width font.
size_t widthOf(std::string_view text) {
    return static_cast<size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string_view trimmed(std::string_view text) {
    return util::withoutBlanks(text);
}

// `code`, **strong**, [text](address) and backslash escapes as their plain text.
std::string inlinePlain(std::string_view text) {
    std::string out;
    bool code = false; // inside `code` every character stands for itself, backslashes too
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '`') {
            code = !code;
        } else if (code) {
            out += c;
        } else if (c == '\\' && i + 1 < text.size()) {
            out += text[++i];
        } else if (c == '*' && (i + 1 < text.size() && text[i + 1] == '*')) {
            ++i; // both stars of a strong mark
        } else if (c == '[') {
            const size_t close = text.find("](", i);
            const size_t end = close == std::string_view::npos ? close : text.find(')', close);
            if (end == std::string_view::npos) {
                out += c;
                continue;
            }
            out += inlinePlain(text.substr(i + 1, close - i - 1));
            i = end;
        } else {
            out += c;
        }
    }
    return out;
}

bool isTableRow(std::string_view line) {
    const std::string_view t = trimmed(line);
    return t.size() >= 2 && t.front() == '|' && t.back() == '|';
}

std::vector<std::string> cellsOf(std::string_view row) {
    const std::string_view t = trimmed(row);
    std::vector<std::string> cells;
    size_t from = 1;
    for (size_t i = 1; i < t.size(); ++i) {
        if (t[i] == '|' && t[i - 1] != '\\') {
            cells.push_back(inlinePlain(trimmed(t.substr(from, i - from))));
            from = i + 1;
        }
    }
    return cells;
}

bool isRule(const std::vector<std::string>& cells) {
    return !cells.empty() && std::all_of(cells.begin(), cells.end(), [](const std::string& c) {
        return !c.empty() && c.find_first_not_of("-: ") == std::string::npos;
    });
}

// A table's rows in columns as wide as their widest cell, two blanks apart; the rule under the heading row
// drawn with dashes.
void layTable(const std::vector<std::string_view>& rows, std::vector<std::string>& out) {
    std::vector<std::vector<std::string>> table;
    std::vector<size_t> widths;
    for (auto row : rows) {
        table.push_back(cellsOf(row));
        for (size_t i = 0; i < table.back().size(); ++i) {
            widths.resize(std::max(widths.size(), i + 1));
            if (!isRule(table.back()))
                widths[i] = std::max(widths[i], widthOf(table.back()[i]));
        }
    }
    for (const auto& cells : table) {
        std::string line;
        for (size_t i = 0; i < cells.size(); ++i) {
            const std::string cell = isRule(cells) ? std::string(widths[i], '-') : cells[i];
            line += cell;
            if (i + 1 < cells.size())
                line += std::string(widths[i] - widthOf(cell) + 2, ' ');
        }
        out.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
    }
}

void layHeading(std::string_view line, std::vector<std::string>& out) {
    const size_t level = line.find_first_not_of('#');
    const std::string text = inlinePlain(trimmed(line.substr(level)));
    out.push_back(text);
    out.push_back(std::string(widthOf(text), level == 1 ? '=' : '-'));
}

void layLine(std::string_view line, std::vector<std::string>& out) {
    const std::string_view t = trimmed(line);
    const size_t indent = line.size() - std::string_view(line).substr(line.find_first_not_of(' ')).size();
    if (t.size() >= 2 && (t[0] == '-' || t[0] == '*') && t[1] == ' ')
        out.push_back(std::string(indent, ' ') + "\u2022 " + inlinePlain(t.substr(2)));
    else
        out.push_back(std::string(indent, ' ') + inlinePlain(t));
}

bool startsItem(std::string_view line) {
    const std::string_view t = trimmed(line);
    if (t.size() >= 2 && (t[0] == '-' || t[0] == '*' || t[0] == '+') && t[1] == ' ')
        return true;
    const size_t digits = t.find_first_not_of("0123456789");
    return digits > 0 && digits != std::string_view::npos && digits + 1 < t.size() && t[digits] == '.' &&
           t[digits + 1] == ' ';
}

// The source lines with each paragraph and list item joined into one line (the box wraps it to its width);
// code, tables, headings and blank lines as they stand.
std::vector<std::string> joinedLines(std::string_view markdown) {
    std::vector<std::string> lines;
    bool code = false, open = false; // open: the last line is a paragraph or item that goes on
    for (size_t at = 0; at <= markdown.size();) {
        const size_t end = std::min(markdown.find('\n', at), markdown.size());
        std::string_view line = markdown.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const bool fence = trimmed(line).starts_with("```");
        const bool plain = !code && !fence && !trimmed(line).empty() && !isTableRow(line) &&
                           !line.starts_with("#") && !line.starts_with("    ");
        if (plain && open && !startsItem(line)) {
            lines.back() += " " + std::string(trimmed(line));
            continue;
        }
        code = code != fence;
        open = plain;
        lines.emplace_back(line);
    }
    return lines;
}

} // namespace

std::string markdownAsText(std::string_view markdown) {
    const std::vector<std::string> lines = joinedLines(markdown);
    std::vector<std::string> out;
    bool code = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (trimmed(line).starts_with("```")) {
            code = !code;
        } else if (code) {
            out.push_back("    " + std::string(line));
        } else if (isTableRow(line)) {
            std::vector<std::string_view> rows;
            for (; i < lines.size() && isTableRow(lines[i]); ++i)
                rows.push_back(lines[i]);
            --i;
            layTable(rows, out);
        } else if (line.starts_with("#")) {
            layHeading(line, out);
        } else if (trimmed(line).empty()) {
            out.emplace_back();
        } else {
            layLine(line, out);
        }
    }
    while (!out.empty() && out.back().empty())
        out.pop_back();
    std::string text;
    for (const auto& l : out)
        text += l + std::string(util::crlf);
    return text;
}

} // namespace fk::model
