#include "win32/filewindow.hpp"

#include "model/filewindow.hpp"
#include "win32/controls.hpp"
#include "win32/ids.hpp"

#include <commctrl.h>

#include <string>
#include <vector>

namespace fk::win32 {

namespace {

// The label above a control.
constexpr int labelOf(int control) {
    return control + 1000;
}

struct FileWindow {
    model::FileWindow model;
    std::string title{};
    std::string chosen{}; // the result, read before the controls go
    unsigned drawnListing = 0;
    bool drawing = false;
    HWND dialog = nullptr;

    HWND item(int id) const { return ::GetDlgItem(dialog, id); }
};

std::string shownNames(const std::string& names) {
    std::string out;
    for (char c : names)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// Rows go in as UTF-16: a name in any script shows as it is.
void addRow(HWND list, const std::string& row) {
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideText(row).c_str()));
}

// The chain from the drive's root to the browsed directory ("-"), then its subdirectories ("+"), indented.
void fillLists(FileWindow& w) {
    HWND dirs = w.item(ids::dirlist);
    ::SendMessageA(dirs, LB_RESETCONTENT, 0, 0);
    for (const auto& row : w.model.folders())
        addRow(dirs, std::string(static_cast<size_t>(row.depth) * 2, ' ') + (row.onChain ? "- " : "+ ") +
                         row.label);
    HWND files = w.item(ids::filelist);
    ::SendMessageA(files, LB_RESETCONTENT, 0, 0);
    for (const auto& name : w.model.files())
        addRow(files, name);
    w.drawnListing = w.model.listing();
}

void setTextIfChanged(HWND control, const std::string& text) {
    if (textOf(control) != text)
        setText(control, text);
}

void draw(FileWindow& w) {
    w.drawing = true; // the changes drawn here are no events of the user's
    const model::FileWindow& m = w.model;
    if (w.drawnListing != m.listing())
        fillLists(w);
    ::SendMessageA(w.item(ids::dirlist), LB_SETCURSEL, m.highlightedFolder().value_or(m.currentFolderRow()),
                   0);
    HWND files = w.item(ids::filelist);
    ::SendMessageA(files, LB_SETSEL, FALSE, -1);
    for (size_t row : m.highlightedFiles())
        ::SendMessageA(files, LB_SETSEL, TRUE, static_cast<LPARAM>(row));
    setTextIfChanged(w.item(ids::filemask), m.pattern());
    setTextIfChanged(w.item(ids::filename), shownNames(m.names()));
    setTextIfChanged(w.item(ids::filecount), m.count());
    setTextIfChanged(w.item(ids::filestatus), m.status());
    HWND drives = w.item(ids::drivelist);
    LRESULT drive = ::SendMessageW(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(wideText(m.drive()).c_str()));
    ::SendMessageA(drives, CB_SETCURSEL, static_cast<WPARAM>(drive), 0);
    w.drawing = false;
}

std::vector<size_t> highlightedRows(HWND list) {
    const auto count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    std::vector<size_t> rows;
    for (int row = 0; row < count; ++row)
        if (::SendMessageA(list, LB_GETSEL, static_cast<WPARAM>(row), 0) > 0)
            rows.push_back(static_cast<size_t>(row));
    return rows;
}

size_t folderRow(const FileWindow& w) {
    LRESULT row = ::SendMessageA(w.item(ids::dirlist), LB_GETCURSEL, 0, 0);
    return row < 0 ? w.model.folders().size() : static_cast<size_t>(row);
}

void chooseDrive(FileWindow& w) {
    // By its row: the list's text may still be the old drive while the choice is reported.
    const LRESULT row = ::SendMessageA(w.item(ids::drivelist), CB_GETCURSEL, 0, 0);
    if (row >= 0 && static_cast<size_t>(row) < w.model.drives().size())
        w.model.chooseDrive(w.model.drives()[static_cast<size_t>(row)]);
}

void close(FileWindow& w, int button) {
    ::EndDialog(w.dialog, button);
}

void confirm(FileWindow& w) {
    if (auto chosen = w.model.confirm()) {
        w.chosen = *chosen;
        close(w, IDOK);
    }
}

// Enter goes to the dialog as OK; where the keyboard is decides what it means. In the pattern box the
// pattern is applied already.
void enter(FileWindow& w) {
    const int focus = ::GetDlgCtrlID(::GetFocus());
    if (focus == ids::dirlist)
        w.model.openFolder(folderRow(w));
    else if (focus == IDCANCEL)
        close(w, IDCANCEL);
    else if (focus != ids::filemask)
        confirm(w);
}

// Ctrl+A highlights every file listed, as in the file windows users know; a list box does not on its own.
// The key comes as the character it makes (1), which only Ctrl+A makes.
LRESULT CALLBACK selectsAll(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message != WM_CHAR || wParam != 1)
        return ::DefSubclassProc(list, message, wParam, lParam);
    ::SendMessageW(list, LB_SETSEL, TRUE, -1);
    ::SendMessageW(::GetParent(list), WM_COMMAND, MAKEWPARAM(ids::filelist, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
    return 0;
}

void createControls(FileWindow& w) {
    HWND d = w.dialog;
    // Created in the order Tab visits them: files on the left, then directories and drives.
    createControl(d, "STATIC", "Files: ", SS_NOPREFIX, labelOf(ids::filelist));
    createControl(d, "EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, ids::filemask);
    createControl(d, "LISTBOX", "",
                  WS_BORDER | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT,
                  ids::filelist);
    createControl(d, "STATIC", "File name:", SS_NOPREFIX, labelOf(ids::filename));
    createControl(d, "EDIT", "",
                  WS_BORDER | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                  ids::filename);
    createControl(d, "EDIT", "", WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, ids::filecount);
    createControl(d, "STATIC", "Directories:", SS_NOPREFIX, labelOf(ids::dirlist));
    createControl(d, "LISTBOX", "", WS_BORDER | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                  ids::dirlist);
    createControl(d, "STATIC", "Drives", SS_NOPREFIX, labelOf(ids::drivelist));
    HWND drivelist =
        createControl(d, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, ids::drivelist);
    for (const auto& drive : w.model.drives())
        ::SendMessageW(drivelist, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideText(drive).c_str()));
    createControl(d, "STATIC", "", SS_NOPREFIX | SS_LEFTNOWORDWRAP, ids::filestatus);
    // Where a board's files are asked for, its folder is a choice too: the one highlighted, or the one shown.
    if (w.model.offersBoardFolder())
        createControl(d, "BUTTON", "Board &folder", WS_TABSTOP | BS_PUSHBUTTON, ids::boardFolder);
    createControl(d, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    createControl(d, "BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
    ::SetWindowSubclass(w.item(ids::filelist), selectsAll, 0, 0);
}

void layoutFileWindow(HWND d) {
    RECT r;
    ::GetClientRect(d, &r);
    const int m = px(8), row = px(22), label = px(18), bw = px(80), bh = px(26), count = px(44);
    const int left = (r.right - 3 * m) * 3 / 5, right = r.right - 3 * m - left, xr = 2 * m + left;
    const int nameHeight = px(64);
    const int bottomOfLists = r.bottom - m - bh - m - nameHeight - label;
    place(d, labelOf(ids::filelist), m, m, left, label);
    place(d, ids::filemask, m, m + label, left, row);
    place(d, ids::filelist, m, m + label + row + px(4), left, bottomOfLists - (m + label + row + px(4)));
    place(d, labelOf(ids::filename), m, bottomOfLists + px(2), left, label);
    place(d, ids::filename, m, bottomOfLists + label, left - count - px(6), nameHeight);
    place(d, ids::filecount, m + left - count, bottomOfLists + label, count, row);
    place(d, labelOf(ids::dirlist), xr, m, right, label);
    place(d, ids::dirlist, xr, m + label, right, bottomOfLists - (m + label));
    place(d, labelOf(ids::drivelist), xr, bottomOfLists + px(2), right, label);
    place(d, ids::drivelist, xr, bottomOfLists + label, right, px(200));
    place(d, ids::filestatus, m, r.bottom - m - bh + px(4), r.right - 3 * bw - 3 * m - px(12), label);
    place(d, ids::boardFolder, r.right - 3 * bw - m - px(12), r.bottom - m - bh, bw, bh);
    place(d, IDOK, r.right - 2 * bw - m - px(6), r.bottom - m - bh, bw, bh);
    place(d, IDCANCEL, r.right - bw - m, r.bottom - m - bh, bw, bh);
}

void onCommand(FileWindow& w, int id, int code) {
    model::FileWindow& m = w.model;
    if (id == IDCANCEL)
        return close(w, IDCANCEL);
    if (w.drawing)
        return;
    if (id == ids::boardFolder && code == BN_CLICKED) {
        if (auto chosen = m.chooseBoardFolder()) {
            w.chosen = *chosen;
            return close(w, IDOK);
        }
    }
    if (id == ids::drivelist && code == CBN_SELCHANGE)
        chooseDrive(w);
    else if (id == ids::dirlist && code == LBN_SELCHANGE)
        m.highlightFolder(folderRow(w));
    else if (id == ids::dirlist && code == LBN_DBLCLK)
        m.openFolder(folderRow(w));
    else if (id == ids::filemask && code == EN_CHANGE)
        m.choosePattern(textOf(w.item(ids::filemask)));
    else if (id == ids::filename && code == EN_CHANGE)
        m.typeNames(textOf(w.item(ids::filename)));
    else if (id == ids::filelist && (code == LBN_SELCHANGE || code == LBN_DBLCLK))
        m.highlightFiles(highlightedRows(w.item(ids::filelist)));
    else if (id == IDOK && code == BN_CLICKED && ::GetFocus() == w.item(IDOK))
        confirm(w);
    else if (id == IDOK)
        enter(w);
    else
        return;
    draw(w);
}

INT_PTR CALLBACK fileProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* w = dialogObject<FileWindow>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        w->dialog = dialog;
        setText(dialog, w->title);
        createControls(*w);
        layoutFileWindow(dialog);
        draw(*w);
        ::SetFocus(w->item(ids::filelist)); // the keyboard starts in the file list
        return FALSE;
    case WM_SIZE:
        layoutFileWindow(dialog);
        return TRUE;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {px(420), px(320)};
        return TRUE;
    case WM_COMMAND:
        if (w)
            onCommand(*w, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

model::PickOutcome showFileWindow(HWND owner, const app::PickRequest& request) {
    FileWindow w{.model = model::FileWindow(request), .title = request.title};
    runModal(owner, fileProcedure, reinterpret_cast<LPARAM>(&w), px(620), px(420));
    return model::PickOutcome{.chosen = w.chosen, .browsedDirectory = w.model.directory()};
}

} // namespace fk::win32
