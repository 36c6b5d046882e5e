// Markdown as plain text laid out for a text box that shows no formatting (the Win32 help window).
#pragma once

#include <string>
#include <string_view>

namespace fk::model {

// Headings underlined with = or -, list items with bullets, tables in aligned columns with a dashed rule,
// fenced code indented as it stands, `code`, **strong**, [text](address) and backslash escapes as their plain
// text; lines end with CR LF.
std::string markdownAsText(std::string_view markdown);

} // namespace fk::model
