// The main window's controls and where they go: created in layout order, which is the order Tab visits.
#include "model/buttons.hpp"
#include "win32/controls.hpp"
#include "win32/ids.hpp"
#include "win32/mainwindow.hpp"

#include <commctrl.h>
#include <shellapi.h>

namespace fk::win32 {

using model::Field;

namespace {

// The log's tab stop, in characters, as in the Qt window: every job's summaries line up on it. An edit
// control counts tab stops in quarters of its font's average character width.
constexpr int logTabStop = 10;

} // namespace

void MainWindow::addTip(HWND control, const std::string& text) {
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = window_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<char*>(text.c_str()); // copied by the tooltip control
    ::SendMessageA(tooltips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void MainWindow::buildFields() {
    tooltips_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                                  nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(tooltips_, TTM_SETMAXTIPWIDTH, 0, px(420));
    createControl(window_, "BUTTON", "Files and paths", BS_GROUPBOX, ids::filesGroup);
    createControl(window_, "BUTTON", "Apertures", BS_GROUPBOX, ids::listsGroup);
    // Created in layout order, which is the order Tab visits them; a caption's Alt+letter goes to the
    // control created after it.
    for (Field f : model::layoutOrder()) {
        const auto& info = model::specOf(f);
        const int i = indexOfField(f);
        HWND caption =
            createControl(window_, "STATIC", model::markedCaption(info), SS_NOTIFY, ids::caption + i);
        if (model::isList(f)) {
            HWND list = createControl(window_, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                                      ids::field + i);
            for (const char* entry : info.entries)
                ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
            continue;
        }
        HWND edit =
            createControl(window_, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, ids::field + i, WS_EX_CLIENTEDGE);
        editProcedure_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(fieldProcedure)));
        ::DragAcceptFiles(edit, TRUE);
        auto browse = model::browseFor(i);
        if (!browse)
            continue;
        ::SendMessageA(caption, WM_SETFONT, reinterpret_cast<WPARAM>(fonts().link), FALSE);
        addTip(caption, std::string("Click to browse; Alt+") + info.mnemonic + " goes to the field");
        addTip(createControl(window_, "BUTTON", "...", WS_TABSTOP | BS_PUSHBUTTON, ids::browse + i),
               browse->title);
    }
}

void MainWindow::buildButtons() {
    for (const auto& command : model::commands()) {
        HWND button = createControl(window_, "BUTTON", command.caption, WS_TABSTOP | BS_PUSHBUTTON,
                                    ids::command + command.index);
        addTip(button, command.files);
        if (*command.caption == '\0')
            ::ShowWindow(button, SW_HIDE); // part of the button array, without a caption and without a job
        else
            shownButtons_.push_back(ids::command + command.index);
    }
    addTip(createControl(window_, "BUTTON", "Help", WS_TABSTOP | BS_PUSHBUTTON, ids::help),
           "What each button and field does, and the program's limits (F1)");
    shownButtons_.push_back(ids::help);
}

void MainWindow::buildLog() {
    HWND log = createControl(window_, "EDIT", "",
                             WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                 ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                             ids::errorbox, WS_EX_CLIENTEDGE);
    ::SendMessageA(log, WM_SETFONT, reinterpret_cast<WPARAM>(fonts().fixed), FALSE);
    ::SendMessageA(log, EM_SETLIMITTEXT, 0, 0);
    int stop = logTabStop * 4;
    ::SendMessageA(log, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
    // Which files the last job wrote, on a line of its own: the log keeps the job's own text.
    createControl(window_, "STATIC", "", SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS, ids::written);
}

void MainWindow::layout() {
    RECT r;
    ::GetClientRect(window_, &r);
    const int m = px(8), row = px(24), gap = px(4), inset = px(10), title = px(20);
    const int captionWidth = px(112), browseWidth = px(28), listsWidth = px(236);
    const int groupHeight = title + 5 * (row + gap) + px(6);
    const int pathsWidth = r.right - 3 * m - listsWidth;
    place(window_, ids::filesGroup, m, m, pathsWidth, groupHeight);
    const int listsLeft = 2 * m + pathsWidth;
    place(window_, ids::listsGroup, listsLeft, m, listsWidth, groupHeight);
    int pathY = m + title, listY = m + title;
    for (Field f : model::layoutOrder()) {
        const int i = indexOfField(f);
        if (model::isList(f)) {
            place(window_, ids::caption + i, listsLeft + inset, listY + px(4), px(96), row - px(4));
            place(window_, ids::field + i, listsLeft + px(110), listY, listsWidth - px(120), px(240));
            listY += row + gap;
            continue;
        }
        const int fieldWidth = pathsWidth - 2 * inset - captionWidth - browseWidth - gap;
        place(window_, ids::caption + i, m + inset, pathY + px(4), captionWidth, row - px(4));
        place(window_, ids::field + i, m + inset + captionWidth, pathY, fieldWidth, row);
        place(window_, ids::browse + i, m + pathsWidth - inset - browseWidth, pathY, browseWidth, row);
        pathY += row + gap;
    }
    // The buttons in rows of five, then the log in all the room that is left.
    const int buttonY = m + groupHeight + m, buttonHeight = px(26);
    const int buttonWidth = (r.right - 2 * m - 4 * gap) / 5;
    for (size_t n = 0; n < shownButtons_.size(); ++n) {
        const int column = static_cast<int>(n % 5), line = static_cast<int>(n / 5);
        place(window_, shownButtons_[n], m + column * (buttonWidth + gap),
              buttonY + line * (buttonHeight + gap), buttonWidth, buttonHeight);
    }
    const int rows = static_cast<int>((shownButtons_.size() + 4) / 5);
    const int logY = buttonY + rows * (buttonHeight + gap) + px(4);
    const int writtenHeight = px(18);
    place(window_, ids::errorbox, m, logY, r.right - 2 * m, r.bottom - m - logY - writtenHeight - gap);
    place(window_, ids::written, m, r.bottom - m - writtenHeight, r.right - 2 * m, writtenHeight);
}

} // namespace fk::win32
