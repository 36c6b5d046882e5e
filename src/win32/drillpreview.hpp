// The drill preview window ("NC1 Coord Dump") in plain Win32: NC1 to NC5 side by side at one scale, each with
// its header as the machine reads it, where its holes lie against NC1's, its hole count, extent and tools. It
// draws what the ui model read; it writes nothing and leaves the log alone.
#pragma once

#include "app/settings.hpp"
#include "model/drillpreview.hpp"

#include <windows.h>

namespace fk::win32 {

// What the preview window shows: the fields it read and what it read from them. The main window keeps it for
// the life of the program; the window, owned by the main window, only points at it.
struct DrillPreviewState {
    app::Fields fields;
    model::DrillPreview preview;
};

// A hidden preview window owned by `owner`, showing `state`.
HWND createDrillPreview(HWND owner, DrillPreviewState& state);
// Reads the drill files of these fields (again) into the window and shows it.
void showDrillPreview(HWND preview, const app::Fields& fields);

} // namespace fk::win32
