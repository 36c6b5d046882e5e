#include "win32/boardpicture.hpp"

#include "win32/boardpaint.hpp"
#include "win32/controls.hpp"
#include "win32/ids.hpp"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace fk::win32 {

namespace {

constexpr double wheelStep = 1.2; // zoom of one notch of the wheel
// The findings' columns (kind, plot, place, what), in dialog units of the list's font.
constexpr int limitCount = 4;
constexpr const char* limitCaptions[limitCount] = {"&Registration", "Ri&ng", "&Web", "&Clearance"};

BoardPictureState* stateOf(HWND canvas) {
    return reinterpret_cast<BoardPictureState*>(::GetWindowLongPtrW(canvas, GWLP_USERDATA));
}

void repaint(HWND canvas) {
    ::InvalidateRect(canvas, nullptr, FALSE);
}

void showPointerLine(HWND canvas, const std::string& text) {
    setText(::GetDlgItem(::GetParent(canvas), ids::pointerLine), text);
}

// ---- The picture: painted off screen and copied in one piece, so that it does not flicker.

void paintCanvas(HWND canvas, const BoardPictureState& state) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(canvas, &paint);
    RECT r;
    ::GetClientRect(canvas, &r);
    HDC memory = ::CreateCompatibleDC(dc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc, std::max<LONG>(r.right, 1), std::max<LONG>(r.bottom, 1));
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    paintBoard(memory, r.right, r.bottom, state.picture, state.view, state.selected);
    if (::GetFocus() == canvas)
        ::DrawFocusRect(memory, &r);
    ::BitBlt(dc, 0, 0, r.right, r.bottom, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::EndPaint(canvas, &paint);
}

void pressOn(HWND canvas, BoardPictureState& state, LPARAM at) {
    ::SetFocus(canvas);
    ::SetCapture(canvas);
    state.dragging = true;
    state.dragFrom = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
}

void moveOver(HWND canvas, BoardPictureState& state, LPARAM at) {
    // Told when the pointer leaves the picture, so that the line then names no place.
    TRACKMOUSEEVENT leave{
        .cbSize = sizeof(TRACKMOUSEEVENT), .dwFlags = TME_LEAVE, .hwndTrack = canvas, .dwHoverTime = 0};
    ::TrackMouseEvent(&leave);
    const POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    // Windows also reports a pointer that stood still (a window shown or moved over it): the line keeps what
    // a finding clicked put there until the pointer moves.
    if (p.x == state.pointer.x && p.y == state.pointer.y && !state.dragging)
        return;
    state.pointer = p;
    if (state.dragging) {
        state.view.panBy(p.x - state.dragFrom.x, p.y - state.dragFrom.y);
        state.dragFrom = p;
        repaint(canvas);
    }
    showPointerLine(canvas, state.view.pointerText(p.x, p.y));
}

void turnWheel(HWND canvas, BoardPictureState& state, WPARAM wParam, LPARAM at) {
    POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)}; // on the screen
    ::ScreenToClient(canvas, &p);
    state.view.zoomAt(p.x, p.y, std::pow(wheelStep, GET_WHEEL_DELTA_WPARAM(wParam) / double(WHEEL_DELTA)));
    repaint(canvas);
    showPointerLine(canvas, state.view.pointerText(p.x, p.y));
}

bool pressKey(HWND canvas, BoardPictureState& state, WPARAM key) {
    const int right = key == VK_RIGHT ? 1 : key == VK_LEFT ? -1 : 0;
    const int up = key == VK_UP ? 1 : key == VK_DOWN ? -1 : 0;
    if (!right && !up)
        return false;
    state.view.panStep(right, up);
    repaint(canvas);
    return true;
}

LRESULT CALLBACK canvasProcedure(HWND canvas, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrW(
            canvas, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    BoardPictureState* state = stateOf(canvas);
    if (!state)
        return ::DefWindowProcW(canvas, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        paintCanvas(canvas, *state);
        return 0;
    case WM_ERASEBKGND:
        return 1; // the painting covers it all
    case WM_SIZE:
        state->view.resize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        repaint(canvas);
        return 0;
    case WM_LBUTTONDOWN:
        pressOn(canvas, *state, lParam);
        return 0;
    case WM_LBUTTONUP:
        ::ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        state->dragging = false;
        return 0;
    case WM_MOUSEMOVE:
        moveOver(canvas, *state, lParam);
        return 0;
    case WM_MOUSELEAVE:
        if (!state->dragging)
            showPointerLine(canvas, "");
        return 0;
    case WM_MOUSEWHEEL:
        turnWheel(canvas, *state, wParam, lParam);
        return 0;
    case WM_KEYDOWN:
        if (pressKey(canvas, *state, wParam))
            return 0;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(canvas, message, wParam, lParam);
}

void registerCanvas() {
    WNDCLASSEXW canvasClass{};
    canvasClass.cbSize = sizeof canvasClass;
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), ids::canvasClass, &canvasClass))
        return;
    canvasClass.style = CS_HREDRAW | CS_VREDRAW;
    canvasClass.lpfnWndProc = canvasProcedure;
    canvasClass.hInstance = ::GetModuleHandleW(nullptr);
    canvasClass.hCursor = ::LoadCursorA(nullptr, IDC_CROSS);
    canvasClass.lpszClassName = ids::canvasClass;
    ::RegisterClassExW(&canvasClass);
}

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
    createControl(dialog, "STATIC", "&Layers", SS_LEFT, ids::layerLabel);
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
    createControl(dialog, "STATIC", "&Findings (click one to centre it)", SS_LEFT, ids::findingLabel);
    HWND findings = createControl(dialog, "LISTBOX", "",
                                  WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                  ids::findingList, WS_EX_CLIENTEDGE);
    ::SendMessageW(findings, WM_SETFONT, reinterpret_cast<WPARAM>(fonts().fixed), FALSE); // rows in columns
    ::SetWindowSubclass(findings, clickedAgain, 0, 0);
    createControl(dialog, "STATIC", "", SS_LEFTNOWORDWRAP | SS_NOPREFIX, ids::pointerLine);
    createControl(dialog, "BUTTON", "Close", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
    for (int i = 0; i < limitCount; ++i) {
        createControl(dialog, "STATIC", limitCaptions[i], SS_RIGHT, ids::limitLabel + i);
        createControl(dialog, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, ids::limitField + i, WS_EX_CLIENTEDGE);
    }
    createControl(dialog, "STATIC", "mil", SS_LEFT, ids::limitUnit);
    createControl(dialog, "BUTTON", "Check &again", WS_TABSTOP | BS_PUSHBUTTON, ids::checkAgain);
}

// Registration, ring, web and clearance in mils (or "0.13mm"); empty for the default.
void layoutLimits(HWND dialog, int m, int bh) {
    const int label = px(78), field = px(60), gap = px(6);
    int x = m;
    for (int i = 0; i < limitCount; ++i) {
        place(dialog, ids::limitLabel + i, x, m + px(4), label, px(18));
        place(dialog, ids::limitField + i, x + label + gap, m, field, bh - px(4));
        x += label + gap + field + gap;
    }
    place(dialog, ids::limitUnit, x, m + px(4), px(28), px(18));
    place(dialog, ids::checkAgain, x + px(34), m - px(2), px(100), bh);
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

// The layers beside the picture, the findings under both, then the pointer's place and Close.
void layoutPicture(HWND dialog) {
    RECT r;
    ::GetClientRect(dialog, &r);
    const int m = px(10), gap = px(8), line = px(18), bw = px(80), bh = px(26);
    const int side = sideWidth(dialog, r.right - 2 * m);
    const int findings = px(100), row = bh + gap;
    layoutLimits(dialog, m, bh);
    const int top = std::max<int>(px(100), r.bottom - 2 * m - bh - 2 * gap - line - findings - row);
    place(dialog, ids::layerLabel, m, m + row, side, line);
    place(dialog, ids::layerList, m, m + row + line, side, top - line);
    HWND layers = ::GetDlgItem(dialog, ids::layerList);
    RECT inside;
    ::GetClientRect(layers, &inside);
    ListView_SetColumnWidth(layers, 0, inside.right); // no sideways scrolling for a long name
    place(dialog, ids::boardCanvas, m + side + gap, m + row, r.right - 2 * m - side - gap, top);
    const int findingsY = m + row + top + gap;
    place(dialog, ids::findingLabel, m, findingsY, r.right - 2 * m, line);
    place(dialog, ids::findingList, m, findingsY + line, r.right - 2 * m, findings);
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

// The rows, and the width they need so that the list scrolls sideways to their ends.
void fillFindings(HWND dialog, const model::BoardPicture& picture) {
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
    if (!picture.problem.empty())
        add(picture.problem);
    std::vector<std::string> rows;
    for (const auto& f : picture.findings)
        rows.push_back(f.text);
    for (const auto& row : model::inColumns(rows))
        add(row);
    ::SelectObject(dc, old);
    ::ReleaseDC(list, dc);
    ::SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + px(24)), 0);
}

// ---- Events of the lists.

void showFinding(HWND dialog, BoardPictureState& state) {
    const auto row = static_cast<int>(::SendDlgItemMessageW(dialog, ids::findingList, LB_GETCURSEL, 0, 0));
    if (row < 0 || row >= static_cast<int>(state.picture.findings.size()))
        return;
    state.selected = row;
    HWND canvas = ::GetDlgItem(dialog, ids::boardCanvas);
    if (state.view.showFinding(state.picture.findings[static_cast<size_t>(row)])) {
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

// What the session's last check handed over, fitted into the window; checked again, the layers stay
// switched as they were.
void display(HWND window, BoardPictureState& state, bool again = false) {
    model::BoardPicture picture = state.session->boardPicture();
    if (again)
        model::keepLayerChoices(state.picture, picture);
    state.picture = std::move(picture);
    state.selected = -1;
    fillLayers(window, state.picture);
    fillFindings(window, state.picture);
    HWND canvas = ::GetDlgItem(window, ids::boardCanvas);
    ::GetCursorPos(&state.pointer); // a pointer that has not moved yet shows no place
    ::ScreenToClient(canvas, &state.pointer);
    setText(::GetDlgItem(window, ids::pointerLine), "");
    setText(::GetDlgItem(window, ids::findingLabel),
            "&Findings: " + model::verdictOf(state.picture) +
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
    auto limits = state.session->checkLimits();
    for (int i = 0; i < limitCount && i < static_cast<int>(limits.size()); ++i)
        limits[static_cast<size_t>(i)].text = textOf(::GetDlgItem(dialog, ids::limitField + i));
    if (const auto problem = state.session->setCheckLimits(limits)) {
        ::MessageBoxW(dialog, wideText(withCrlf(*problem)).c_str(), L"Flashkit", MB_OK | MB_ICONWARNING);
        return;
    }
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
    for (int i = 0; i < limitCount && i < static_cast<int>(limits.size()); ++i) {
        HWND field = ::GetDlgItem(window, ids::limitField + i);
        setText(field, limits[static_cast<size_t>(i)].text);
        // The default in force, greyed in the empty field.
        const std::wstring byDefault = wideText(limits[static_cast<size_t>(i)].byDefault);
        ::SendMessageW(field, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(byDefault.c_str()));
    }
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
