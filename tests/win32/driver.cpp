// Drives the Win32 program under Wine through real window messages: finds windows by title and controls by
// id, clicks, types and reads them. Steps come as arguments; the first failing step ends the run with 1.
//
// desktop NAME: work in Wine's virtual desktop NAME (first step, when the program runs in one).
// window TITLE: wait for a shown window of that title (not one already answered) and work in it.
// type ID TEXT: click into a text box, select all, type TEXT.
// key NAME: F1, RETURN, ESCAPE or TAB at the keyboard focus. alt LETTER: Alt and the letter there.
// press ID: click a control without waiting for what it starts. wait: until that click has returned.
// leave: stop waiting for that click (a modal window it opened stays open for a later run of the driver).
// ok, cancel, dismiss: answer the window with OK, Cancel or its close control and go back to its opener.
// answer ID: answer it with the button ID (Board folder, say) the same way.
// select ID N: choose entry N of a drop-down list.
// lbclick ID N [ctrl]: click row N of a list (with Ctrl).
// lbopen ID TEXT: double-click the row that ends in TEXT. lbpick ID TEXT: click it once.
// ctrla ID: Ctrl+A in the control (the character it makes, as the keyboard sends it).
// expect ID TEXT, contains ID TEXT, count ID N, focus ID: the control's text is or holds TEXT, the list has
// N rows, the keyboard focus is there; each waits up to 30 s for it. lbcontains ID TEXT: a row of the list
// holds TEXT (waits as well).
// selected ID: the text box's whole text is selected (waits as the others do).
// linestart ID first|last: the first character of the text box's first or last line is in view at its left
// edge: where the view stands, not only what it holds (waits as well).
// shown ID yes|no: the control is in view or not (waits). scroll ID top|bottom: the window's scroll bar ID
// to its end, as a click there does.
// save ID FILE: the control's text into FILE. rect FILE: the window's inside on the screen, "WxH+X+Y".
// move WxH+X+Y: the window's outer size and place on the screen.
// close: close the window and wait until its process has ended.
#include "win32/ids.hpp"

#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr DWORD patience = 30000; // milliseconds a step waits for the program (Wine's first start is slow)

struct Driver {
    HWND window = nullptr;
    std::vector<HWND> opened; // the windows before this one: answering a window goes back to its opener
    std::set<HWND> answered;
    HANDLE pending = nullptr;
};

std::string textOf(HWND control) {
    auto length = ::SendMessageA(control, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    auto got = ::SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
    return text;
}

template <typename Check> bool within(Check check) {
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < patience; ::Sleep(50)) {
        if (check())
            return true;
    }
    return check();
}

struct Search {
    std::string title;
    const std::set<HWND>* answered;
    HWND found = nullptr;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (::IsWindowVisible(window) && !search->answered->count(window) && textOf(window) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND control(const Driver& d, const std::string& id) {
    HWND c = ::GetDlgItem(d.window, std::stoi(id));
    if (!c)
        std::fprintf(stderr, "no control %s\n", id.c_str());
    return c;
}

HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

DWORD WINAPI clickLater(LPVOID param) {
    HWND c = static_cast<HWND>(param);
    char name[16] = {};
    ::GetClassNameA(c, name, sizeof name);
    if (lstrcmpiA(name, "Button") == 0) {
        ::SendMessageA(c, BM_CLICK, 0, 0);
    } else {
        ::SendMessageA(c, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageA(c, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    return 0;
}

bool waitPending(Driver& d) {
    if (!d.pending)
        return true;
    bool done = ::WaitForSingleObject(d.pending, 60000) == WAIT_OBJECT_0;
    ::CloseHandle(d.pending);
    d.pending = nullptr;
    return done;
}

bool postKey(HWND window, const std::string& name) {
    const WPARAM key = name == "F1"       ? VK_F1
                       : name == "TAB"    ? VK_TAB
                       : name == "RETURN" ? VK_RETURN
                       : name == "ESCAPE" ? VK_ESCAPE
                                          : 0;
    HWND focus = focusOf(window);
    if (!key || !focus)
        return false;
    ::PostMessageA(focus, WM_KEYDOWN, key, 1);
    ::PostMessageA(focus, WM_KEYUP, key, 1 | (3u << 30));
    return true;
}

bool clickRow(HWND list, int row, bool ctrl) {
    RECT r{};
    if (::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)) ==
        LB_ERR)
        return false;
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    const WPARAM keys = ctrl ? MK_CONTROL : 0;
    ::SendMessageA(list, WM_LBUTTONDOWN, keys | MK_LBUTTON, at);
    ::SendMessageA(list, WM_LBUTTONUP, keys, at);
    return true;
}

std::string rowText(HWND list, int row) {
    // Wine hands a list row to another process in UTF-16 whatever the message's form, so ask for that.
    std::wstring wide(static_cast<size_t>(::SendMessageW(list, LB_GETTEXTLEN, row, 0)) + 1, L'\0');
    wide.resize(
        static_cast<size_t>(::SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(wide.data()))));
    std::string text(wide.size() * 2, '\0');
    text.resize(static_cast<size_t>(::WideCharToMultiByte(CP_ACP, 0, wide.data(),
                                                          static_cast<int>(wide.size()), text.data(),
                                                          static_cast<int>(text.size()), nullptr, nullptr)));
    return text;
}

bool anyRowHolds(HWND list, const std::string& part) {
    const auto rows = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        if (rowText(list, row).find(part) != std::string::npos)
            return true;
    }
    return false;
}

// The first character of a line of a text box, read from where the box shows it: within its inside,
// at most a few pixels from its left edge.
bool lineStartInView(HWND edit, bool last) {
    const auto lines = ::SendMessageA(edit, EM_GETLINECOUNT, 0, 0);
    const auto at = ::SendMessageA(edit, EM_LINEINDEX, last ? static_cast<WPARAM>(lines - 1) : 0, 0);
    const auto place = static_cast<DWORD>(::SendMessageA(edit, EM_POSFROMCHAR, static_cast<WPARAM>(at), 0));
    const int x = static_cast<short>(LOWORD(place)), y = static_cast<short>(HIWORD(place));
    RECT inside{};
    ::GetClientRect(edit, &inside);
    return place != static_cast<DWORD>(-1) && x >= 0 && x <= 8 && y >= 0 && y < inside.bottom;
}

bool openRow(HWND list, const std::string& ending, bool twice = true) {
    const auto rows = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        const std::string text = rowText(list, row);
        if (text.size() < ending.size() ||
            text.compare(text.size() - ending.size(), ending.size(), ending) != 0)
            continue;
        RECT r{};
        ::SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(list, WM_LBUTTONUP, 0, at);
        if (twice) {
            ::SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            ::SendMessageA(list, WM_LBUTTONUP, 0, at);
        }
        return true;
    }
    return false;
}

bool typeInto(HWND edit, const std::string& text) {
    ::SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    for (unsigned char c : text)
        ::SendMessageA(edit, WM_CHAR, c, 1);
    return true;
}

bool closeProgram(HWND window) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id);
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    bool ended = process && ::WaitForSingleObject(process, 30000) == WAIT_OBJECT_0;
    if (process)
        ::CloseHandle(process);
    return ended;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

// One step; `a` are its arguments. Returns false when it failed.
bool step(Driver& d, const std::string& verb, const std::vector<std::string>& a) {
    if (verb == "window") {
        Search search{.title = a[0], .answered = &d.answered};
        bool found = within([&] {
            ::EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        });
        if (found) {
            d.opened.push_back(d.window);
            d.window = search.found;
        }
        return found;
    }
    if (verb == "wait")
        return waitPending(d);
    if (verb == "leave") {
        if (d.pending)
            ::CloseHandle(d.pending);
        d.pending = nullptr;
        return true;
    }
    if (verb == "desktop") {
        HDESK desktop = nullptr;
        within([&] { return (desktop = ::OpenDesktopA(a[0].c_str(), 0, FALSE, GENERIC_ALL)) != nullptr; });
        return desktop && ::SetThreadDesktop(desktop);
    }
    if (verb == "ok" || verb == "cancel" || verb == "dismiss" || verb == "answer") {
        if (verb == "dismiss")
            ::PostMessageA(d.window, WM_CLOSE, 0, 0);
        else if (verb == "answer")
            ::SendMessageA(control(d, a[0]), BM_CLICK, 0, 0);
        else
            ::SendMessageA(control(d, std::to_string(verb == "ok" ? IDOK : IDCANCEL)), BM_CLICK, 0, 0);
        d.answered.insert(d.window);
        if (!d.opened.empty()) {
            d.window = d.opened.back();
            d.opened.pop_back();
        }
        return true;
    }
    if (verb == "close")
        return waitPending(d) && closeProgram(d.window);
    if (verb == "key")
        return postKey(d.window, a[0]);
    if (verb == "alt") {
        HWND focus = focusOf(d.window);
        // Bit 29: the Alt key is down, as Windows sends Alt+letter.
        return focus && ::PostMessageA(focus, WM_SYSCHAR, static_cast<unsigned char>(a[0][0]), 1 | (1 << 29));
    }
    if (verb == "move") { // WxH+X+Y: the window's outer size and place on the screen
        int w = 0, h = 0, x = 0, y = 0;
        return std::sscanf(a[0].c_str(), "%dx%d+%d+%d", &w, &h, &x, &y) == 4 &&
               ::MoveWindow(d.window, x, y, w, h, TRUE);
    }
    if (verb == "rect") {
        RECT r{};
        ::GetClientRect(d.window, &r);
        POINT corner{0, 0};
        ::ClientToScreen(d.window, &corner);
        return writeFile(a[0], std::to_string(r.right) + "x" + std::to_string(r.bottom) + "+" +
                                   std::to_string(corner.x) + "+" + std::to_string(corner.y));
    }
    HWND c = control(d, a[0]);
    if (!c)
        return false;
    if (verb == "press") {
        if (!waitPending(d))
            return false;
        d.pending = ::CreateThread(nullptr, 0, clickLater, c, 0, nullptr);
        return d.pending != nullptr;
    }
    if (verb == "type")
        return typeInto(c, a[1]);
    if (verb == "select") {
        if (::SendMessageA(c, CB_SETCURSEL, std::stoul(a[1]), 0) == CB_ERR)
            return false;
        // As a user's choice does, the change is told to the list's window.
        ::SendMessageA(::GetParent(c), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(c), CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(c));
        return true;
    }
    if (verb == "lbclick")
        return clickRow(c, std::stoi(a[1]), a.size() > 2 && a[2] == "ctrl");
    if (verb == "focus")
        return within([&] { return focusOf(d.window) == c; });
    if (verb == "selected") {
        return within([&] {
            // From another process only the result carries the selection: start and end in its two halves.
            const auto selection = static_cast<DWORD>(::SendMessageA(c, EM_GETSEL, 0, 0));
            return LOWORD(selection) == 0 && HIWORD(selection) > 0 && HIWORD(selection) == textOf(c).size();
        });
    }
    if (verb == "shown")
        return within([&] { return (::IsWindowVisible(c) != FALSE) == (a[1] == "yes"); });
    if (verb == "scroll") {
        const WPARAM code = a[1] == "top" ? SB_TOP : SB_BOTTOM;
        ::SendMessageA(d.window, WM_VSCROLL, code, reinterpret_cast<LPARAM>(c));
        return true;
    }
    if (verb == "lbopen")
        return openRow(c, a[1]);
    if (verb == "lbpick")
        return openRow(c, a[1], false);
    if (verb == "ctrla")
        return ::PostMessageA(c, WM_CHAR, 1, 1) != FALSE;
    if (verb == "linestart")
        return within([&] { return lineStartInView(c, a[1] == "last"); });
    if (verb == "expect")
        return within([&] { return textOf(c) == a[1]; });
    if (verb == "contains")
        return within([&] { return textOf(c).find(a[1]) != std::string::npos; });
    if (verb == "lbcontains")
        return within([&] { return anyRowHolds(c, a[1]); });
    if (verb == "count")
        return within([&] { return ::SendMessageA(c, LB_GETCOUNT, 0, 0) == std::stoi(a[1]); });
    if (verb == "save")
        return writeFile(a[1], textOf(c));
    return false;
}

size_t argumentsOf(const std::string& verb) {
    if (verb == "wait" || verb == "leave" || verb == "ok" || verb == "cancel" || verb == "dismiss" ||
        verb == "close")
        return 0;
    if (verb == "desktop" || verb == "window" || verb == "key" || verb == "alt" || verb == "focus" ||
        verb == "selected" || verb == "rect" || verb == "move" || verb == "press" || verb == "answer" ||
        verb == "ctrla")
        return 1;
    return 2; // lbclick takes an optional third: "ctrl"
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    Driver d;
    for (size_t i = 0; i < args.size();) {
        const std::string verb = args[i++];
        size_t n = argumentsOf(verb);
        if (verb == "lbclick" && i + 2 < args.size() && args[i + 2] == "ctrl")
            n = 3;
        if (i + n > args.size()) {
            std::fprintf(stderr, "driver: %s needs %zu arguments\n", verb.c_str(), n);
            return 2;
        }
        std::vector<std::string> a(args.begin() + static_cast<long>(i),
                                   args.begin() + static_cast<long>(i + n));
        i += n;
        if (!step(d, verb, a)) {
            std::string shown = a.empty() ? "" : a.back();
            std::string actual = (d.window && !a.empty() && verb != "window")
                                     ? textOf(::GetDlgItem(d.window, std::atoi(a[0].c_str())))
                                     : "";
            std::fprintf(stderr, "driver: step failed: %s %s (window \"%s\"; control text \"%s\")\n",
                         verb.c_str(), shown.c_str(), d.window ? textOf(d.window).c_str() : "",
                         actual.c_str());
            return 1;
        }
    }
    return waitPending(d) ? 0 : 1;
}
