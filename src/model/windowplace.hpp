// Where the Win32 main window stood when it was closed, so that it opens there again. Kept in the program
// directory as one line: left, top, right and bottom of the window as it is when not maximised (in pixels of
// the desktop's work area), then 1 when it was maximised, else 0.
#pragma once

#include <optional>
#include <string>

namespace fk::model {

inline constexpr const char* windowPlaceFile = "flashkit-win32-window.ini";

struct WindowPlace {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool maximized = false;
};

// The place kept in the program directory; nothing when there is none, or it cannot be read or makes no
// window (a size below 100 pixels or beyond 100 000).
std::optional<WindowPlace> loadWindowPlace(const std::string& programDir);
// Keeps the place; false when the file cannot be written (the window then opens where Windows puts it).
bool saveWindowPlace(const std::string& programDir, const WindowPlace& place);

} // namespace fk::model
