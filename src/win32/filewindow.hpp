// The file selection window on Windows' own list controls: drives, directories, files with a pattern and
// multiple selection, the chosen names and their count, OK and Cancel.
#pragma once

#include "app/context.hpp"
#include "model/session.hpp"

#include <windows.h>

namespace fk::win32 {

// Opens the window modally in the request's start directory (already settled) and reports the choice and
// where the user browsed to. The process's current directory stays as it was.
model::PickOutcome showFileWindow(HWND owner, const app::PickRequest& request);

} // namespace fk::win32
