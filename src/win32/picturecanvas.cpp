// The board picture's drawing in Win32: a window class of its own that paints the picture off screen and
// forwards wheel, drag, arrow keys and the pointer's place to the model's view.
#include "win32/picturecanvas.hpp"

#include "win32/boardpaint.hpp"
#include "win32/controls.hpp"
#include "win32/ids.hpp"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace fk::win32 {

namespace {

constexpr double wheelStep = 1.2; // zoom of one notch of the wheel

BoardPictureState* stateOf(HWND canvas) {
    return reinterpret_cast<BoardPictureState*>(::GetWindowLongPtrW(canvas, GWLP_USERDATA));
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

} // namespace

void repaint(HWND canvas) {
    ::InvalidateRect(canvas, nullptr, FALSE);
}

void showPointerLine(HWND canvas, const std::string& text) {
    setText(::GetDlgItem(::GetParent(canvas), ids::pointerLine), text);
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

} // namespace fk::win32
