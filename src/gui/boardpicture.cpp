#include "gui/boardpicture.hpp"

#include "dialogs/selectfile.hpp"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace fk::gui {

using dialogs::toQt;
using model::Ink;
using Kind = model::Primitive::Kind;

// Paints the model's layers, holes and findings where its view puts them, and forwards wheel, drag and keys.
class PictureCanvas : public QWidget {
  public:
    PictureCanvas(model::BoardPicture& picture, model::PictureView& view, QLabel* pointer, QWidget* parent)
        : QWidget(parent), picture_(picture), view_(view), pointer_(pointer) {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setMinimumSize(400, 300);
    }
    int selected = -1; // the finding clicked in the list

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(rect(), Qt::white);
        for (const auto& layer : picture_.layers)
            if (layer.visible && layer.plane)
                paintLayer(painter, layer);
        for (const auto& layer : picture_.layers)
            if (layer.visible && !layer.plane)
                paintLayer(painter, layer);
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
        paintFindings(painter);
        paintScaleBar(painter);
        paintVerdict(painter);
    }
    void resizeEvent(QResizeEvent*) override { view_.resize(width(), height()); }
    void wheelEvent(QWheelEvent* e) override {
        view_.zoomAt(e->position().x(), e->position().y(), std::pow(1.2, e->angleDelta().y() / 120.0));
        update();
    }
    void mousePressEvent(QMouseEvent* e) override { last_ = e->position(); }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (e->buttons() & Qt::LeftButton) {
            view_.panBy(e->position().x() - last_.x(), e->position().y() - last_.y());
            last_ = e->position();
            update();
        }
        pointer_->setText(toQt(view_.pointerText(e->position().x(), e->position().y())));
    }
    // The pointer's place is that of a point on the board: off the board there is none.
    void leaveEvent(QEvent*) override { pointer_->setText(" "); }
    void keyPressEvent(QKeyEvent* e) override {
        const int right = e->key() == Qt::Key_Right ? 1 : e->key() == Qt::Key_Left ? -1 : 0;
        const int up = e->key() == Qt::Key_Up ? 1 : e->key() == Qt::Key_Down ? -1 : 0;
        if (!right && !up)
            return QWidget::keyPressEvent(e);
        view_.panStep(right, up);
        update();
    }

  private:
    QPointF at(util::Length x, util::Length y) const {
        const model::Pixel p = view_.pixelOf(x, y);
        return {p.x, p.y};
    }
    void disc(QPainter& painter, util::Length x, util::Length y, util::Length diameter) const {
        const double r = std::max(view_.pixels(diameter) / 2, 0.5);
        painter.drawEllipse(at(x, y), r, r);
    }
    void paintLayer(QPainter& painter, const model::PictureLayer& layer) const {
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
    QPainterPath pathOf(const board::Polygons& polygons) const {
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
    void paintPrimitive(QPainter& painter, const model::Primitive& p, const QColor& ink) const {
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
    // Over the holes, around each: red on a white halo, so that it reads on copper, hole and ground alike.
    void paintFindings(QPainter& painter) const {
        painter.setBrush(Qt::NoBrush);
        for (int i = 0; i < static_cast<int>(picture_.findings.size()); ++i) {
            const auto& f = picture_.findings[static_cast<size_t>(i)];
            if (!f.placed)
                continue;
            const double r = model::markRadius(view_.pixels(f.diameter)) + (i == selected ? 4 : 0);
            painter.setPen(QPen(Qt::white, i == selected ? 6 : 5));
            painter.drawEllipse(at(f.x, f.y), r, r);
            painter.setPen(QPen(QColor(224, 0, 0), i == selected ? 3 : 2));
            painter.drawEllipse(at(f.x, f.y), r, r);
        }
    }
    // What the check found, top left on a white ground, so that a picture without a red ring says why.
    void paintVerdict(QPainter& painter) const {
        const QString verdict = toQt(model::verdictOf(picture_));
        const QRectF box = QRectF(painter.fontMetrics().boundingRect(verdict)).adjusted(-4, -2, 4, 2);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 220));
        painter.drawRect(box.translated(8 - box.left(), 8 - box.top()));
        painter.setPen(picture_.findings.empty() ? QColor(0, 110, 0) : QColor(224, 0, 0));
        painter.drawText(QPointF(12, 10 - box.top() - 2), verdict);
    }
    void paintScaleBar(QPainter& painter) const {
        const model::ScaleBar bar = view_.scaleBar();
        const QPointF from(12, height() - 14), to(12 + bar.pixels, height() - 14);
        painter.setPen(QPen(Qt::black, 2));
        painter.drawLine(from, to);
        painter.drawText(QPointF(12, height() - 20), toQt(bar.text));
    }

    model::BoardPicture& picture_;
    model::PictureView& view_;
    QLabel* pointer_;
    QPointF last_;
};

// The findings: a click or a key on a row centres its finding. The list taking the focus makes its first row
// current, as Qt's lists do, and must not: the picture opens on the whole board whatever has the focus.
class FindingList : public QListWidget {
  public:
    std::function<void(int)> chosen;

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        const int before = currentRow();
        QListWidget::keyPressEvent(e);
        const bool moves = e->key() == Qt::Key_Up || e->key() == Qt::Key_Down || e->key() == Qt::Key_Home ||
                           e->key() == Qt::Key_End || e->key() == Qt::Key_PageUp ||
                           e->key() == Qt::Key_PageDown || e->key() == Qt::Key_Return ||
                           e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space;
        if (currentRow() >= 0 && (moves || currentRow() != before) && chosen)
            chosen(currentRow());
    }
};

BoardPictureWindow::BoardPictureWindow(model::Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setWindowTitle("Board Check");
    layers_ = new QListWidget;
    auto* findings = new FindingList;
    findings->chosen = [this](int row) { showFinding(row); };
    findings_ = findings;
    findingsLabel_ = new QLabel("Findings");
    pointer_ = new QLabel(" ");
    canvas_ = new PictureCanvas(picture_, view_, pointer_, this);
    // Layers beside the picture; the findings under both, full width, so that their lines show whole.
    auto* side = new QWidget;
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(new QLabel("Layers"));
    sideLayout->addWidget(layers_, 1);
    board_ = new QSplitter;
    board_->addWidget(side);
    board_->addWidget(canvas_);
    board_->setStretchFactor(1, 1);
    board_->setSizes({180, 780});
    auto* below = new QWidget;
    auto* belowLayout = new QVBoxLayout(below);
    belowLayout->setContentsMargins(0, 0, 0, 0);
    belowLayout->addWidget(findingsLabel_);
    belowLayout->addWidget(findings_, 1);
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(board_);
    splitter->addWidget(below);
    splitter->setStretchFactor(0, 1);
    splitter->setSizes({500, 130});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(limitsRow());
    layout->addWidget(splitter, 1);
    layout->addWidget(pointer_);
    connect(layers_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        picture_.layers.at(static_cast<size_t>(layers_->row(item))).visible =
            item->checkState() == Qt::Checked;
        canvas_->update();
    });
    // A click centres on the finding every time, also on the row already chosen (after a pan or zoom).
    connect(findings_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showFinding(findings_->row(item)); });
    findings_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    resize(980, 700); // within a 1024 x 768 screen
}

// Registration, ring, web and clearance in mils (or "0.13mm"); empty for the default. Kept with the settings.
QWidget* BoardPictureWindow::limitsRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const char* captions[] = {"&Registration", "Ri&ng", "&Web", "&Clearance"};
    for (const char* caption : captions) {
        auto* field = new QLineEdit;
        field->setMaximumWidth(70);
        field->setPlaceholderText("default");
        auto* label = new QLabel(caption);
        label->setBuddy(field);
        layout->addWidget(label);
        layout->addWidget(field);
        limits_.push_back(field);
        connect(field, &QLineEdit::returnPressed, this, &BoardPictureWindow::checkAgain);
    }
    layout->addWidget(new QLabel("mil"));
    auto* again = new QPushButton("Check &again");
    connect(again, &QPushButton::clicked, this, &BoardPictureWindow::checkAgain);
    layout->addWidget(again);
    layout->addStretch(1);
    return row;
}

void BoardPictureWindow::load(const app::Fields& fields) {
    fields_ = fields;
    const auto texts = session_.checkLimits();
    for (size_t i = 0; i < limits_.size() && i < texts.size(); ++i) {
        limits_[i]->setText(toQt(texts[i].text));
        limits_[i]->setPlaceholderText(toQt(texts[i].byDefault)); // the default in force, greyed
    }
    display(session_.boardPicture());
}

void BoardPictureWindow::checkAgain() {
    std::vector<model::LimitText> texts = session_.checkLimits();
    for (size_t i = 0; i < limits_.size() && i < texts.size(); ++i)
        texts[i].text = limits_[i]->text().toStdString();
    if (const auto problem = session_.setCheckLimits(texts)) {
        QMessageBox::warning(this, "Board Check", toQt(*problem));
        return;
    }
    session_.checkAgain(fields_);
    if (afterCheck)
        afterCheck();
    model::BoardPicture again = session_.boardPicture();
    model::keepLayerChoices(picture_, again);
    display(std::move(again));
}

void BoardPictureWindow::display(model::BoardPicture picture) {
    picture_ = std::move(picture);
    // The items take the picture's state, not the other way round: no finding is chosen by filling the list.
    const QSignalBlocker fillingLayers(layers_), fillingFindings(findings_);
    layers_->clear();
    findings_->clear();
    pointer_->setText(" ");
    for (const auto& layer : picture_.layers) {
        auto* item = new QListWidgetItem(toQt(model::layerLabel(layer)), layers_);
        item->setToolTip(item->text()); // whole where the side is narrower than the name
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(layer.visible ? Qt::Checked : Qt::Unchecked);
    }
    if (!picture_.problem.empty())
        findings_->addItem(toQt(picture_.problem));
    std::vector<std::string> rows;
    for (const auto& f : picture_.findings)
        rows.push_back(f.text);
    for (const auto& row : model::inColumns(rows))
        findings_->addItem(toQt(row));
    findings_->setCurrentRow(-1);
    findingsLabel_->setText(toQt(model::verdictOf(picture_)));
    fitLayerNames();
    canvas_->selected = -1;
    view_.resize(canvas_->width(), canvas_->height());
    view_.fit(picture_.extent);
    canvas_->update();
}

// The list of layers as wide as its longest line, so that each name shows whole with its role (KiCad's names
// run long), as long as the picture keeps most of the width.
void BoardPictureWindow::fitLayerNames() {
    int widest = 0;
    for (int row = 0; row < layers_->count(); ++row)
        widest = std::max(widest, layers_->fontMetrics().horizontalAdvance(layers_->item(row)->text()));
    const int check = layers_->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 12;
    const int frame = 2 * layers_->frameWidth() + layers_->verticalScrollBar()->sizeHint().width() + 8;
    const QList<int> sizes = board_->sizes();
    const int total = std::max(sizes.value(0) + sizes.value(1), 400);
    const int side = std::clamp(widest + check + frame, std::min(180, total / 2), total / 2);
    board_->setSizes({side, total - side});
}

void BoardPictureWindow::showFinding(int row) {
    if (row < 0 || row >= static_cast<int>(picture_.findings.size()))
        return;
    const auto& f = picture_.findings[static_cast<size_t>(row)];
    canvas_->selected = row;
    view_.showFinding(f);
    canvas_->update();
}

} // namespace fk::gui
