#include "win32/controls.hpp"

#include "platform/utf16.hpp"

#include <vector>

namespace fk::win32 {

// Texts are UTF-8 inside the program and UTF-16 in the window, so that names in any script show whole.
std::string textOf(HWND control) {
    int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return platform::toUtf8(text);
}

void setText(HWND control, std::string_view text) {
    ::SetWindowTextW(control, platform::toUtf16(text).c_str());
}

std::wstring wideText(std::string_view text) {
    return platform::toUtf16(text);
}

std::string withCrlf(std::string_view text) {
    std::string shown;
    shown.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue; // the LF that follows writes both
        if (text[i] == '\n' || text[i] == '\r')
            shown += "\r\n";
        else
            shown.push_back(text[i]);
    }
    return shown;
}

int px(int length) {
    HDC screen = ::GetDC(nullptr);
    int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return ::MulDiv(length, dpi > 0 ? dpi : 96, 96);
}

namespace {

Fonts makeFonts() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTA ui{};
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        ui = metrics.lfMessageFont;
    else
        ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof ui, &ui);
    LOGFONTA link = ui;
    link.lfUnderline = TRUE;
    LOGFONTA bold = ui;
    bold.lfWeight = FW_BOLD;
    LOGFONTA fixed{};
    fixed.lfHeight = -px(13);
    fixed.lfWeight = FW_NORMAL;
    fixed.lfCharSet = DEFAULT_CHARSET;
    fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynA(fixed.lfFaceName, "Courier New", LF_FACESIZE);
    return Fonts{.ui = ::CreateFontIndirectA(&ui),
                 .fixed = ::CreateFontIndirectA(&fixed),
                 .link = ::CreateFontIndirectA(&link),
                 .bold = ::CreateFontIndirectA(&bold)};
}

// An empty dialog template: caption, frame and size, no controls.
std::vector<WORD> emptyTemplate(int width, int height) {
    const LONG units = ::GetDialogBaseUnits();
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3,
                            0); // then no menu, default class, no title
    auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
    t->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | DS_CENTER;
    t->cdit = 0;
    t->cx = static_cast<short>(::MulDiv(width, 4, LOWORD(units)));
    t->cy = static_cast<short>(::MulDiv(height, 8, HIWORD(units)));
    return words;
}

} // namespace

const Fonts& fonts() {
    static const Fonts made = makeFonts(); // made once, kept for the life of the process
    return made;
}

HWND createControl(HWND parent, const char* windowClass, std::string_view text, DWORD style, int id,
                   DWORD exStyle) {
    // A wide control keeps its text in UTF-16; one made with the ANSI call would keep only the code page.
    HWND control = ::CreateWindowExW(exStyle, wideText(windowClass).c_str(), wideText(text).c_str(),
                                     WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                     ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts().ui), FALSE);
    return control;
}

void place(HWND parent, int id, int x, int y, int width, int height) {
    ::MoveWindow(::GetDlgItem(parent, id), x, y, width, height, TRUE);
}

INT_PTR runModal(HWND owner, DLGPROC procedure, LPARAM param, int width, int height) {
    std::vector<WORD> words = emptyTemplate(width, height);
    return ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr),
                                     reinterpret_cast<DLGTEMPLATE*>(words.data()), owner, procedure, param);
}

HWND createModeless(HWND owner, DLGPROC procedure, LPARAM param, int width, int height) {
    std::vector<WORD> words = emptyTemplate(width, height);
    return ::CreateDialogIndirectParamA(
        ::GetModuleHandleA(nullptr), reinterpret_cast<DLGTEMPLATE*>(words.data()), owner, procedure, param);
}

INT_PTR hideOnClose(HWND dialog, WPARAM command) {
    if (LOWORD(command) != IDCANCEL && LOWORD(command) != IDOK)
        return FALSE;
    ::ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

} // namespace fk::win32
