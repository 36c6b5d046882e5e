#include "win32/alert.hpp"

#include "win32/controls.hpp"
#include "win32/ids.hpp"

namespace fk::win32 {

namespace {

struct Prompt {
    std::string message;
    std::string caption;
};

void layoutAlert(HWND dialog) {
    RECT r;
    ::GetClientRect(dialog, &r);
    const int m = px(10), bw = px(80), bh = px(26);
    place(dialog, ids::message, m, m, r.right - 2 * m, r.bottom - 3 * m - bh);
    place(dialog, IDOK, r.right - 2 * bw - m - px(6), r.bottom - m - bh, bw, bh);
    place(dialog, IDCANCEL, r.right - bw - m, r.bottom - m - bh, bw, bh);
}

INT_PTR CALLBACK alertProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* prompt = dialogObject<Prompt>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG: {
        // A caption of one blank, as the window has until a caller names it.
        setText(dialog, prompt->caption.empty() ? " " : prompt->caption);
        createControl(dialog, "EDIT", withCrlf(prompt->message),
                      WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, ids::message);
        HWND ok = createControl(dialog, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
        createControl(dialog, "BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
        layoutAlert(dialog);
        ::SetFocus(ok);
        return FALSE; // focus set here
    }
    case WM_SIZE:
        layoutAlert(dialog);
        return TRUE;
    case WM_COMMAND:
        // OK answers yes; Cancel, Escape and the close control answer no.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

bool askAlert(HWND owner, const std::string& message, const std::string& caption) {
    Prompt prompt{.message = message, .caption = caption};
    return runModal(owner, alertProcedure, reinterpret_cast<LPARAM>(&prompt), px(440), px(220)) == IDOK;
}

} // namespace fk::win32
