// A job's small table as a modal window (Fab Export's plot roles): per row the name and a drop-down list of
// the choices, the option as a check box, OK and Cancel. More rows than fit scroll.
#pragma once

#include "app/context.hpp"

#include <windows.h>

namespace fk::win32 {

// Control identifiers, also for the Wine-run test driver: row r's name and list, the option; OK and Cancel
// are IDOK and IDCANCEL. Rows beyond the identifiers' room (25000) are not shown and keep their choice.
namespace tableids {
inline constexpr int name = 10000;
inline constexpr int choice = 40000;
inline constexpr int most = 25000;
inline constexpr int option = 100;
inline constexpr int scroll = 101;
inline constexpr int nameHeader = 102;
inline constexpr int choiceHeader = 103;
} // namespace tableids

// Shows the window modally over `owner`; true after OK, the rows' choices and the option then written back.
bool showTableWindow(HWND owner, app::TableRequest& request);

} // namespace fk::win32
