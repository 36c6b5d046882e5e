#include "win32/drillpreview.hpp"

#include "model/drillpreview.hpp"
#include "win32/controls.hpp"
#include "win32/ids.hpp"

#include <algorithm>
#include <cmath>
#include <map>

namespace fk::win32 {

namespace {

constexpr int panelCount = 5;
constexpr int toolRows = 5; // lines of the tools list before it scrolls

int partId(int panel, ids::PanelPart part) {
    return ids::panel + 10 * panel + part;
}

model::UnstatedZeros ruleOf(HWND dialog) {
    return ::SendDlgItemMessageA(dialog, ids::rule, CB_GETCURSEL, 0, 0) == 1
               ? model::UnstatedZeros::LeadingOmitted
               : model::UnstatedZeros::LeadingKept;
}

COLORREF colourOf(model::Rgb c) {
    return RGB(c.red, c.green, c.blue);
}

// ---- Building and placing the controls.

void buildControls(HWND dialog) {
    setText(dialog, ids::previewTitle);
    createControl(dialog, "STATIC", "&Header without LZ or TZ:", SS_LEFT, ids::ruleLabel);
    HWND rule = createControl(dialog, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, ids::rule);
    for (auto zeros : {model::UnstatedZeros::LeadingKept, model::UnstatedZeros::LeadingOmitted})
        ::SendMessageA(rule, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(model::ruleText(zeros).c_str()));
    ::SendMessageA(rule, CB_SETCURSEL, 0, 0);
    createControl(
        dialog, "STATIC",
        "NC1 from the input data path, NC2 to NC5 from the output data path, where a drilling machine "
        "reading each file's header drills them, all at one scale. Grey rings mark NC1's holes, dashed "
        "lines the origin.",
        SS_LEFT, ids::previewNote);
    for (int i = 0; i < panelCount; ++i) {
        for (int part = ids::title; part < ids::partCount; ++part) {
            const auto p = static_cast<ids::PanelPart>(part);
            if (p == ids::tools) // a file may use more tools than the rows show: they scroll
                createControl(dialog, "EDIT", "", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL,
                              partId(i, p));
            else // SS_NOPREFIX: a path may hold "&"
                createControl(dialog, "STATIC", "", p == ids::drawing ? SS_OWNERDRAW : SS_LEFT | SS_NOPREFIX,
                              partId(i, p));
        }
        ::SendDlgItemMessageA(dialog, partId(i, ids::marker), WM_SETFONT,
                              reinterpret_cast<WPARAM>(fonts().bold), FALSE);
    }
    createControl(dialog, "BUTTON", "Close", WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL);
}

// A column per file; the drawings take the height the texts leave.
void layoutPreview(HWND dialog) {
    RECT r;
    ::GetClientRect(dialog, &r);
    const int m = px(10), gap = px(12), line = px(16), bw = px(80), bh = px(26);
    place(dialog, ids::ruleLabel, m, m + px(4), px(160), line);
    place(dialog, ids::rule, m + px(164), m, std::max<int>(px(120), r.right - 2 * m - px(164)), px(200));
    place(dialog, ids::previewNote, m, m + px(32), r.right - 2 * m, 2 * line);
    const int top = m + px(32) + 2 * line + px(8);
    const int width = std::max<int>(px(40), (r.right - 2 * m - (panelCount - 1) * gap) / panelCount);
    // Title, header (four lines), drawing, marker (five lines), hole count, extent (two lines), tools.
    const int texts[] = {line, 4 * line, 0, 5 * line, line, 2 * line, toolRows * line};
    int fixed = 0;
    for (int height : texts)
        fixed += height + px(4);
    const int drawing = std::max<int>(px(60), r.bottom - top - fixed - bh - 2 * m);
    for (int i = 0; i < panelCount; ++i) {
        int y = top;
        for (int part = ids::title; part < ids::partCount; ++part) {
            const int height = part == ids::drawing ? drawing : texts[part];
            place(dialog, partId(i, static_cast<ids::PanelPart>(part)), m + i * (width + gap), y, width,
                  height);
            y += height + px(4);
        }
    }
    place(dialog, IDCANCEL, r.right - m - bw, r.bottom - m - bh, bw, bh);
    ::InvalidateRect(dialog, nullptr, TRUE);
}

// ---- Filling the texts.

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines)
        text += (text.empty() ? "" : "\r\n") + l;
    return text;
}

void fillPanel(HWND dialog, int i, const model::DrillPanel& panel, model::UnstatedZeros rule) {
    const auto set = [&](ids::PanelPart part, const std::string& text) {
        setText(::GetDlgItem(dialog, partId(i, part)), text);
    };
    set(ids::title, panel.name + "  " + panel.path.substr(panel.path.rfind('\\') + 1));
    set(ids::header, model::formatText(panel, rule));
    set(ids::marker, model::placementText(panel));
    set(ids::holeCount, model::countText(panel));
    set(ids::extent, model::extentText(panel));
    // The scroll bar only where the list is longer than its rows (counted without the bar, which narrows it).
    HWND tools = ::GetDlgItem(dialog, partId(i, ids::tools));
    ::ShowScrollBar(tools, SB_VERT, FALSE);
    set(ids::tools, joined(model::toolTexts(panel)));
    ::ShowScrollBar(tools, SB_VERT, ::SendMessageA(tools, EM_GETLINECOUNT, 0, 0) > toolRows);
}

void load(HWND dialog, DrillPreviewState& state) {
    state.preview = model::loadDrillPreview(state.fields, ruleOf(dialog));
    for (int i = 0; i < panelCount && i < static_cast<int>(state.preview.panels.size()); ++i)
        fillPanel(dialog, i, state.preview.panels[static_cast<size_t>(i)], state.preview.rule);
    ::InvalidateRect(dialog, nullptr, TRUE);
}

// ---- Drawing a panel with GDI.

// The scale of every drawing: the one that fits the smallest of them.
double scaleOf(HWND dialog, const model::DrillPreview& preview) {
    RECT r;
    ::GetClientRect(::GetDlgItem(dialog, partId(0, ids::drawing)), &r);
    return model::drawingScale(preview, r.right, r.bottom);
}

void drawHoles(HDC dc, const RECT& area, const model::DrillPreview& preview, const model::DrillPanel& panel,
               double scale) {
    std::map<int, double> radius;
    for (const auto& tool : panel.tools)
        radius[tool.number] = model::holeRadius(tool.diameter, scale);
    for (const auto& hole : panel.holes) {
        const model::Pixel p = model::pixelOf(preview, scale, area.right, area.bottom, hole.x, hole.y);
        const double rr = radius[hole.tool];
        ::Ellipse(dc, static_cast<int>(std::lround(p.x - rr)), static_cast<int>(std::lround(p.y - rr)),
                  static_cast<int>(std::lround(p.x + rr)) + 1, static_cast<int>(std::lround(p.y + rr)) + 1);
    }
}

void drawOrigin(HDC dc, const RECT& area, const model::DrillPreview& preview, double scale) {
    const model::Pixel origin =
        model::pixelOf(preview, scale, area.right, area.bottom, util::Length(), util::Length());
    HPEN dashed = ::CreatePen(PS_DOT, 1, RGB(190, 190, 190));
    HGDIOBJ old = ::SelectObject(dc, dashed);
    const int x = static_cast<int>(std::lround(origin.x)), y = static_cast<int>(std::lround(origin.y));
    ::MoveToEx(dc, x, 0, nullptr);
    ::LineTo(dc, x, area.bottom);
    ::MoveToEx(dc, 0, y, nullptr);
    ::LineTo(dc, area.right, y);
    ::SelectObject(dc, old);
    ::DeleteObject(dashed);
}

void drawPanel(HWND dialog, const DRAWITEMSTRUCT& item, const model::DrillPreview& preview) {
    const int index = (static_cast<int>(item.CtlID) - ids::panel) / 10;
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    HBRUSH frame = ::CreateSolidBrush(RGB(200, 200, 200));
    ::FrameRect(dc, &area, frame);
    ::DeleteObject(frame);
    if (index < 0 || index >= static_cast<int>(preview.panels.size()))
        return;
    const model::DrillPanel& panel = preview.panels[static_cast<size_t>(index)];
    const double scale = scaleOf(dialog, preview);
    drawOrigin(dc, area, preview, scale);
    if (!panel.problem.empty()) {
        RECT text = {area.left + model::drawingMargin, area.top + model::drawingMargin,
                     area.right - model::drawingMargin, area.bottom - model::drawingMargin};
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, colourOf(model::markerColour(model::Placement::Unread)));
        HGDIOBJ oldFont = ::SelectObject(dc, fonts().ui);
        ::DrawTextW(dc, wideText(panel.problem).c_str(), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        ::SelectObject(dc, oldFont);
        return;
    }
    HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    if (index > 0 && preview.panels[0].problem.empty()) {
        HPEN ring = ::CreatePen(PS_SOLID, 1, RGB(170, 170, 170));
        ::SelectObject(dc, ring);
        drawHoles(dc, area, preview, preview.panels[0], scale);
        ::SelectObject(dc, ::GetStockObject(NULL_PEN));
        ::DeleteObject(ring);
    }
    HBRUSH fill = ::CreateSolidBrush(model::drawnOff(panel.placement) ? RGB(200, 30, 30) : RGB(20, 60, 160));
    ::SelectObject(dc, fill);
    drawHoles(dc, area, preview, panel, scale);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(fill);
}

// The marker's colour says whether the file's holes lie at NC1's places.
INT_PTR colourMarker(HDC dc, HWND control, const model::DrillPreview& preview) {
    const int id = ::GetDlgCtrlID(control);
    const int index = (id - ids::panel) / 10;
    if (id < ids::panel || (id - ids::panel) % 10 != ids::marker ||
        index >= static_cast<int>(preview.panels.size()))
        return FALSE;
    ::SetTextColor(dc, colourOf(model::markerColour(preview.panels[static_cast<size_t>(index)].placement)));
    ::SetBkColor(dc, ::GetSysColor(COLOR_3DFACE));
    return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_3DFACE));
}

INT_PTR CALLBACK previewProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = dialogObject<DrillPreviewState>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        buildControls(dialog);
        layoutPreview(dialog);
        return FALSE;
    case WM_SIZE:
        layoutPreview(dialog);
        return TRUE;
    case WM_DRAWITEM:
        if (state)
            drawPanel(dialog, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), state->preview);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return state ? colourMarker(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                    state->preview)
                     : FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == ids::rule && HIWORD(wParam) == CBN_SELCHANGE && state) {
            load(dialog, *state);
            return TRUE;
        }
        return hideOnClose(dialog, wParam);
    default:
        return FALSE;
    }
}

} // namespace

HWND createDrillPreview(HWND owner, DrillPreviewState& state) {
    // As large as a 1024 x 768 screen allows at first; the user may make it larger.
    RECT work{0, 0, px(1000), px(640)};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int width = std::min(px(1000), static_cast<int>(work.right - work.left));
    const int height = std::min(px(640), static_cast<int>(work.bottom - work.top));
    return createModeless(owner, previewProcedure, reinterpret_cast<LPARAM>(&state), width, height);
}

void showDrillPreview(HWND preview, const app::Fields& fields) {
    auto* state = reinterpret_cast<DrillPreviewState*>(::GetWindowLongPtrA(preview, DWLP_USER));
    if (!state)
        return;
    state->fields = fields;
    load(preview, *state);
    ::ShowWindow(preview, SW_SHOW);
    ::SetForegroundWindow(preview);
}

} // namespace fk::win32
