// Small helpers over the Win32 controls: texts, fonts, child controls and dialogs built in memory.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace fk::win32 {

std::string textOf(HWND control);
void setText(HWND control, std::string_view text);
// A UTF-8 text for the wide calls that take one (a message box, a drawn text).
std::wstring wideText(std::string_view text);
// Line breaks as an edit control shows them: every line ends with CR LF, whatever it ended with before.
std::string withCrlf(std::string_view text);

// The fonts every window uses, made once per process.
struct Fonts {
    HFONT ui;    // labels, fields, buttons
    HFONT fixed; // the log and the help page
    HFONT link;  // captions that browse: underlined
    HFONT bold;  // the drill preview's markers
};
const Fonts& fonts();
// Pixels of a length given at 96 dots per inch, for the screen's resolution.
int px(int length);

// A child control with the UI font; returns its window.
HWND createControl(HWND parent, const char* windowClass, std::string_view text, DWORD style, int id,
                   DWORD exStyle = 0);
void place(HWND parent, int id, int x, int y, int width, int height);

// Runs a modal dialog without controls of its own: the procedure creates them at WM_INITDIALOG (lParam is
// `param`). The window is resizable; the result is what EndDialog was given.
INT_PTR runModal(HWND owner, DLGPROC procedure, LPARAM param, int width, int height);
// The same as a modeless window.
HWND createModeless(HWND owner, DLGPROC procedure, LPARAM param, int width, int height);

// A modeless window's Close or OK (Escape, Enter) hides it, to be shown again as it was; TRUE when the
// command was one of them.
INT_PTR hideOnClose(HWND dialog, WPARAM command);

// The object a dialog procedure keeps in the window's user data, stored at WM_INITDIALOG.
template <typename T> T* dialogObject(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return reinterpret_cast<T*>(::GetWindowLongPtrA(dialog, DWLP_USER));
}

} // namespace fk::win32
