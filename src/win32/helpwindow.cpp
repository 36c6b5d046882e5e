#include "win32/helpwindow.hpp"

#include "model/help.hpp"
#include "model/markdowntext.hpp"
#include "win32/controls.hpp"
#include "win32/ids.hpp"

namespace fk::win32 {

namespace {

void layoutHelp(HWND dialog) {
    RECT r;
    ::GetClientRect(dialog, &r);
    const int m = px(8), bw = px(80), bh = px(26);
    place(dialog, ids::helptext, m, m, r.right - 2 * m, r.bottom - 3 * m - bh);
    place(dialog, ids::about, r.right - 2 * bw - m - px(6), r.bottom - m - bh, bw, bh);
    place(dialog, IDCANCEL, r.right - bw - m, r.bottom - m - bh, bw, bh);
}

INT_PTR CALLBACK helpProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        setText(dialog, ids::helpTitle);
        const auto* page = reinterpret_cast<const std::string*>(lParam);
        HWND text = createControl(dialog, "EDIT", "",
                                  WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                                      ES_AUTOVSCROLL, // long lines wrap
                                  ids::helptext);
        // The page is longer than an edit control's default limit of 32 767 characters.
        ::SendMessageA(text, EM_SETLIMITTEXT, 0, 0);
        // Laid out as text: the box shows no Markdown formatting.
        setText(text, model::markdownAsText(*page));
        ::SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(fonts().fixed), FALSE);
        createControl(dialog, "BUTTON", "About", WS_TABSTOP | BS_PUSHBUTTON, ids::about);
        HWND close = createControl(dialog, "BUTTON", "Close", WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL);
        layoutHelp(dialog);
        ::SetFocus(close); // the page opens at its top, nothing selected
        return FALSE;
    }
    case WM_SIZE:
        layoutHelp(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == ids::about) {
            ::MessageBoxA(dialog, model::aboutText().c_str(), "About Flashkit", MB_OK | MB_ICONINFORMATION);
            return TRUE;
        }
        return hideOnClose(dialog, wParam);
    default:
        return FALSE;
    }
}

} // namespace

HWND createHelpWindow(HWND owner, const std::string& programDir) {
    const std::string page = model::helpPage(programDir);
    return createModeless(owner, helpProcedure, reinterpret_cast<LPARAM>(&page), px(720), px(600));
}

} // namespace fk::win32
