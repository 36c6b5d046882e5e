// The help page and the version, the same for every front end. The help reads nothing and writes nothing.
#pragma once

#include <string>
#include <string_view>

namespace fk::model {

// The program's version, from the build.
std::string_view version();
// docs/limits.md as it stood when the program was built.
std::string_view limitsPage();

// The help page as Markdown: what each button does with which files, what each field means, where the
// settings and plane tables live, the limits and the version.
std::string helpPage(const std::string& programDir);
// The About text: name, version, one line of purpose.
std::string aboutText();

} // namespace fk::model
