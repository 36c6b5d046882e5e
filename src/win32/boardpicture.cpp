// The board picture window in Win32: the limits row, the layers, the picture and the findings filtered by
// kind.
#include "win32/boardpicture.hpp"

#include "board/limits.hpp"
#include "model/picturewindow.hpp"
#include "win32/controls.hpp"
#include "win32/ids.hpp"
#include "win32/picturecanvas.hpp"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace fk::win32 {

namespace {

constexpr int limitCount = static_cast<int>(board::limitCount);
static_assert(limitCount <= ids::limitRoom, "the limits' control ids would run into the next limit's");

// ---- The window's controls and where they go.

// A click on the finding already chosen centres it again (the list tells only of a change of choice).
LRESULT CALLBACK clickedAgain(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const LRESULT result = ::DefSubclassProc(list, message, wParam, lParam);
    if (message == WM_LBUTTONUP)
        ::SendMessageW(::GetParent(list), WM_COMMAND, MAKEWPARAM(ids::findingList, LBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list));
    return result;
}

void buildControls(HWND dialog, BoardPictureState& state) {
    setText(dialog, ids::pictureTitle);
    createControl(dialog, "STATIC", model::layersCaption, SS_LEFT, ids::layerLabel);
    HWND layers =
        createControl(dialog, "SysListView32", "",
                      WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                      ids::layerList, WS_EX_CLIENTEDGE);
    // A name cut at the list's edge is shown whole in a tip when the pointer rests on it.
    ListView_SetExtendedListViewStyle(layers, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH, column.cx = px(160);
    ::SendMessageW(layers, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    registerCanvas();
    ::CreateWindowExW(WS_EX_CLIENTEDGE, ids::canvasClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10,
                      10, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::boardCanvas)),
                      ::GetModuleHandleW(nullptr), &state);
    createControl(dialog, "STATIC", model::findingsCaption, SS_LEFT, ids::findingLabel);
    HWND findings = createControl(dialog, "LISTBOX", "",
                                  WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                  ids::findingList, WS_EX_CLIENTEDGE);
    ::SendMessageW(findings, WM_SETFONT, reinterpret_cast<WPARAM>(fonts().fixed), FALSE); // rows in columns
    ::SetWindowSubclass(findings, clickedAgain, 0, 0);
    // Each caption just before its control: its Alt letter goes to the control after it.
    createControl(dialog, "STATIC", model::kindCaption, SS_RIGHT, ids::kindLabel);
    createControl(dialog, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, ids::kindList);
    createControl(dialog, "STATIC", "", SS_LEFT | SS_NOPREFIX, ids::checkedLines);
    createControl(dialog, "STATIC", "", SS_LEFTNOWORDWRAP | SS_NOPREFIX, ids::pointerLine);
    createControl(dialog, "BUTTON", "Close", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
    for (int i = 0; i < limitCount; ++i) {
        createControl(dialog, "STATIC", board::limitRows[i].caption, SS_RIGHT, ids::limitLabel + i);
        createControl(dialog, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, ids::limitField + i, WS_EX_CLIENTEDGE);
    }
    createControl(dialog, "STATIC", "mil", SS_LEFT, ids::limitUnit);
    createControl(dialog, "STATIC", model::profileCaption, SS_RIGHT, ids::profileLabel);
    createControl(dialog, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, ids::profileList);
    createControl(dialog, "BUTTON", model::checkAgainCaption, WS_TABSTOP | BS_PUSHBUTTON, ids::checkAgain);
}

// A caption and a field per limit of the table, in mils (or "0.13mm"), empty for the default: on one line
// where the window is wide enough, else on as few as hold them; the unit and the profiles after the first,
// "Check again" under the profiles. Returns the row's height.
int layoutLimits(HWND dialog, int m, int bh, int width) {
    const int label = px(78), field = px(56), gap = px(6), each = label + gap + field + gap;
    const int unit = px(28), profileLabel = px(52), profiles = px(130), again = px(100), pitch = bh + px(4);
    const int end = unit + gap + profileLabel + gap + profiles + gap;
    const int perLine = limitCount * each + end + again <= width
                            ? limitCount
                            : model::fieldsPerLine(limitCount, each, width - end);
    const int lines = (limitCount + perLine - 1) / perLine;
    for (int i = 0; i < limitCount; ++i) {
        const int x = m + (i % perLine) * each, y = m + (i / perLine) * pitch;
        place(dialog, ids::limitLabel + i, x, y + px(4), label, px(18));
        place(dialog, ids::limitField + i, x + label + gap, y, field, bh - px(4));
    }
    const int x = m + perLine * each, profilesX = x + unit + gap + profileLabel + gap;
    place(dialog, ids::limitUnit, x, m + px(4), unit, px(18));
    place(dialog, ids::profileLabel, x + unit + gap, m + px(4), profileLabel, px(18));
    place(dialog, ids::profileList, profilesX, m - px(1), profiles, px(200));
    if (lines == 1)
        place(dialog, ids::checkAgain, profilesX + profiles + gap, m - px(2), again, bh);
    else
        place(dialog, ids::checkAgain, profilesX, m + pitch - px(2), again, bh);
    return std::max(lines, 1) * pitch;
}

// The list of layers as wide as its longest name with its role (KiCad's names run long), so that each shows
// whole, as long as the picture keeps most of the width.
int sideWidth(HWND dialog, int width) {
    HWND layers = ::GetDlgItem(dialog, ids::layerList);
    int widest = 0;
    const int rows = ListView_GetItemCount(layers);
    for (int row = 0; row < rows; ++row) {
        wchar_t text[512] = {};
        LVITEMW item{};
        item.iSubItem = 0, item.pszText = text, item.cchTextMax = static_cast<int>(std::size(text));
        ::SendMessageW(layers, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        widest = std::max(widest, static_cast<int>(::SendMessageW(layers, LVM_GETSTRINGWIDTHW, 0,
                                                                  reinterpret_cast<LPARAM>(text))));
    }
    const int check = ::GetSystemMetrics(SM_CXMENUCHECK) + px(12),
              frame = ::GetSystemMetrics(SM_CXVSCROLL) + px(8);
    return std::clamp(widest + check + frame, std::min(px(220), width / 2), std::max(px(220), width / 2));
}

// The lines of a text: what was checked takes as many lines under the verdict.
int lineCount(const std::string& text) {
    return text.empty() ? 0 : 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// The limits row, the layers beside the picture, the findings under both (the verdict and the filter, what
// was checked, the list), then the pointer's place and Close.
void layoutPicture(HWND dialog) {
    RECT r;
    ::GetClientRect(dialog, &r);
    const int m = px(10), gap = px(8), line = px(18), bw = px(80), bh = px(26), head = px(24);
    const int side = sideWidth(dialog, r.right - 2 * m);
    const int checked = lineCount(textOf(::GetDlgItem(dialog, ids::checkedLines))) * line;
    const int findings = px(100), row = layoutLimits(dialog, m, bh, r.right - 2 * m) + px(4);
    const int top = std::max<int>(px(100), r.bottom - 2 * m - bh - 2 * gap - head - checked - findings - row);
    place(dialog, ids::layerLabel, m, m + row, side, line);
    place(dialog, ids::layerList, m, m + row + line, side, top - line);
    HWND layers = ::GetDlgItem(dialog, ids::layerList);
    RECT inside;
    ::GetClientRect(layers, &inside);
    ListView_SetColumnWidth(layers, 0, inside.right); // no sideways scrolling for a long name
    place(dialog, ids::boardCanvas, m + side + gap, m + row, r.right - 2 * m - side - gap, top);
    const int findingsY = m + row + top + gap, kinds = px(180), kindLabel = px(36);
    const int kindsX = r.right - m - kinds;
    place(dialog, ids::findingLabel, m, findingsY + px(4), kindsX - kindLabel - gap - m, line);
    place(dialog, ids::kindLabel, kindsX - kindLabel - px(4), findingsY + px(4), kindLabel, line);
    place(dialog, ids::kindList, kindsX, findingsY, kinds, px(240));
    place(dialog, ids::checkedLines, m, findingsY + head, r.right - 2 * m, checked);
    place(dialog, ids::findingList, m, findingsY + head + checked, r.right - 2 * m, findings);
    const int bottomY = r.bottom - m - bh;
    place(dialog, ids::pointerLine, m, bottomY + px(5), r.right - 3 * m - bw, line);
    place(dialog, IDCANCEL, r.right - m - bw, bottomY, bw, bh);
    ::InvalidateRect(dialog, nullptr, TRUE);
}

// ---- Filling the lists.

void fillLayers(HWND dialog, const model::BoardPicture& picture) {
    HWND layers = ::GetDlgItem(dialog, ids::layerList);
    ListView_DeleteAllItems(layers);
    for (size_t i = 0; i < picture.layers.size(); ++i) {
        std::wstring label = wideText(model::layerLabel(picture.layers[i]));
        LVITEMW row{};
        row.mask = LVIF_TEXT, row.iItem = static_cast<int>(i), row.pszText = label.data();
        const auto at =
            static_cast<int>(::SendMessageW(layers, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
        ListView_SetCheckState(layers, at, picture.layers[i].visible);
    }
}

// The rows the filter shows, and the width they need so that the list scrolls sideways to their ends.
void fillFindings(HWND dialog, BoardPictureState& state) {
    HWND list = ::GetDlgItem(dialog, ids::findingList);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    HDC dc = ::GetDC(list);
    HGDIOBJ old = ::SelectObject(dc, fonts().fixed);
    int widest = 0;
    auto add = [&](const std::string& text) {
        const std::wstring row = wideText(text);
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        SIZE size{};
        ::GetTextExtentPoint32W(dc, row.c_str(), static_cast<int>(row.size()), &size);
        widest = std::max<int>(widest, size.cx);
    };
    for (const auto& row : model::findingRows(state.picture))
        add(row);
    state.rows = state.picture.problem.empty() ? model::shownFindings(state.picture) : std::vector<size_t>{};
    ::SelectObject(dc, old);
    ::ReleaseDC(list, dc);
    ::SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + px(24)), 0);
}

// The profiles flashkit.ini names and those shipped, none chosen.
void fillProfiles(HWND dialog, const BoardPictureState& state) {
    HWND profiles = ::GetDlgItem(dialog, ids::profileList);
    ::SendMessageW(profiles, CB_RESETCONTENT, 0, 0);
    for (const auto& name : state.session->checkProfiles())
        ::SendMessageW(profiles, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideText(name).c_str()));
    ::SendMessageW(profiles, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ::SendMessageW(profiles, CB_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(L"choose one"));
}

// The limits as the fields hold them now.
std::vector<model::LimitText> typedLimits(HWND dialog, const model::Session& session) {
    auto limits = session.checkLimits();
    for (int i = 0; i < limitCount && i < static_cast<int>(limits.size()); ++i)
        limits[static_cast<size_t>(i)].text = textOf(::GetDlgItem(dialog, ids::limitField + i));
    return limits;
}

void warn(HWND dialog, const std::string& problem) {
    ::MessageBoxW(dialog, wideText(withCrlf(problem)).c_str(), L"Flashkit", MB_OK | MB_ICONWARNING);
}

// ---- Events of the lists.

void showFinding(HWND dialog, BoardPictureState& state) {
    const auto row = static_cast<int>(::SendDlgItemMessageW(dialog, ids::findingList, LB_GETCURSEL, 0, 0));
    if (row < 0 || row >= static_cast<int>(state.rows.size()))
        return;
    const size_t index = state.rows[static_cast<size_t>(row)];
    state.selected = static_cast<int>(index);
    HWND canvas = ::GetDlgItem(dialog, ids::boardCanvas);
    if (state.view.showFinding(state.picture.findings[index])) {
        RECT r;
        ::GetClientRect(canvas, &r);
        showPointerLine(canvas, "Centre: " + state.view.pointerText(r.right / 2.0, r.bottom / 2.0));
    }
    repaint(canvas);
}

// A check switched: the layer is shown or hidden. Each row is painted in its layer's colour.
INT_PTR layerNotice(HWND dialog, BoardPictureState& state, const NMHDR& notice) {
    HWND layers = ::GetDlgItem(dialog, ids::layerList);
    if (notice.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(notice);
        const auto row = static_cast<size_t>(change.iItem);
        if ((change.uChanged & LVIF_STATE) && row < state.picture.layers.size()) {
            state.picture.layers[row].visible = ListView_GetCheckState(layers, change.iItem) != FALSE;
            repaint(::GetDlgItem(dialog, ids::boardCanvas));
        }
        return TRUE;
    }
    if (notice.code != NM_CUSTOMDRAW)
        return FALSE;
    auto& draw = const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(notice));
    LONG_PTR result = CDRF_DODEFAULT;
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        result = CDRF_NOTIFYITEMDRAW;
    else if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT &&
             draw.nmcd.dwItemSpec < state.picture.layers.size()) {
        const model::Rgb c = state.picture.layers[draw.nmcd.dwItemSpec].colour;
        draw.clrText = RGB(c.red, c.green, c.blue);
    }
    ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

// A kind chosen above the list: only its findings listed and marked; none of them chosen yet.
void chooseKind(HWND dialog, BoardPictureState& state) {
    const auto index = ::SendDlgItemMessageW(dialog, ids::kindList, CB_GETCURSEL, 0, 0);
    const auto choices = model::kindChoices(state.picture);
    if (index < 0 || index >= static_cast<LRESULT>(choices.size()))
        return;
    state.picture.only = choices[static_cast<size_t>(index)].kind;
    state.selected = -1;
    fillFindings(dialog, state);
    repaint(::GetDlgItem(dialog, ids::boardCanvas));
}

// A profile chosen: every field it names takes its limit; the user may change any before checking again.
void chooseProfile(HWND dialog, BoardPictureState& state) {
    const auto index = ::SendDlgItemMessageW(dialog, ids::profileList, CB_GETCURSEL, 0, 0);
    const auto names = state.session ? state.session->checkProfiles() : std::vector<std::string>{};
    if (index < 0 || index >= static_cast<LRESULT>(names.size()))
        return;
    auto limits = typedLimits(dialog, *state.session);
    if (const auto problem = state.session->applyCheckProfile(names[static_cast<size_t>(index)], limits))
        return warn(dialog, *problem);
    state.filling = true;
    for (int i = 0; i < limitCount && i < static_cast<int>(limits.size()); ++i)
        setText(::GetDlgItem(dialog, ids::limitField + i), limits[static_cast<size_t>(i)].text);
    state.filling = false;
}

void fillKinds(HWND dialog, const model::BoardPicture& picture) {
    HWND kinds = ::GetDlgItem(dialog, ids::kindList);
    ::SendMessageW(kinds, CB_RESETCONTENT, 0, 0);
    for (const auto& choice : model::kindChoices(picture))
        ::SendMessageW(kinds, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideText(choice.text).c_str()));
    ::SendMessageW(kinds, CB_SETCURSEL, static_cast<WPARAM>(model::kindChoiceOf(picture)), 0);
}

// What the session's last check handed over, fitted into the window; checked again, the layers stay
// switched as they were, and the kind listed where it is still found.
void display(HWND window, BoardPictureState& state, bool again = false) {
    model::BoardPicture picture = state.session->boardPicture();
    if (again)
        model::keepChoices(state.picture, picture);
    state.picture = std::move(picture);
    state.selected = -1;
    fillLayers(window, state.picture);
    fillKinds(window, state.picture);
    fillFindings(window, state);
    std::string checked;
    for (const auto& line : state.picture.checked)
        checked += (checked.empty() ? "" : "\n") + line;
    setText(::GetDlgItem(window, ids::checkedLines), checked);
    HWND canvas = ::GetDlgItem(window, ids::boardCanvas);
    ::GetCursorPos(&state.pointer); // a pointer that has not moved yet shows no place
    ::ScreenToClient(canvas, &state.pointer);
    setText(::GetDlgItem(window, ids::pointerLine), "");
    setText(::GetDlgItem(window, ids::findingLabel),
            std::string(model::findingsCaption) + ": " + model::verdictOf(state.picture) +
                (state.picture.findings.empty() ? "" : " (click one to centre it)"));
    layoutPicture(window); // the layers' names as wide as they are
    RECT r;
    ::GetClientRect(canvas, &r);
    state.view.resize(r.right, r.bottom);
    state.view.fit(state.picture.extent);
    repaint(canvas);
}

// The limits typed, kept in the session (saved with the settings at close), and the board checked with them;
// a text that is no length is refused and nothing changes.
void checkAgain(HWND dialog, BoardPictureState& state) {
    if (!state.session)
        return;
    if (const auto problem = state.session->setCheckLimits(typedLimits(dialog, *state.session)))
        return warn(dialog, *problem);
    state.session->checkAgain(state.fields);
    display(dialog, state, true);
}

INT_PTR CALLBACK pictureProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = dialogObject<BoardPictureState>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        buildControls(dialog, *state);
        layoutPicture(dialog);
        return FALSE;
    case WM_SIZE:
        layoutPicture(dialog);
        return TRUE;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {px(600), px(440)};
        return TRUE;
    case WM_NOTIFY:
        if (state && reinterpret_cast<const NMHDR*>(lParam)->idFrom == ids::layerList)
            return layerNotice(dialog, *state, *reinterpret_cast<const NMHDR*>(lParam));
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == ids::findingList && HIWORD(wParam) == LBN_SELCHANGE && state) {
            showFinding(dialog, *state);
            return TRUE;
        }
        if (LOWORD(wParam) == ids::kindList && HIWORD(wParam) == CBN_SELCHANGE && state) {
            chooseKind(dialog, *state);
            return TRUE;
        }
        if (LOWORD(wParam) == ids::profileList && HIWORD(wParam) == CBN_SELCHANGE && state) {
            chooseProfile(dialog, *state);
            return TRUE;
        }
        // A field changed by hand no longer holds the profile chosen.
        if (LOWORD(wParam) >= ids::limitField && LOWORD(wParam) < ids::limitField + limitCount &&
            HIWORD(wParam) == EN_CHANGE && state && !state->filling) {
            ::SendDlgItemMessageW(dialog, ids::profileList, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            return TRUE;
        }
        if (LOWORD(wParam) == ids::checkAgain && HIWORD(wParam) == BN_CLICKED && state) {
            checkAgain(dialog, *state);
            return TRUE;
        }
        return hideOnClose(dialog, wParam);
    default:
        return FALSE;
    }
}

} // namespace

HWND createBoardPicture(HWND owner, BoardPictureState& state) {
    // As large as a 1024 x 768 screen allows at first, frame and all, in its middle; the user may make it
    // larger.
    RECT work{0, 0, px(1000), px(720)};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int width = std::min(px(1000), static_cast<int>(work.right - work.left));
    const int height = std::min(px(720), static_cast<int>(work.bottom - work.top));
    HWND window = createModeless(owner, pictureProcedure, reinterpret_cast<LPARAM>(&state), width, height);
    if (window)
        ::SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                       work.top + (work.bottom - work.top - height) / 2, width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    return window;
}

void showBoardPicture(HWND window, model::Session& session, const app::Fields& fields) {
    auto* state = reinterpret_cast<BoardPictureState*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!state)
        return;
    state->session = &session, state->fields = fields;
    const auto limits = session.checkLimits();
    state->filling = true;
    for (int i = 0; i < limitCount && i < static_cast<int>(limits.size()); ++i) {
        HWND field = ::GetDlgItem(window, ids::limitField + i);
        setText(field, limits[static_cast<size_t>(i)].text);
        // The default in force, greyed in the empty field.
        const std::wstring byDefault = wideText(limits[static_cast<size_t>(i)].byDefault);
        ::SendMessageW(field, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(byDefault.c_str()));
    }
    state->filling = false;
    fillProfiles(window, *state);
    display(window, *state);
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
}

bool wheelToPicture(HWND window, const MSG& message) {
    if (message.message != WM_MOUSEWHEEL || !window || !::IsWindowVisible(window))
        return false;
    HWND canvas = ::GetDlgItem(window, ids::boardCanvas);
    const POINT at{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
    if (message.hwnd == canvas || ::WindowFromPoint(at) != canvas)
        return false;
    ::SendMessageW(canvas, WM_MOUSEWHEEL, message.wParam, message.lParam);
    return true;
}

} // namespace fk::win32
