// Tab-separated texts laid out in columns for a fixed-pitch font: the findings list and the message log as
// the windows show them (the texts themselves keep their tabs).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fk::model {

// Rows of tab-separated fields as text in columns: each field padded with blanks to its column's widest
// (counted in characters, not bytes), two blanks between columns; for a list in a fixed-pitch font.
std::vector<std::string> inColumns(const std::vector<std::string>& rows);
// The log as a window shows it: each run of lines that hold tabs laid out in columns, so that no field runs
// into the next where a tab stop falls inside it; other lines, and the CR LF between lines, as they are.
std::string logInColumns(std::string_view log);

} // namespace fk::model
