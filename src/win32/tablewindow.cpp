#include "win32/tablewindow.hpp"

#include "model/tablewindow.hpp"
#include "win32/controls.hpp"

#include <algorithm>
#include <vector>

namespace fk::win32 {

namespace {

struct TableWindow {
    app::TableRequest& request;
    std::vector<model::RowList> lists{};
    int rows = 0;
    int first = 0; // the first row in view
    int shown = 0;
    int nameWidth = 0;
    HWND dialog = nullptr;

    HWND item(int id) const { return ::GetDlgItem(dialog, id); }
};

// Lengths at 96 dots per inch: margin, header, row, check box and button heights.
constexpr int margin = 8, headerHeight = 18, rowHeight = 26, optionHeight = 22, buttonHeight = 26;

// Everything but the rows: header above them, the option and the buttons below.
int heightBesideRows() {
    return px(margin + headerHeight + 4 + margin + optionHeight + margin + buttonHeight + margin);
}

int textWidth(HDC dc, const std::string& text) {
    const std::wstring wide = wideText(text);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size.cx;
}

// The window's first size: every name and the option whole where the screen allows, and up to
// model::mostRowsShown rows.
SIZE firstSize(TableWindow& w) {
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ before = ::SelectObject(dc, fonts().ui);
    int widest = 0;
    for (int r = 0; r < w.rows; ++r)
        widest = std::max(widest, textWidth(dc, w.request.rows[static_cast<size_t>(r)].name));
    const int option = textWidth(dc, w.request.optionText) + px(28); // the box and its gap
    ::SelectObject(dc, before);
    ::ReleaseDC(nullptr, dc);
    w.nameWidth = std::clamp(widest + px(8), px(100), px(320));
    const int scrollBar = ::GetSystemMetrics(SM_CXVSCROLL);
    const int width =
        std::max({px(400), option + px(2 * margin), w.nameWidth + px(3 * margin + 140) + scrollBar});
    RECT work{0, 0, 800, 600};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    // A margin more: the template's dialog units round the height down, which must not cost the last row.
    const int rowsHeight = std::min(w.rows, model::mostRowsShown) * px(rowHeight) + px(margin);
    return SIZE{std::min(width, static_cast<int>(work.right - work.left) - px(40)),
                std::min(heightBesideRows() + rowsHeight, static_cast<int>(work.bottom - work.top) - px(60))};
}

void createControls(TableWindow& w) {
    HWND d = w.dialog;
    createControl(d, "STATIC", "Plot", SS_NOPREFIX, tableids::nameHeader);
    createControl(d, "STATIC", "Role", SS_NOPREFIX, tableids::choiceHeader);
    for (int r = 0; r < w.rows; ++r) {
        const auto row = static_cast<size_t>(r);
        // Clipped, not ellipsized: Wine's static control may keep the shortened text as the window's own.
        createControl(d, "STATIC", w.request.rows[row].name, SS_NOPREFIX | SS_LEFTNOWORDWRAP,
                      tableids::name + r);
        HWND list = createControl(d, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                                  tableids::choice + r);
        for (const auto& entry : w.lists[row].entries)
            ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideText(entry).c_str()));
        ::SendMessageA(list, CB_SETCURSEL, w.lists[row].selected, 0);
    }
    // After the rows in the Tab order: the keyboard scrolls to rows out of view with the arrow keys.
    createControl(d, "SCROLLBAR", "", WS_TABSTOP | SBS_VERT, tableids::scroll);
    HWND option =
        createControl(d, "BUTTON", w.request.optionText, WS_TABSTOP | BS_AUTOCHECKBOX, tableids::option);
    ::SendMessageA(option, BM_SETCHECK, w.request.option ? BST_CHECKED : BST_UNCHECKED, 0);
    createControl(d, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    createControl(d, "BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
}

void showRows(TableWindow& w, int top, int nameWidth, int listX, int listWidth) {
    for (int r = 0; r < w.rows; ++r) {
        const bool inView = r >= w.first && r < w.first + w.shown;
        HWND name = w.item(tableids::name + r), list = w.item(tableids::choice + r);
        if (inView) {
            const int y = top + (r - w.first) * px(rowHeight);
            ::MoveWindow(name, px(margin), y + px(4), nameWidth, px(rowHeight - 6), TRUE);
            // A drop-down list's height is its closed box and its open list together.
            ::MoveWindow(list, listX, y, listWidth, px(rowHeight + 260), TRUE);
        }
        ::ShowWindow(name, inView ? SW_SHOWNA : SW_HIDE);
        ::ShowWindow(list, inView ? SW_SHOWNA : SW_HIDE);
    }
}

void placeScrollBar(TableWindow& w, int x, int top, int width) {
    HWND bar = w.item(tableids::scroll);
    const bool scrolls = w.shown < w.rows;
    ::MoveWindow(bar, x, top, width, w.shown * px(rowHeight), TRUE);
    SCROLLINFO info{.cbSize = sizeof(SCROLLINFO),
                    .fMask = SIF_RANGE | SIF_PAGE | SIF_POS,
                    .nMin = 0,
                    .nMax = std::max(w.rows - 1, 0),
                    .nPage = static_cast<UINT>(w.shown),
                    .nPos = w.first,
                    .nTrackPos = 0};
    ::SetScrollInfo(bar, SB_CTL, &info, TRUE);
    ::ShowWindow(bar, scrolls ? SW_SHOWNA : SW_HIDE);
}

void layoutTable(TableWindow& w) {
    RECT client;
    ::GetClientRect(w.dialog, &client);
    const int width = static_cast<int>(client.right), height = static_cast<int>(client.bottom);
    const int m = px(margin), top = m + px(headerHeight + 4);
    const int belowRows = px(margin + optionHeight + margin + buttonHeight + margin);
    w.shown = model::rowsShown(w.rows, height - belowRows - top, px(rowHeight));
    w.first = model::firstRowInView(w.first, w.rows, w.shown);
    const int scrollBar = w.shown < w.rows ? ::GetSystemMetrics(SM_CXVSCROLL) : 0;
    const int nameWidth = std::max(std::min(w.nameWidth, width - 3 * m - scrollBar - px(100)), px(40));
    const int listX = 2 * m + nameWidth, listWidth = std::max(width - listX - m - scrollBar, px(60));
    place(w.dialog, tableids::nameHeader, m, m, nameWidth, px(headerHeight));
    place(w.dialog, tableids::choiceHeader, listX, m, listWidth, px(headerHeight));
    showRows(w, top, nameWidth, listX, listWidth);
    placeScrollBar(w, width - m - scrollBar, top, scrollBar);
    const int bw = px(80), bh = px(buttonHeight);
    place(w.dialog, tableids::option, m, height - m - bh - m - px(optionHeight), width - 2 * m,
          px(optionHeight));
    place(w.dialog, IDOK, width - 2 * bw - m - px(6), height - m - bh, bw, bh);
    place(w.dialog, IDCANCEL, width - bw - m, height - m - bh, bw, bh);
}

void scrollTo(TableWindow& w, int wanted) {
    const int first = model::firstRowInView(wanted, w.rows, w.shown);
    if (first == w.first)
        return;
    w.first = first;
    layoutTable(w);
    // The dialog erases behind its moved labels after they painted themselves: paint all again, children
    // last.
    ::RedrawWindow(w.dialog, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // A list scrolled out of view keeps no keyboard: it goes to the scroll bar, which goes on scrolling.
    if (HWND focus = ::GetFocus(); focus && ::IsChild(w.dialog, focus) && !::IsWindowVisible(focus))
        ::SetFocus(w.item(tableids::scroll));
}

void scroll(TableWindow& w, int code) {
    SCROLLINFO info{.cbSize = sizeof(SCROLLINFO),
                    .fMask = SIF_TRACKPOS,
                    .nMin = 0,
                    .nMax = 0,
                    .nPage = 0,
                    .nPos = 0,
                    .nTrackPos = 0};
    switch (code) {
    case SB_LINEUP:
        return scrollTo(w, w.first - 1);
    case SB_LINEDOWN:
        return scrollTo(w, w.first + 1);
    case SB_PAGEUP:
        return scrollTo(w, w.first - w.shown);
    case SB_PAGEDOWN:
        return scrollTo(w, w.first + w.shown);
    case SB_TOP:
        return scrollTo(w, 0);
    case SB_BOTTOM:
        return scrollTo(w, w.rows);
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        ::GetScrollInfo(w.item(tableids::scroll), SB_CTL, &info);
        return scrollTo(w, info.nTrackPos);
    default:
        return;
    }
}

// The option is cleared and greyed while a row's choice makes it moot (a plot is the outline).
void followChoices(TableWindow& w) {
    std::vector<std::string> choices;
    for (int r = 0; r < w.rows; ++r) {
        const LRESULT chosen = ::SendMessageA(w.item(tableids::choice + r), CB_GETCURSEL, 0, 0);
        const auto& entries = w.lists[static_cast<size_t>(r)].entries;
        if (chosen >= 0 && static_cast<size_t>(chosen) < entries.size())
            choices.push_back(entries[static_cast<size_t>(chosen)]);
    }
    const bool applies = model::optionApplies(choices, w.request.optionMootBy);
    HWND option = w.item(tableids::option);
    if (!applies)
        ::SendMessageA(option, BM_SETCHECK, BST_UNCHECKED, 0);
    ::EnableWindow(option, applies);
}

// OK writes the lists' choices and the option into the request.
void answer(TableWindow& w) {
    for (int r = 0; r < w.rows; ++r) {
        const auto row = static_cast<size_t>(r);
        const LRESULT chosen = ::SendMessageA(w.item(tableids::choice + r), CB_GETCURSEL, 0, 0);
        if (chosen >= 0 && static_cast<size_t>(chosen) < w.lists[row].entries.size())
            w.request.rows[row].choice = w.lists[row].entries[static_cast<size_t>(chosen)];
    }
    w.request.option = ::SendMessageA(w.item(tableids::option), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

INT_PTR CALLBACK tableProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* w = dialogObject<TableWindow>(dialog, message, lParam);
    if (!w) // messages before WM_INITDIALOG
        return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        w->dialog = dialog;
        setText(dialog, w->request.title.empty() ? " " : w->request.title);
        createControls(*w);
        layoutTable(*w);
        followChoices(*w);
        ::SetFocus(w->item(w->rows > 0 ? tableids::choice : IDOK)); // the keyboard starts at the first row
        return FALSE;
    case WM_SIZE:
        if (w->dialog)
            layoutTable(*w);
        return TRUE;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {px(320), heightBesideRows() + px(60)};
        return TRUE;
    case WM_VSCROLL:
        scroll(*w, LOWORD(wParam));
        return TRUE;
    case WM_MOUSEWHEEL:
        scrollTo(*w, w->first - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) >= tableids::choice && LOWORD(wParam) < tableids::choice + w->rows &&
            HIWORD(wParam) == CBN_SELCHANGE) {
            followChoices(*w);
            return TRUE;
        }
        // OK (and Enter) answers with the table; Cancel, Escape and the close control leave it as it was.
        if (LOWORD(wParam) == IDOK)
            answer(*w);
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

bool showTableWindow(HWND owner, app::TableRequest& request) {
    TableWindow w{.request = request};
    w.rows = static_cast<int>(std::min(request.rows.size(), static_cast<size_t>(tableids::most)));
    for (int r = 0; r < w.rows; ++r)
        w.lists.push_back(model::rowList(request, static_cast<size_t>(r)));
    const SIZE size = firstSize(w);
    return runModal(owner, tableProcedure, reinterpret_cast<LPARAM>(&w), size.cx, size.cy) == IDOK;
}

} // namespace fk::win32
