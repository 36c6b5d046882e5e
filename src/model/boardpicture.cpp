// The board check's findings and shapes as primitives, and the view's arithmetic every front end shares.
#include "model/boardpicture.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cmath>

namespace fk::model {

namespace {

using board::ShapeKind;
using util::Length;
using Kind = Primitive::Kind;

constexpr Rgb copperColours[] = {{184, 115, 51}, {58, 125, 68}, {138, 90, 158}, {160, 128, 32}};
constexpr Rgb planeColour{74, 120, 184};

// What a layer of a board's own files is drawn in; only copper and the outline are shown at first.
Rgb colourOf(board::Role role, size_t copperIndex) {
    switch (role.layer) {
    case board::Layer::Plane:
        return planeColour;
    case board::Layer::Outline:
        return {64, 64, 64};
    case board::Layer::TopMask:
    case board::Layer::BottomMask:
        return {40, 150, 90};
    case board::Layer::TopSilk:
    case board::Layer::BottomSilk:
        return {200, 170, 0};
    case board::Layer::TopPaste:
    case board::Layer::BottomPaste:
        return {128, 128, 128};
    default:
        return copperColours[copperIndex % 4];
    }
}

PictureLayer layerOf(const board::BoardLayer& layer, size_t copperIndex) {
    const board::Image& image = layer.image;
    PictureLayer out{.name = image.name,
                     .role = layer.role.layer == board::Layer::None ? "" : board::textOf(layer.role),
                     .plane = layer.plane,
                     .visible = board::isCopper(layer.role) || layer.role.layer == board::Layer::Outline,
                     .colour = layer.plane ? planeColour : colourOf(layer.role, copperIndex),
                     .primitives = {},
                     .outlines = image.outlines};
    // A dark object is copper, a clear one removes it; on a negative image the other way round.
    for (const auto& o : image.objects) {
        const Ink ink = o.clear == layer.plane ? Ink::Copper : Ink::Cleared;
        if (o.kind == board::ObjectKind::Circle)
            out.primitives.push_back(
                {.kind = Kind::Disc, .ink = ink, .x = o.from.x, .y = o.from.y, .width = o.radius * 2});
        else if (o.kind == board::ObjectKind::Stroke)
            out.primitives.push_back({.kind = Kind::Stroke,
                                      .ink = ink,
                                      .x = o.from.x,
                                      .y = o.from.y,
                                      .x2 = o.to.x,
                                      .y2 = o.to.y,
                                      .width = o.radius * 2});
        else
            out.primitives.push_back({.kind = Kind::Outline,
                                      .ink = ink,
                                      .x = (o.box.left + o.box.right) / 2,
                                      .y = (o.box.bottom + o.box.top) / 2,
                                      .width = o.box.right - o.box.left,
                                      .height = o.box.top - o.box.bottom,
                                      .shape = o.shape});
    }
    return out;
}

void grow(PictureExtent& e, Length left, Length bottom, Length right, Length top) {
    e = {std::min(e.left, left), std::min(e.bottom, bottom), std::max(e.right, right), std::max(e.top, top)};
}

PictureExtent extentOf(const BoardPicture& picture) {
    bool first = true;
    PictureExtent e;
    auto add = [&](Length x, Length y, Length r) {
        if (first)
            e = {x - r, y - r, x + r, y + r}, first = false;
        grow(e, x - r, y - r, x + r, y + r);
    };
    for (const auto& layer : picture.layers)
        for (const auto& p : layer.primitives) {
            const Length r = std::max(p.width, p.height) / 2;
            add(p.x, p.y, r);
            if (p.kind == Kind::Stroke)
                add(p.x2, p.y2, r);
        }
    for (const auto& h : picture.holes) {
        add(h.x, h.y, h.diameter / 2);
        if (h.slot)
            add(h.x2, h.y2, h.diameter / 2);
    }
    return e;
}

double mils(Length l) {
    return static_cast<double>(l.count()) / static_cast<double>(Length::perMil);
}

Length ofMils(double m) {
    return Length::fromCount(
        static_cast<Length::Count>(std::llround(m * static_cast<double>(Length::perMil))));
}

// A finding ringed round the hole at its place, or, where both ends of what was measured are known and apart,
// drawn as that segment and labelled with its kind and measure.
PictureFinding findingOf(const boardcheck::Finding& f, const std::vector<PictureHole>& holes) {
    const auto hole = std::find_if(holes.begin(), holes.end(),
                                   [&](const PictureHole& h) { return h.x == f.at.x && h.y == f.at.y; });
    PictureFinding out{.text = boardcheck::findingLine(f),
                       .kind = f.kind,
                       .placed = f.kind != boardcheck::Kind::DrillReading,
                       .x = f.at.x,
                       .y = f.at.y,
                       .diameter = hole == holes.end() ? Length() : hole->diameter};
    if (!f.from || !f.to || *f.from == *f.to)
        return out;
    out.segment = true;
    out.x1 = f.from->x, out.y1 = f.from->y, out.x2 = f.to->x, out.y2 = f.to->y;
    out.label = boardcheck::kindName(f.kind);
    if (f.measured)
        out.label += " " + util::decimalText(f.measured->toMilDecimals(2), 2) + " mil";
    return out;
}

} // namespace

BoardPicture pictureOf(const boardcheck::Checked& checked) {
    BoardPicture picture;
    size_t copper = 0;
    for (const auto& plot : checked.board.plots) {
        // A design's plot is named by its file alone: its role is what the check took it for.
        PictureLayer layer = layerOf({.role = {}, .image = board::imageOf(plot), .plane = plot.plane},
                                     plot.plane ? 0 : copper++);
        layer.visible = true;
        picture.layers.push_back(std::move(layer));
    }
    for (const auto& layer : checked.fabrication.layers)
        picture.layers.push_back(layerOf(layer, board::isCopper(layer.role) && !layer.plane ? copper++ : 0));
    for (const auto& h : checked.board.holes)
        picture.holes.push_back({h.at.x, h.at.y, h.diameter});
    for (const auto& h : checked.fabrication.holes) {
        if (h.path.empty())
            picture.holes.push_back({h.at.x, h.at.y, h.diameter, h.slot, h.end.x, h.end.y});
        for (size_t i = 1; i < h.path.size(); ++i) // a routed slot along its path, a slot a chord
            picture.holes.push_back(
                {h.path[i - 1].x, h.path[i - 1].y, h.diameter, true, h.path[i].x, h.path[i].y});
    }
    for (const auto& f : checked.findings)
        picture.findings.push_back(findingOf(f, picture.holes));
    picture.checked = checked.lines;
    picture.extent = extentOf(picture);
    return picture;
}

void keepChoices(const BoardPicture& before, BoardPicture& after) {
    for (auto& layer : after.layers)
        for (const auto& was : before.layers)
            if (was.name == layer.name && was.role == layer.role)
                layer.visible = was.visible;
    const bool found = std::any_of(after.findings.begin(), after.findings.end(),
                                   [&](const PictureFinding& f) { return before.only == f.kind; });
    after.only = found ? before.only : std::nullopt;
}

double markRadius(double holePixels) {
    return std::max(9.0, holePixels / 2 + 5);
}

MarkPens markPens(bool selected) {
    return selected ? MarkPens{6, 3} : MarkPens{5, 2};
}

std::string layerLabel(const PictureLayer& layer) {
    if (!layer.role.empty())
        return layer.name + " (" + layer.role + ")";
    return layer.plane ? layer.name + " (plane)" : layer.name;
}

std::string verdictOf(const BoardPicture& picture) {
    if (!picture.problem.empty())
        return picture.problem;
    const size_t findings = picture.findings.size();
    if (findings > 0)
        return std::to_string(findings) + (findings == 1 ? " finding" : " findings");
    auto count = [](size_t n, const char* one) {
        return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
    };
    return "Clean: " + count(picture.layers.size(), "layer") + ", " + count(picture.holes.size(), "hole") +
           " checked";
}

void PictureView::resize(int width, int height) {
    width_ = std::max(width, 1), height_ = std::max(height, 1);
}

void PictureView::fit(const PictureExtent& e) {
    const double w = std::max(mils(e.right - e.left), 1.0), h = std::max(mils(e.top - e.bottom), 1.0);
    perMil_ = 0.9 * std::min(width_ / w, height_ / h);
    centreX_ = mils(e.left) + w / 2, centreY_ = mils(e.bottom) + h / 2;
}

void PictureView::zoomAt(double px, double py, double factor) {
    const double x = mils(boardX(px)), y = mils(boardY(py));
    perMil_ = std::clamp(perMil_ * factor, 1e-4, 1e3);
    centreX_ = x - (px - width_ / 2.0) / perMil_;
    centreY_ = y + (py - height_ / 2.0) / perMil_;
}

void PictureView::panBy(double dx, double dy) {
    centreX_ -= dx / perMil_, centreY_ += dy / perMil_;
}

void PictureView::panStep(int right, int up) {
    panBy(-right * width_ / 8.0, up * height_ / 8.0);
}

void PictureView::centreOn(Length x, Length y, Length span) {
    centreX_ = mils(x), centreY_ = mils(y);
    perMil_ = std::min(width_, height_) / std::max(mils(span), 1e-3);
}

bool PictureView::showFinding(const PictureFinding& finding) {
    if (!finding.placed)
        return false;
    if (!finding.segment) {
        centreOn(finding.x, finding.y, Length::fromMilDecimals(250, 0));
        return true;
    }
    const double length = std::hypot(mils(finding.x2 - finding.x1), mils(finding.y2 - finding.y1));
    centreOn((finding.x1 + finding.x2) / 2, (finding.y1 + finding.y2) / 2,
             ofMils(std::max(4 * length, 50.0)));
    return true;
}

Pixel PictureView::labelCorner(const PictureFinding& finding, double width, double height) const {
    const Pixel a = pixelOf(finding.x1, finding.y1), b = pixelOf(finding.x2, finding.y2);
    const double gap = markPens(true).halo + 2.0, top = (a.y + b.y) / 2 - height / 2;
    const double right = std::max(a.x, b.x) + gap;
    if (right + width <= width_)
        return {right, top};
    return {std::min(a.x, b.x) - gap - width, top};
}

Pixel PictureView::pixelOf(Length x, Length y) const {
    return {width_ / 2.0 + (mils(x) - centreX_) * perMil_, height_ / 2.0 - (mils(y) - centreY_) * perMil_};
}

bool PictureView::shows(Length x, Length y, Length diameter) const {
    const Pixel c = pixelOf(x, y);
    const double r = pixels(diameter) / 2 + 1;
    return c.x + r >= 0 && c.x - r <= width_ && c.y + r >= 0 && c.y - r <= height_;
}

bool PictureView::shows(const Primitive& p) const {
    if (p.kind == Primitive::Kind::Stroke) {
        const Pixel a = pixelOf(p.x, p.y), b = pixelOf(p.x2, p.y2);
        const double r = pixels(p.width) / 2 + 1;
        return std::max(a.x, b.x) + r >= 0 && std::min(a.x, b.x) - r <= width_ &&
               std::max(a.y, b.y) + r >= 0 && std::min(a.y, b.y) - r <= height_;
    }
    // A turned box reaches at most half its diagonal from its centre: width and height together are more.
    const bool boxed = p.kind == Primitive::Kind::Box || p.kind == Primitive::Kind::Outline;
    return shows(p.x, p.y, boxed ? p.width + p.height : std::max(p.width, p.height));
}

bool PictureView::tiny(const Primitive& p) const {
    if (p.kind == Primitive::Kind::Stroke) {
        const Pixel a = pixelOf(p.x, p.y), b = pixelOf(p.x2, p.y2);
        const double w = pixels(p.width);
        return std::abs(a.x - b.x) + w < 2 && std::abs(a.y - b.y) + w < 2;
    }
    return pixels(p.kind == Primitive::Kind::Box ? std::max(p.width, p.height) * 3 / 2
                                                 : std::max(p.width, p.height)) < 2;
}

Pixel PictureView::middleOf(const Primitive& p) const {
    if (p.kind != Primitive::Kind::Stroke)
        return pixelOf(p.x, p.y);
    const Pixel a = pixelOf(p.x, p.y), b = pixelOf(p.x2, p.y2);
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

double PictureView::pixels(Length length) const {
    return mils(length) * perMil_;
}

Length PictureView::boardX(double px) const {
    return ofMils(centreX_ + (px - width_ / 2.0) / perMil_);
}

Length PictureView::boardY(double py) const {
    return ofMils(centreY_ - (py - height_ / 2.0) / perMil_);
}

std::string PictureView::pointerText(double px, double py) const {
    const Length x = boardX(px), y = boardY(py);
    return "X " + util::decimalText(x.toInchDecimals(4), 4) + " in Y " +
           util::decimalText(y.toInchDecimals(4), 4) + " in (" +
           util::decimalText(x.toMillimetreDecimals(3), 3) + " mm, " +
           util::decimalText(y.toMillimetreDecimals(3), 3) + " mm)";
}

ScaleBar PictureView::scaleBar() const {
    const double wanted = width_ / 5.0 / perMil_; // mils
    double step = std::pow(10.0, std::floor(std::log10(std::max(wanted, 1e-3))));
    for (double factor : {5.0, 2.0, 1.0})
        if (step * factor <= wanted) {
            step *= factor;
            break;
        }
    const Length length = ofMils(step);
    return {step * perMil_, util::shortDecimalText(length.toMilDecimals(3), 3) + " mil (" +
                                util::shortDecimalText(length.toMillimetreDecimals(3), 3) + " mm)"};
}

} // namespace fk::model
