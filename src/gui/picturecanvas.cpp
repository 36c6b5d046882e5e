// The board picture painted with QPainter where the model's view puts it.
#include "gui/picturecanvas.hpp"

#include "dialogs/selectfile.hpp"
#include "model/picturewindow.hpp"

#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace fk::gui {

using dialogs::toQt;
using model::Ink;
using Kind = model::Primitive::Kind;

namespace {

const QColor findingColour(224, 0, 0);

} // namespace

PictureCanvas::PictureCanvas(model::BoardPicture& picture, model::PictureView& view, QLabel* pointer,
                             QWidget* parent)
    : QWidget(parent), picture_(picture), view_(view), pointer_(pointer) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(400, 300);
}

void PictureCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    for (bool planes : {true, false})
        for (const auto& layer : picture_.layers)
            if (layer.visible && layer.plane == planes)
                paintLayer(painter, layer);
    paintHoles(painter);
    paintFindings(painter);
    paintScaleBar(painter);
    paintVerdict(painter);
}

void PictureCanvas::resizeEvent(QResizeEvent*) {
    view_.resize(width(), height());
}

void PictureCanvas::wheelEvent(QWheelEvent* e) {
    view_.zoomAt(e->position().x(), e->position().y(), std::pow(1.2, e->angleDelta().y() / 120.0));
    update();
}

void PictureCanvas::mousePressEvent(QMouseEvent* e) {
    last_ = e->position();
}

void PictureCanvas::mouseMoveEvent(QMouseEvent* e) {
    if (e->buttons() & Qt::LeftButton) {
        view_.panBy(e->position().x() - last_.x(), e->position().y() - last_.y());
        last_ = e->position();
        update();
    }
    pointer_->setText(toQt(view_.pointerText(e->position().x(), e->position().y())));
}

// The pointer's place is that of a point on the board: off the board there is none.
void PictureCanvas::leaveEvent(QEvent*) {
    pointer_->setText(" ");
}

void PictureCanvas::keyPressEvent(QKeyEvent* e) {
    const int right = e->key() == Qt::Key_Right ? 1 : e->key() == Qt::Key_Left ? -1 : 0;
    const int up = e->key() == Qt::Key_Up ? 1 : e->key() == Qt::Key_Down ? -1 : 0;
    if (!right && !up)
        return QWidget::keyPressEvent(e);
    view_.panStep(right, up);
    update();
}

QPointF PictureCanvas::at(util::Length x, util::Length y) const {
    const model::Pixel p = view_.pixelOf(x, y);
    return {p.x, p.y};
}

void PictureCanvas::disc(QPainter& painter, util::Length x, util::Length y, util::Length diameter) const {
    const double r = std::max(view_.pixels(diameter) / 2, 0.5);
    painter.drawEllipse(at(x, y), r, r);
}

void PictureCanvas::paintLayer(QPainter& painter, const model::PictureLayer& layer) const {
    const QColor copper(layer.colour.red, layer.colour.green, layer.colour.blue, layer.plane ? 255 : 190);
    if (layer.plane) {
        const auto& e = picture_.extent;
        painter.fillRect(QRectF(at(e.left, e.top), at(e.right, e.bottom)), copper);
    }
    // What spans less than two pixels is a pixel set in one image, drawn once over the layer's shapes.
    QImage dots(size(), QImage::Format_ARGB32_Premultiplied);
    dots.fill(Qt::transparent);
    bool anyDot = false;
    for (const auto& p : layer.primitives) {
        if (!view_.shows(p))
            continue;
        const QColor ink = p.ink == Ink::Copper ? copper : QColor(Qt::white);
        if (view_.tiny(p)) {
            const model::Pixel m = view_.middleOf(p);
            const int x = static_cast<int>(m.x), y = static_cast<int>(m.y);
            if (x >= 0 && y >= 0 && x < dots.width() && y < dots.height())
                dots.setPixel(x, y, ink.rgba()), anyDot = true;
            continue;
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        if (p.kind == Kind::Outline)
            painter.drawPath(pathOf(layer.outlines.at(p.shape)));
        else
            paintPrimitive(painter, p, ink);
    }
    if (anyDot)
        painter.drawImage(0, 0, dots);
}

// Outer outlines and their holes, filled where they wind (holes turn the other way).
QPainterPath PictureCanvas::pathOf(const board::Polygons& polygons) const {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const auto& polygon : polygons) {
        QPolygonF points;
        points.reserve(static_cast<qsizetype>(polygon.size()));
        for (const auto& p : polygon)
            points << at(util::Length::fromCount(p.X), util::Length::fromCount(p.Y));
        path.addPolygon(points);
        path.closeSubpath();
    }
    return path;
}

void PictureCanvas::paintPrimitive(QPainter& painter, const model::Primitive& p, const QColor& ink) const {
    const QPointF c = at(p.x, p.y);
    if (p.kind == Kind::Disc) {
        disc(painter, p.x, p.y, p.width);
    } else if (p.kind == Kind::Ring) {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        path.addEllipse(c, view_.pixels(p.width) / 2, view_.pixels(p.width) / 2);
        path.addEllipse(c, view_.pixels(p.height) / 2, view_.pixels(p.height) / 2);
        painter.drawPath(path);
    } else if (p.kind == Kind::Box) {
        painter.save();
        painter.translate(c);
        painter.rotate(-p.degrees);
        const double w = view_.pixels(p.width), h = view_.pixels(p.height), r = view_.pixels(p.corner);
        painter.drawRoundedRect(QRectF(-w / 2, -h / 2, w, h), r, r);
        painter.restore();
    } else {
        painter.setPen(QPen(ink, std::max(view_.pixels(p.width), 1.0), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(c, at(p.x2, p.y2));
    }
}

void PictureCanvas::paintHoles(QPainter& painter) const {
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const auto& h : picture_.holes) {
        if (h.slot) {
            painter.setPen(
                QPen(Qt::black, std::max(view_.pixels(h.diameter), 1.0), Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(at(h.x, h.y), at(h.x2, h.y2));
            painter.setPen(Qt::NoPen);
        } else if (view_.shows(h.x, h.y, h.diameter)) {
            disc(painter, h.x, h.y, h.diameter);
        }
    }
}

// Over the holes, red on a white halo, so that it reads on copper, hole and ground alike: a ring round the
// hole, or the segment measured; only the kind the list shows.
void PictureCanvas::paintFindings(QPainter& painter) const {
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < static_cast<int>(picture_.findings.size()); ++i) {
        const auto& f = picture_.findings[static_cast<size_t>(i)];
        if (!f.placed || !model::isShown(picture_, f))
            continue;
        if (f.segment) {
            paintSegment(painter, f, i == selected);
            continue;
        }
        const model::MarkPens pens = model::markPens(i == selected);
        const double r = model::markRadius(view_.pixels(f.diameter)) + (i == selected ? 4 : 0);
        painter.setPen(QPen(Qt::white, pens.halo));
        painter.drawEllipse(at(f.x, f.y), r, r);
        painter.setPen(QPen(findingColour, pens.red));
        painter.drawEllipse(at(f.x, f.y), r, r);
    }
}

// The segment with round ends, and its label beside it on a white ground.
void PictureCanvas::paintSegment(QPainter& painter, const model::PictureFinding& f, bool chosen) const {
    const model::MarkPens pens = model::markPens(chosen);
    painter.setPen(QPen(Qt::white, pens.halo, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(at(f.x1, f.y1), at(f.x2, f.y2));
    painter.setPen(QPen(findingColour, pens.red, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(at(f.x1, f.y1), at(f.x2, f.y2));
    const QString label = toQt(f.label);
    const QSizeF size(painter.fontMetrics().horizontalAdvance(label) + 6, painter.fontMetrics().height() + 2);
    const model::Pixel corner = view_.labelCorner(f, size.width(), size.height());
    const QRectF box(QPointF(corner.x, corner.y), size);
    painter.fillRect(box, QColor(255, 255, 255, 220));
    painter.setPen(findingColour);
    painter.drawText(box, Qt::AlignCenter, label);
}

// What the check found, top left on a white ground, so that a picture without a red mark says why.
void PictureCanvas::paintVerdict(QPainter& painter) const {
    const QString verdict = toQt(model::verdictOf(picture_));
    const QRectF box = QRectF(painter.fontMetrics().boundingRect(verdict)).adjusted(-4, -2, 4, 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawRect(box.translated(8 - box.left(), 8 - box.top()));
    painter.setPen(picture_.findings.empty() ? QColor(0, 110, 0) : findingColour);
    painter.drawText(QPointF(12, 10 - box.top() - 2), verdict);
}

void PictureCanvas::paintScaleBar(QPainter& painter) const {
    const model::ScaleBar bar = view_.scaleBar();
    const QPointF from(12, height() - 14), to(12 + bar.pixels, height() - 14);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(from, to);
    painter.drawText(QPointF(12, height() - 20), toQt(bar.text));
}

} // namespace fk::gui
