#include "win32/filewindow.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"
#include "win32/controls.hpp"
#include "win32/ids.hpp"

#include <string>
#include <vector>

namespace fk::win32 {

namespace {

// The label above a control.
constexpr int labelOf(int control) {
    return control + 1000;
}

struct FileWindow {
    app::PickRequest request;
    std::string directory{};
    std::string pattern{};
    std::vector<std::string> dirPaths{}; // the path of each row of the directory list
    bool refreshing = false;
    std::string chosen{}; // the result, read before the controls go
    HWND dialog = nullptr;

    HWND item(int id) const { return ::GetDlgItem(dialog, id); }
};

// A directory as a full path text without a trailing backslash (except a drive's root): "." is where the
// process is, and a relative path text would not tell the user where they are.
std::string fullDirectory(const std::string& pathText) {
    char buffer[MAX_PATH * 4];
    DWORD n = ::GetFullPathNameA(pathText.c_str(), static_cast<DWORD>(sizeof buffer), buffer, nullptr);
    std::string full = (n > 0 && n < sizeof buffer) ? std::string(buffer, n) : pathText;
    while (full.size() > 3 && full.back() == '\\')
        full.pop_back();
    return full;
}

std::string trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The pattern box may hold several patterns separated by ";" ("*.GBR;*.TXT").
bool matchesAny(const std::string& patterns, const std::string& name) {
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        std::string one = trimmed(patterns.substr(start, end == std::string::npos ? end : end - start));
        if (!one.empty() && platform::wildcardMatch(one, name))
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

std::vector<std::string> drives() {
    char buffer[512];
    DWORD n = ::GetLogicalDriveStringsA(static_cast<DWORD>(sizeof buffer), buffer);
    std::vector<std::string> list;
    for (const char* d = buffer; n > 0 && n < sizeof buffer && *d; d += std::char_traits<char>::length(d) + 1)
        list.push_back(util::upper(std::string(d, 2)));
    return list;
}

void refreshFiles(FileWindow& w) {
    // A new list is not a new choice: a typed name stays.
    w.refreshing = true;
    HWND list = w.item(ids::filelist);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const auto& entry : platform::listDirectory(w.directory)) {
        if (!entry.directory && matchesAny(w.pattern, entry.name))
            ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
    }
    w.refreshing = false;
}

void refreshDirectories(FileWindow& w) {
    HWND list = w.item(ids::dirlist);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    w.dirPaths.clear();
    // The chain from the drive's root to the browsed directory ("-"), then its subdirectories ("+"),
    // indented.
    std::vector<std::string> chain;
    for (std::string p = w.directory;; p = model::parentDirectory(p)) {
        chain.insert(chain.begin(), p);
        if (p.size() <= 3)
            break;
    }
    auto add = [&](size_t depth, const char* mark, const std::string& label, const std::string& path) {
        std::string row = std::string(depth * 2, ' ') + mark + label;
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        w.dirPaths.push_back(path);
    };
    for (size_t depth = 0; depth < chain.size(); ++depth) {
        const std::string& p = chain[depth];
        add(depth, "- ", p.size() <= 3 ? p : p.substr(p.rfind('\\') + 1), p);
    }
    ::SendMessageA(list, LB_SETCURSEL, chain.size() - 1, 0);
    for (const auto& entry : platform::listDirectory(w.directory)) {
        if (entry.directory)
            add(chain.size(), "+ ", entry.name, model::joinChoice(w.directory, {entry.name}));
    }
}

void setDirectory(FileWindow& w, const std::string& pathText) {
    w.directory = fullDirectory(pathText);
    HWND drivelist = w.item(ids::drivelist);
    LRESULT drive = ::SendMessageA(drivelist, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(w.directory.substr(0, 2).c_str()));
    if (drive != CB_ERR)
        ::SendMessageA(drivelist, CB_SETCURSEL, static_cast<WPARAM>(drive), 0);
    refreshDirectories(w);
    refreshFiles(w);
    setText(w.item(ids::filename), "");
}

// Puts the selected entries of the file list into the file name box (what highlighting does).
void takeSelectedFiles(FileWindow& w) {
    HWND list = w.item(ids::filelist);
    const auto count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    std::vector<std::string> names;
    for (int row = 0; row < count; ++row) {
        if (::SendMessageA(list, LB_GETSEL, static_cast<WPARAM>(row), 0) <= 0)
            continue;
        std::string name(
            static_cast<size_t>(::SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0)), '\0');
        std::vector<char> buffer(name.size() + 1);
        ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.data()));
        names.emplace_back(buffer.data());
    }
    std::string joined;
    for (size_t i = 0; i < names.size(); ++i)
        joined += (i ? "\r\n" : "") + names[i];
    setText(w.item(ids::filename), joined);
    setText(w.item(ids::filecount), std::to_string(names.size()));
}

// The window's result as pickfile returns it: empty, or the directory joined with the names.
std::string result(const FileWindow& w) {
    std::string names = textOf(w.item(ids::filename));
    if (names.empty())
        return {};
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = names.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(names.substr(start, end - start));
    lines.push_back(names.substr(start));
    return model::joinChoice(w.directory, lines);
}

void chooseDrive(FileWindow& w) {
    std::string d = textOf(w.item(ids::drivelist));
    std::string cwd = platform::currentDirectory();
    setDirectory(w, util::equalsNoCase(cwd.substr(0, 2), d) ? cwd : d + "\\");
}

void enterDirectory(FileWindow& w) {
    auto row = ::SendMessageA(w.item(ids::dirlist), LB_GETCURSEL, 0, 0);
    if (row >= 0 && static_cast<size_t>(row) < w.dirPaths.size())
        setDirectory(w, w.dirPaths[static_cast<size_t>(row)]);
}

void close(FileWindow& w, int button) {
    if (button == IDCANCEL)
        setText(w.item(ids::filename), "");
    w.chosen = result(w);
    ::EndDialog(w.dialog, button);
}

// Enter goes to the dialog as OK; where the keyboard is decides what it means.
void enter(FileWindow& w) {
    const int focus = ::GetDlgCtrlID(::GetFocus());
    if (focus == ids::dirlist) {
        enterDirectory(w);
    } else if (focus == ids::filemask) {
        w.pattern = textOf(w.item(ids::filemask));
        refreshFiles(w);
    } else if (focus == ids::filelist) {
        takeSelectedFiles(w);
        close(w, IDOK);
    } else if (focus != IDCANCEL) {
        close(w, IDOK);
    }
}

void createControls(FileWindow& w) {
    HWND d = w.dialog;
    // Created in the order Tab visits them: files on the left, then directories and drives.
    createControl(d, "STATIC", "Files: ", SS_NOPREFIX, labelOf(ids::filelist));
    createControl(d, "EDIT", w.pattern, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, ids::filemask);
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
    for (const auto& drive : drives())
        ::SendMessageA(drivelist, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.c_str()));
    createControl(d, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    createControl(d, "BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
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
    place(d, IDOK, r.right - 2 * bw - m - px(6), r.bottom - m - bh, bw, bh);
    place(d, IDCANCEL, r.right - bw - m, r.bottom - m - bh, bw, bh);
}

void onCommand(FileWindow& w, int id, int code) {
    if (id == ids::drivelist && code == CBN_SELCHANGE)
        chooseDrive(w);
    else if (id == ids::dirlist && code == LBN_DBLCLK)
        enterDirectory(w);
    else if (id == ids::filemask && code == EN_CHANGE && !w.refreshing)
        w.pattern = textOf(w.item(ids::filemask)), refreshFiles(w);
    else if (id == ids::filelist && (code == LBN_SELCHANGE || code == LBN_DBLCLK) && !w.refreshing)
        takeSelectedFiles(w);
    else if (id == IDOK && code == BN_CLICKED && ::GetFocus() == w.item(IDOK))
        close(w, IDOK);
    else if (id == IDOK)
        enter(w);
    else if (id == IDCANCEL)
        close(w, IDCANCEL);
}

INT_PTR CALLBACK fileProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* w = dialogObject<FileWindow>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        w->dialog = dialog;
        setText(dialog, w->request.title);
        createControls(*w);
        layoutFileWindow(dialog);
        w->refreshing = true; // the pattern box takes the pattern without a second listing
        setText(w->item(ids::filemask), w->pattern);
        w->refreshing = false;
        setDirectory(*w, w->request.startDirectory);
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
    FileWindow w{.request = request, .pattern = request.mask.empty() ? "*.*" : request.mask};
    runModal(owner, fileProcedure, reinterpret_cast<LPARAM>(&w), px(620), px(420));
    return model::PickOutcome{.chosen = w.chosen, .browsedDirectory = w.directory};
}

} // namespace fk::win32
