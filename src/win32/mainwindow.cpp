#include "win32/mainwindow.hpp"

#include "model/boardpicture.hpp"
#include "model/buttons.hpp"
#include "model/columns.hpp"
#include "model/drillpreview.hpp"
#include "model/windowplace.hpp"
#include "platform/files.hpp"
#include "platform/utf16.hpp"
#include "win32/alert.hpp"
#include "win32/controls.hpp"
#include "win32/drillpreview.hpp"
#include "win32/filewindow.hpp"
#include "win32/helpwindow.hpp"
#include "win32/ids.hpp"
#include "win32/tablewindow.hpp"

#include <shellapi.h>

#include <algorithm>

namespace fk::win32 {

using model::Field;

namespace {

// Captions that browse look like links.
constexpr COLORREF linkColour = RGB(0, 80, 200);

bool browses(int caption) {
    return model::browseFor(caption).has_value();
}

bool isPushButton(HWND control) {
    char name[16] = {};
    ::GetClassNameA(control, name, sizeof name);
    const LONG_PTR type = ::GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK;
    return lstrcmpiA(name, "Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

MainWindow* ownerOf(HWND window) {
    return reinterpret_cast<MainWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

} // namespace

MainWindow::MainWindow(std::string programDir) : session_(std::move(programDir)) {}

bool MainWindow::create(int show) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{.cbSize = sizeof(WNDCLASSEXA),
                            .style = CS_HREDRAW | CS_VREDRAW,
                            .lpfnWndProc = procedure,
                            .cbClsExtra = 0,
                            .cbWndExtra = 0,
                            .hInstance = instance,
                            .hIcon = ::LoadIconA(nullptr, IDI_APPLICATION),
                            .hCursor = ::LoadCursorA(nullptr, IDC_ARROW),
                            .hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                            .lpszMenuName = nullptr,
                            .lpszClassName = ids::mainClass,
                            .hIconSm = nullptr};
    if (!::RegisterClassExA(&windowClass))
        return false;
    window_ = ::CreateWindowExA(0, ids::mainClass, ids::mainTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, px(780), px(560), nullptr, nullptr, instance, this);
    if (!window_)
        return false;
    show = restorePlace(show);
    ::ShowWindow(window_, show);
    ::UpdateWindow(window_);
    ::SetFocus(item(ids::field + indexOfField(Field::fnamebase)));
    return true;
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    MainWindow* self = ownerOf(window);
    return self ? self->handle(message, wParam, lParam) : ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        buildFields();
        buildButtons();
        buildLog();
        connectServices();
        setFields(session_.start());
        showLog();
        layout();
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            layout();
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {px(640), px(460)};
        return 0;
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        if (HBRUSH brush = colour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
            return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_SETCURSOR:
        // A caption that browses shows the hand, as a link does.
        if (int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
            id >= ids::caption && id < ids::caption + 8 && browses(id - ids::caption)) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_ACTIVATE:
        // The keyboard comes back to where it was when the window was left (after a file window, say).
        if (LOWORD(wParam) == WA_INACTIVE)
            lastFocus_ = ::GetFocus();
        else if (lastFocus_ && ::IsChild(window_, lastFocus_))
            ::SetFocus(lastFocus_);
        return 0;
    case WM_NEXTDLGCTL:
        // The dialog manager moves the focus with this message (Alt and a caption's letter: to the caption,
        // then on to its field); a plain window has to do it itself.
        nextControl(wParam, LOWORD(lParam) != 0);
        return 0;
    case WM_ENDSESSION:
        // Windows is shutting down or the user logs off: the window closes without WM_CLOSE, and the
        // settings are saved all the same (a failure can no longer be shown).
        if (wParam)
            session_.close(fields());
        return 0;
    case WM_CLOSE:
        close();
        ::DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        if (help_)
            ::DestroyWindow(help_);
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcA(window_, message, wParam, lParam);
}

void MainWindow::connectServices() {
    session_.fileWindow = [this](const app::PickRequest& request) {
        return showFileWindow(window_, request);
    };
    session_.confirm = [this](const std::string& message, const std::string& caption) {
        return askAlert(window_, message, caption);
    };
    session_.beep = [] { ::MessageBeep(MB_OK); };
    session_.tableWindow = [this](app::TableRequest& request) { return showTableWindow(window_, request); };
    session_.log().onRefresh = [this] { showLog(); };
}

app::Fields MainWindow::fields() const {
    app::Fields f;
    for (const auto& info : model::fieldSpecs()) {
        HWND control = item(ids::field + indexOfField(info.field));
        if (model::isList(info.field))
            model::indexOf(f, info.field) = static_cast<int>(::SendMessageA(control, CB_GETCURSEL, 0, 0));
        else
            model::textOf(f, info.field) = textOf(control);
    }
    return f;
}

void MainWindow::setFields(const app::Fields& values) {
    app::Fields f = values;
    for (const auto& info : model::fieldSpecs()) {
        HWND control = item(ids::field + indexOfField(info.field));
        if (model::isList(info.field)) {
            const int index = model::indexOf(f, info.field);
            const bool inRange = index >= 0 && static_cast<size_t>(index) < info.entries.size();
            ::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(inRange ? index : 0), 0);
        } else {
            setText(control, model::textOf(f, info.field));
        }
    }
}

void MainWindow::showLog() {
    HWND log = item(ids::errorbox);
    setText(log, withCrlf(model::logInColumns(session_.log().text())));
    // The newest line in sight (the job's outcome: at the end, or on top where the job puts it there), shown
    // from its start: the caret at the start of that line, and the view back at the left edge, so that a long
    // line does not scroll every other line's beginning out of sight.
    const auto lines = ::SendMessageW(log, EM_GETLINECOUNT, 0, 0);
    const auto newest = session_.log().newestOnTop() ? 0 : std::max<LRESULT>(lines - 1, 0);
    const auto start = static_cast<WPARAM>(::SendMessageW(log, EM_LINEINDEX, static_cast<WPARAM>(newest), 0));
    ::SendMessageW(log, EM_SETSEL, start, static_cast<LPARAM>(start));
    ::SendMessageW(log, EM_SCROLLCARET, 0, 0);
    ::SendMessageW(log, WM_HSCROLL, SB_LEFT, 0);
    ::UpdateWindow(log); // a job runs on this thread: the log is seen only when painted now
}

void MainWindow::onCommand(int id, int code) {
    if (id >= ids::caption && id < ids::caption + 8 && code == STN_CLICKED)
        clickCaption(id - ids::caption);
    else if (id >= ids::browse && id < ids::browse + 8 && code == BN_CLICKED)
        clickCaption(id - ids::browse);
    else if (id >= ids::command && id < ids::command + 19 && code == BN_CLICKED)
        pressCommand(id - ids::command);
    else if (id == ids::help && code == BN_CLICKED)
        openHelp();
}

void MainWindow::nextControl(WPARAM which, bool isWindow) {
    HWND to =
        isWindow ? reinterpret_cast<HWND>(which) : ::GetNextDlgTabItem(window_, ::GetFocus(), which != 0);
    if (to)
        ::SetFocus(to);
}

void MainWindow::pressCommand(int index) {
    if (index == model::drillPreviewButton) // a window of its own, not a job: the log stays as it is
        return openDrillPreview();
    HCURSOR before = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    if (const auto result = session_.press(index, fields())) {
        setText(item(ids::written), model::writtenSummary(session_.log().written()));
        if (index == model::boardCheckButton && *result != app::JobResult::Stopped)
            openBoardPicture(); // the board the check read, drawn with its findings
    }
    showLog();
    ::SetCursor(before);
}

void MainWindow::clickCaption(int index) {
    app::Fields f = fields();
    if (session_.browse(index, f))
        setFields(f);
}

void MainWindow::openHelp() {
    if (!help_)
        help_ = createHelpWindow(window_, session_.programDir());
    ::ShowWindow(help_, SW_SHOW);
    ::SetForegroundWindow(help_);
}

void MainWindow::openDrillPreview() {
    if (!preview_)
        preview_ = createDrillPreview(window_, previewState_);
    if (preview_)
        showDrillPreview(preview_, fields());
}

void MainWindow::openBoardPicture() {
    if (!picture_)
        picture_ = createBoardPicture(window_, pictureState_);
    if (picture_)
        showBoardPicture(picture_, session_, fields());
}

void MainWindow::leave(Field field) {
    HWND edit = item(ids::field + indexOfField(field));
    setText(edit, model::leaveField(field, textOf(edit)));
}

void MainWindow::drop(Field field, HDROP files) {
    wchar_t name[MAX_PATH * 4] = {};
    if (const UINT length = ::DragQueryFileW(files, 0, name, static_cast<UINT>(std::size(name)));
        length > 0) {
        const std::string path = platform::toUtf8(std::wstring_view(name, length));
        const bool directory = platform::isDirectoryText(path);
        if (app::Fields all = fields(); model::dropInto(field, path, directory, all))
            setFields(all);
    }
    ::DragFinish(files);
}

LRESULT CALLBACK MainWindow::fieldProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = ownerOf(::GetParent(edit));
    const auto field = static_cast<Field>(::GetDlgCtrlID(edit) - ids::field);
    if (message == WM_DROPFILES) {
        self->drop(field, reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    LRESULT result = ::CallWindowProcW(self->editProcedure_, edit, message, wParam, lParam);
    // A field that gets the focus has its text selected, as in a dialog box, so that typing replaces it (Tab,
    // Alt and its caption's letter); a click goes on to put the caret where it clicked.
    if (message == WM_SETFOCUS)
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
    // Focus that moves to another window (another program, a menu) has not left the field.
    auto to = reinterpret_cast<HWND>(wParam);
    if (message == WM_KILLFOCUS && to && ::GetAncestor(to, GA_ROOT) == self->window_)
        self->leave(field);
    return result;
}

// The place kept from the last run, pulled fully onto the screen nearest to it; returns how to show the
// window.
int MainWindow::restorePlace(int show) {
    const auto place = model::loadWindowPlace(session_.programDir(), model::win32WindowPlaceFile);
    if (!place)
        return show;
    // A window's normal place counts from the primary screen's work area; screens' work areas from the
    // desktop.
    RECT primary{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &primary, 0);
    RECT kept{place->left + primary.left, place->top + primary.top, place->right + primary.left,
              place->bottom + primary.top};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromRect(&kept, MONITOR_DEFAULTTONEAREST), &monitor))
        return show;
    const RECT& work = monitor.rcWork;
    const model::WindowPlace fitted = model::fitOnto(*place, {.left = work.left - primary.left,
                                                              .top = work.top - primary.top,
                                                              .right = work.right - primary.left,
                                                              .bottom = work.bottom - primary.top});
    RECT normal{fitted.left, fitted.top, fitted.right, fitted.bottom};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(window_, &placement);
    placement.rcNormalPosition = normal;
    placement.showCmd = SW_HIDE;
    ::SetWindowPlacement(window_, &placement);
    return place->maximized && (show == SW_SHOWNORMAL || show == SW_SHOWDEFAULT) ? SW_SHOWMAXIMIZED : show;
}

void MainWindow::keepPlace() const {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!::GetWindowPlacement(window_, &placement))
        return;
    const RECT& r = placement.rcNormalPosition;
    // Not kept is no loss worth a message: the window opens where Windows puts it.
    model::saveWindowPlace(session_.programDir(), model::win32WindowPlaceFile,
                           {.left = r.left,
                            .top = r.top,
                            .right = r.right,
                            .bottom = r.bottom,
                            .maximized = placement.showCmd == SW_SHOWMAXIMIZED});
}

bool MainWindow::close() {
    keepPlace();
    if (auto problem = session_.close(fields()))
        ::MessageBoxW(window_, wideText(withCrlf(*problem)).c_str(), L"Flashkit", MB_OK | MB_ICONWARNING);
    return true;
}

HBRUSH MainWindow::colour(HDC dc, HWND control) {
    const int id = ::GetDlgCtrlID(control);
    if (id == ids::errorbox) { // read-only, but a text box all the same
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        return ::GetSysColorBrush(COLOR_WINDOW);
    }
    if (id >= ids::caption && id < ids::caption + 8 && browses(id - ids::caption)) {
        ::SetTextColor(dc, linkColour);
        ::SetBkMode(dc, TRANSPARENT);
        return ::GetSysColorBrush(COLOR_BTNFACE);
    }
    return nullptr;
}

bool MainWindow::translate(MSG& message) {
    if (message.message == WM_KEYDOWN) {
        HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
        if (message.wParam == VK_F1 && (root == window_ || (help_ && root == help_))) {
            openHelp();
            return true;
        }
        if (root == window_ && message.wParam == VK_RETURN && isPushButton(message.hwnd)) {
            ::SendMessageA(message.hwnd, BM_CLICK, 0, 0); // Enter presses the focused button, as Space does
            return true;
        }
        if (root == window_ && message.wParam == VK_ESCAPE)
            return true; // a multi-line text box would close the main window on Escape
    }
    if (help_ && ::IsWindowVisible(help_) && ::IsDialogMessageW(help_, &message))
        return true;
    if (preview_ && ::IsWindowVisible(preview_) && ::IsDialogMessageW(preview_, &message))
        return true;
    if (wheelToPicture(picture_, message) ||
        (picture_ && ::IsWindowVisible(picture_) && ::IsDialogMessageW(picture_, &message)))
        return true;
    return ::IsDialogMessageW(window_, &message);
}

} // namespace fk::win32
