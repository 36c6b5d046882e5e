// Where a desktop program's main window stood when it was closed, so that it opens there again. Kept in the
// program directory as one line: left, top, right and bottom of the window as it is when not maximised (in
// pixels of the desktop), then 1 when it was maximised, else 0.
#pragma once

#include <optional>
#include <string>

namespace fk::model {

inline constexpr const char* win32WindowPlaceFile = "flashkit-win32-window.ini";
inline constexpr const char* qtWindowPlaceFile = "flashkit-window.ini";

struct WindowPlace {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool maximized = false;
};

// The place kept in the program directory under `file`; nothing when there is none, or it cannot be read or
// makes no window (a size below 100 pixels or beyond 100 000).
std::optional<WindowPlace> loadWindowPlace(const std::string& programDir, const char* file);
// Keeps the place; false when the file cannot be written (the window then opens where the system puts it).
bool saveWindowPlace(const std::string& programDir, const char* file, const WindowPlace& place);

// The part of a screen that windows may take (without task bars), in the same pixels as a place.
struct ScreenArea {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// What a window's frame adds around its inside: the title bar above, borders at the sides and below.
struct FrameMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// A kept place pulled fully onto the screen it is shown on: no larger than the area, and moved in where it
// stands out, so that a place kept on a larger screen never leaves the window partly out of reach. A place of
// the window's inside (`frame` what its frame adds) is fitted with its frame: the title bar counts.
WindowPlace fitOnto(const WindowPlace& place, const ScreenArea& area, const FrameMargins& frame = {});

} // namespace fk::model
