#include "model/columns.hpp"

#include <algorithm>

namespace fk::model {

std::vector<std::string> inColumns(const std::vector<std::string>& rows) {
    // Characters, not bytes: a UTF-8 continuation byte takes no column.
    const auto width = [](std::string_view text) {
        return size_t(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
    };
    std::vector<std::vector<std::string>> fields;
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        auto& cells = fields.emplace_back();
        for (size_t from = 0;;) {
            const size_t tab = row.find('\t', from);
            cells.push_back(row.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
            if (tab == std::string::npos)
                break;
            from = tab + 1;
        }
        if (widths.size() < cells.size())
            widths.resize(cells.size());
        for (size_t i = 0; i + 1 < cells.size(); ++i)
            widths[i] = std::max(widths[i], width(cells[i]));
    }
    std::vector<std::string> out;
    for (const auto& cells : fields) {
        std::string line;
        for (size_t i = 0; i < cells.size(); ++i)
            line += i + 1 < cells.size() ? cells[i] + std::string(widths[i] - width(cells[i]) + 2, ' ')
                                         : cells[i];
        out.push_back(line);
    }
    return out;
}

std::string logInColumns(std::string_view log) {
    std::vector<std::string> lines;
    for (size_t from = 0;;) {
        const size_t end = log.find("\r\n", from);
        lines.emplace_back(
            log.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
        if (end == std::string_view::npos)
            break;
        from = end + 2;
    }
    const auto tabbed = [](const std::string& line) { return line.find('\t') != std::string::npos; };
    for (auto run = lines.begin(); run != lines.end();) {
        run = std::find_if(run, lines.end(), tabbed);
        const auto end = std::find_if_not(run, lines.end(), tabbed);
        const std::vector<std::string> laid = inColumns({run, end});
        std::copy(laid.begin(), laid.end(), run);
        run = end;
    }
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i)
        out += (i ? "\r\n" : "") + lines[i];
    return out;
}

} // namespace fk::model
