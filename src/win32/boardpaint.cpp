// The board picture painted with GDI: layers on bitmaps of their own, holes, findings, scale bar, verdict.
#include "win32/boardpaint.hpp"

#include "model/picturewindow.hpp"
#include "win32/controls.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace fk::win32 {

namespace {

using model::Ink;
using model::Pixel;
using Kind = model::Primitive::Kind;

constexpr COLORREF paper = RGB(255, 255, 255);
// A layer is painted on a bitmap of its own and copied over the layers below without this colour: what a
// layer clears (a plane's clearances, a thermal's gaps) shows what lies below it.
constexpr COLORREF seeThrough = RGB(255, 0, 255);
constexpr COLORREF holeColour = RGB(0, 0, 0);
constexpr COLORREF findingColour = RGB(224, 0, 0);
constexpr int cornerSteps = 8; // polygon edges of a rounded corner

// GDI takes whole pixels in a range far below a double's: a shape zoomed far past the drawing is clamped.
int coord(double v) {
    return static_cast<int>(std::lround(std::clamp(v, -1e7, 1e7)));
}

struct Canvas {
    HDC dc;
    int width, height;
    const model::PictureView& view;
};

void ellipse(HDC dc, Pixel c, double r) {
    r = std::max(r, 0.5);
    ::Ellipse(dc, coord(c.x - r), coord(c.y - r), coord(c.x + r) + 1, coord(c.y + r) + 1);
}

// Outer minus inner circle, filled with the selected brush; what lies inside stays as it was.
void ring(HDC dc, Pixel c, double outer, double inner) {
    ::BeginPath(dc);
    ellipse(dc, c, outer);
    if (inner >= 0.5)
        ellipse(dc, c, inner);
    ::EndPath(dc);
    ::FillPath(dc);
}

// A w x h box with corners rounded by r, turned by `degrees` counter-clockwise on the board, as a polygon.
void box(HDC dc, Pixel c, double w, double h, double r, int degrees) {
    r = std::clamp(r, 0.0, std::min(w, h) / 2);
    const double turn = degrees * std::numbers::pi / 180, cs = std::cos(turn), sn = std::sin(turn);
    const double ax = w / 2 - r, ay = h / 2 - r;
    const double cornerX[] = {ax, -ax, -ax, ax}, cornerY[] = {ay, ay, -ay, -ay};
    const int steps = r > 0 ? cornerSteps : 0;
    std::vector<POINT> points;
    for (int k = 0; k < 4; ++k)
        for (int s = 0; s <= steps; ++s) {
            const double t = (k + (steps ? static_cast<double>(s) / steps : 0.0)) * std::numbers::pi / 2;
            const double lx = cornerX[k] + r * std::cos(t), ly = cornerY[k] + r * std::sin(t);
            points.push_back({coord(c.x + lx * cs - ly * sn), coord(c.y - (lx * sn + ly * cs))});
        }
    ::Polygon(dc, points.data(), static_cast<int>(points.size()));
}

// A line `width` pixels wide with round ends; one of no length is a dot of that width.
void stroke(HDC dc, Pixel from, Pixel to, double width, COLORREF colour) {
    if (coord(from.x) == coord(to.x) && coord(from.y) == coord(to.y))
        return ellipse(dc, from, width / 2);
    const LOGBRUSH brush{BS_SOLID, colour, 0};
    HPEN pen = ::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                              static_cast<DWORD>(std::max(1, coord(width))), &brush, 0, nullptr);
    HGDIOBJ old = ::SelectObject(dc, pen);
    ::MoveToEx(dc, coord(from.x), coord(from.y), nullptr);
    ::LineTo(dc, coord(to.x), coord(to.y));
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
}

// Outer outlines and their holes at once, filled where they wind (holes turn the other way).
void outlines(const Canvas& canvas, const board::Polygons& polygons) {
    std::vector<POINT> points;
    std::vector<INT> counts;
    for (const auto& polygon : polygons) {
        if (polygon.size() < 3)
            continue;
        for (const auto& p : polygon) {
            const Pixel at = canvas.view.pixelOf(util::Length::fromCount(p.X), util::Length::fromCount(p.Y));
            points.push_back({coord(at.x), coord(at.y)});
        }
        counts.push_back(static_cast<INT>(polygon.size()));
    }
    if (counts.empty())
        return;
    ::SetPolyFillMode(canvas.dc, WINDING);
    ::PolyPolygon(canvas.dc, points.data(), counts.data(), static_cast<int>(counts.size()));
    ::SetPolyFillMode(canvas.dc, ALTERNATE);
}

void paintPrimitive(const Canvas& canvas, const model::Primitive& p, COLORREF colour) {
    const Pixel c = canvas.view.pixelOf(p.x, p.y);
    const double w = canvas.view.pixels(p.width), h = canvas.view.pixels(p.height);
    if (p.kind == Kind::Stroke) {
        stroke(canvas.dc, c, canvas.view.pixelOf(p.x2, p.y2), w, colour);
        return;
    }
    if (p.kind == Kind::Disc)
        ellipse(canvas.dc, c, w / 2);
    else if (p.kind == Kind::Ring)
        ring(canvas.dc, c, w / 2, h / 2);
    else
        box(canvas.dc, c, w, h, canvas.view.pixels(p.corner), p.degrees);
}

// One layer on its own bitmap (`layerDc`), then over what is painted so far.
void paintLayer(const Canvas& canvas, HDC layerDc, const model::PictureLayer& layer,
                const model::PictureExtent& extent) {
    const RECT all{0, 0, canvas.width, canvas.height};
    HBRUSH clear = ::CreateSolidBrush(seeThrough);
    ::FillRect(layerDc, &all, clear);
    const COLORREF colour = RGB(layer.colour.red, layer.colour.green, layer.colour.blue);
    HBRUSH copper = ::CreateSolidBrush(colour);
    if (layer.plane) {
        const Pixel a = canvas.view.pixelOf(extent.left, extent.top),
                    b = canvas.view.pixelOf(extent.right, extent.bottom);
        const RECT board{coord(std::max(a.x, -1.0)), coord(std::max(a.y, -1.0)),
                         coord(std::min(b.x, canvas.width + 1.0)), coord(std::min(b.y, canvas.height + 1.0))};
        ::FillRect(layerDc, &board, copper);
    }
    const Canvas onLayer{layerDc, canvas.width, canvas.height, canvas.view};
    HGDIOBJ oldPen = ::SelectObject(layerDc, ::GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = ::SelectObject(layerDc, copper);
    ::SetPolyFillMode(layerDc, ALTERNATE);
    for (const auto& p : layer.primitives) {
        if (!canvas.view.shows(p))
            continue;
        const bool isCopper = p.ink == Ink::Copper;
        if (canvas.view.tiny(p)) { // less than two pixels: the pixel at its middle
            const Pixel m = canvas.view.middleOf(p);
            ::SetPixelV(layerDc, coord(m.x), coord(m.y), isCopper ? colour : seeThrough);
            continue;
        }
        ::SelectObject(layerDc, isCopper ? copper : clear);
        if (p.kind == Kind::Outline)
            outlines(onLayer, layer.outlines.at(p.shape));
        else
            paintPrimitive(onLayer, p, isCopper ? colour : seeThrough);
    }
    ::SelectObject(layerDc, oldBrush);
    ::SelectObject(layerDc, oldPen);
    ::DeleteObject(copper);
    ::DeleteObject(clear);
    ::GdiTransparentBlt(canvas.dc, 0, 0, canvas.width, canvas.height, layerDc, 0, 0, canvas.width,
                        canvas.height, seeThrough);
}

// Planes lie under the other plots, as a board house's picture of a negative layer shows them.
void paintLayers(const Canvas& canvas, const model::BoardPicture& picture) {
    HDC layerDc = ::CreateCompatibleDC(canvas.dc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(canvas.dc, canvas.width, canvas.height);
    HGDIOBJ old = ::SelectObject(layerDc, bitmap);
    for (bool planes : {true, false})
        for (const auto& layer : picture.layers)
            if (layer.visible && layer.plane == planes)
                paintLayer(canvas, layerDc, layer, picture.extent);
    ::SelectObject(layerDc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(layerDc);
}

void paintHoles(const Canvas& canvas, const model::BoardPicture& picture) {
    HBRUSH black = ::CreateSolidBrush(holeColour);
    HGDIOBJ oldPen = ::SelectObject(canvas.dc, ::GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = ::SelectObject(canvas.dc, black);
    for (const auto& h : picture.holes) {
        if (h.slot)
            stroke(canvas.dc, canvas.view.pixelOf(h.x, h.y), canvas.view.pixelOf(h.x2, h.y2),
                   canvas.view.pixels(h.diameter), holeColour);
        else if (canvas.view.shows(h.x, h.y, h.diameter))
            ellipse(canvas.dc, canvas.view.pixelOf(h.x, h.y), canvas.view.pixels(h.diameter) / 2);
    }
    ::SelectObject(canvas.dc, oldBrush);
    ::SelectObject(canvas.dc, oldPen);
    ::DeleteObject(black);
}

// A pen `width` pixels wide with round ends, selected into `dc` until it goes out of scope.
class RoundPen {
  public:
    RoundPen(HDC dc, int width, COLORREF colour) : dc_(dc) {
        const LOGBRUSH brush{BS_SOLID, colour, 0};
        pen_ = ::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                              static_cast<DWORD>(width), &brush, 0, nullptr);
        old_ = ::SelectObject(dc, pen_);
    }
    ~RoundPen() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(pen_);
    }
    RoundPen(const RoundPen&) = delete;
    RoundPen& operator=(const RoundPen&) = delete;

  private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ old_;
};

void ringMark(const Canvas& canvas, const model::PictureFinding& f, bool chosen) {
    const model::MarkPens pens = model::markPens(chosen);
    const double r = model::markRadius(canvas.view.pixels(f.diameter)) + (chosen ? 4 : 0);
    for (const auto& [width, colour] : {std::pair{pens.halo, paper}, std::pair{pens.red, findingColour}}) {
        const RoundPen pen(canvas.dc, width, colour);
        ellipse(canvas.dc, canvas.view.pixelOf(f.x, f.y), r);
    }
}

// The segment measured, round-ended, and its label beside it on a white ground.
void segmentMark(const Canvas& canvas, const model::PictureFinding& f, bool chosen) {
    const model::MarkPens pens = model::markPens(chosen);
    const Pixel a = canvas.view.pixelOf(f.x1, f.y1), b = canvas.view.pixelOf(f.x2, f.y2);
    for (const auto& [width, colour] : {std::pair{pens.halo, paper}, std::pair{pens.red, findingColour}}) {
        const RoundPen pen(canvas.dc, width, colour);
        ::MoveToEx(canvas.dc, coord(a.x), coord(a.y), nullptr);
        ::LineTo(canvas.dc, coord(b.x), coord(b.y));
    }
    const std::wstring text = wideText(f.label);
    SIZE size{};
    ::GetTextExtentPoint32W(canvas.dc, text.c_str(), static_cast<int>(text.size()), &size);
    const Pixel corner = canvas.view.labelCorner(f, size.cx + px(6), size.cy + px(2));
    const RECT ground{coord(corner.x), coord(corner.y), coord(corner.x) + size.cx + px(6),
                      coord(corner.y) + size.cy + px(2)};
    ::FillRect(canvas.dc, &ground, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetTextColor(canvas.dc, findingColour);
    ::TextOutW(canvas.dc, ground.left + px(3), ground.top + px(1), text.c_str(),
               static_cast<int>(text.size()));
}

// Over the holes, red on a white halo, so that it reads on copper, hole and ground alike: a ring round the
// hole, or the segment measured; only the kind the list shows.
void paintFindings(const Canvas& canvas, const model::BoardPicture& picture, int selected) {
    HGDIOBJ oldBrush = ::SelectObject(canvas.dc, ::GetStockObject(NULL_BRUSH));
    HGDIOBJ oldFont = ::SelectObject(canvas.dc, fonts().ui);
    ::SetBkMode(canvas.dc, TRANSPARENT);
    for (int i = 0; i < static_cast<int>(picture.findings.size()); ++i) {
        const auto& f = picture.findings[static_cast<size_t>(i)];
        if (!f.placed || !model::isShown(picture, f))
            continue;
        if (f.segment)
            segmentMark(canvas, f, i == selected);
        else
            ringMark(canvas, f, i == selected);
    }
    ::SelectObject(canvas.dc, oldFont);
    ::SelectObject(canvas.dc, oldBrush);
}

// The bar and its length on a white ground, so that they read over any layer.
void paintScaleBar(const Canvas& canvas) {
    const model::ScaleBar bar = canvas.view.scaleBar();
    HGDIOBJ oldFont = ::SelectObject(canvas.dc, fonts().ui);
    const std::wstring text = wideText(bar.text);
    SIZE size{};
    ::GetTextExtentPoint32W(canvas.dc, text.c_str(), static_cast<int>(text.size()), &size);
    const int m = px(8), length = coord(bar.pixels), bottom = canvas.height - m;
    const RECT ground{m - px(4), bottom - size.cy - px(12), m + std::max<int>(length, size.cx) + px(4),
                      bottom + px(2)};
    ::FillRect(canvas.dc, &ground, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    HPEN pen = ::CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
    HGDIOBJ oldPen = ::SelectObject(canvas.dc, pen);
    ::MoveToEx(canvas.dc, m, bottom - px(3), nullptr);
    ::LineTo(canvas.dc, m + length, bottom - px(3));
    ::SelectObject(canvas.dc, oldPen);
    ::DeleteObject(pen);
    ::SetBkMode(canvas.dc, TRANSPARENT);
    ::SetTextColor(canvas.dc, RGB(0, 0, 0));
    ::TextOutW(canvas.dc, m, bottom - px(8) - size.cy, text.c_str(), static_cast<int>(text.size()));
    ::SelectObject(canvas.dc, oldFont);
}

// What the check found, top left on a white ground: a picture without a red ring says why.
void paintVerdict(const Canvas& canvas, const model::BoardPicture& picture) {
    HGDIOBJ oldFont = ::SelectObject(canvas.dc, fonts().ui);
    const std::wstring text = wideText(model::verdictOf(picture));
    SIZE size{};
    ::GetTextExtentPoint32W(canvas.dc, text.c_str(), static_cast<int>(text.size()), &size);
    const int m = px(8);
    const RECT ground{m - px(4), m - px(2), m + size.cx + px(4), m + size.cy + px(2)};
    ::FillRect(canvas.dc, &ground, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(canvas.dc, TRANSPARENT);
    ::SetTextColor(canvas.dc, picture.findings.empty() ? RGB(0, 110, 0) : findingColour);
    ::TextOutW(canvas.dc, m, m, text.c_str(), static_cast<int>(text.size()));
    ::SelectObject(canvas.dc, oldFont);
}

} // namespace

void paintBoard(HDC dc, int width, int height, const model::BoardPicture& picture,
                const model::PictureView& view, int selected) {
    const RECT all{0, 0, width, height};
    HBRUSH ground = ::CreateSolidBrush(paper);
    ::FillRect(dc, &all, ground);
    ::DeleteObject(ground);
    const Canvas canvas{dc, width, height, view};
    paintLayers(canvas, picture);
    paintHoles(canvas, picture);
    paintFindings(canvas, picture, selected);
    paintScaleBar(canvas);
    paintVerdict(canvas, picture);
}

} // namespace fk::win32
