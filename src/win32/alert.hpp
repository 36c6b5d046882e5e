// The OK/Cancel prompt window: the message, OK and Cancel. Escape and the frame's close control answer
// Cancel.
#pragma once

#include <windows.h>

#include <string>

namespace fk::win32 {

// Shows the prompt modally over `owner`; true after OK.
bool askAlert(HWND owner, const std::string& message, const std::string& caption);

} // namespace fk::win32
