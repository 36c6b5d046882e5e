// The board picture's drawing in Win32: the window class that paints a BoardPictureState (its creation
// parameter) and hands wheel, drag, arrow keys and the pointer's place to its view.
#pragma once

#include "win32/boardpicture.hpp"

#include <windows.h>

#include <string>

namespace fk::win32 {

// Registers the class ids::canvasClass once per process.
void registerCanvas();
// Paints the picture again (its view or what it shows changed).
void repaint(HWND canvas);
// The line under the findings: the pointer's place, or the centre of a finding clicked.
void showPointerLine(HWND canvas, const std::string& text);

} // namespace fk::win32
