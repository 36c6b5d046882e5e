// The help window: the ui model's help page in a read-only text box, About and Close. Modeless; closing it
// hides it until Help or F1 shows it again.
#pragma once

#include <windows.h>

#include <string>

namespace fk::win32 {

// Creates the window over `owner`, hidden.
HWND createHelpWindow(HWND owner, const std::string& programDir);

} // namespace fk::win32
