#include "gui/drillpreview.hpp"

#include "dialogs/selectfile.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <map>

namespace fk::gui {

using dialogs::toQt;
using model::Placement;

namespace {

constexpr size_t panelCount = 5;

QColor qtColour(model::Rgb c, int alpha = 255) {
    return QColor(c.red, c.green, c.blue, alpha);
}

// A point to a drawing's pixels at the window's one scale.
struct Mapping {
    QPointF operator()(util::Length x, util::Length y) const {
        const model::Pixel p = model::pixelOf(preview, scale, size.width(), size.height(), x, y);
        return {p.x, p.y};
    }
    const model::DrillPreview& preview;
    double scale;
    QSize size;
};

} // namespace

// One panel's drawing: the origin, NC1's holes as grey rings (in the derived files' panels) and the file's
// own holes at their tool's size, all at the window's one scale.
class HoleView : public QWidget {
  public:
    HoleView(const DrillPreviewWindow* window, size_t index, QWidget* parent)
        : QWidget(parent), window_(window), index_(index) {
        setMinimumSize(150, 150); // five panels and their gaps fit a screen 1024 pixels wide
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(rect(), Qt::white);
        painter.setPen(QColor(200, 200, 200));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        const auto& panels = window_->preview().panels;
        if (index_ >= panels.size())
            return;
        const model::DrillPanel& panel = panels[index_];
        const Mapping place{.preview = window_->preview(), .scale = window_->scale(), .size = size()};
        drawOrigin(painter, place);
        if (!panel.problem.empty()) {
            painter.setPen(qtColour(model::markerColour(Placement::Unread)));
            const int margin = model::drawingMargin;
            painter.drawText(rect().adjusted(margin, margin, -margin, -margin),
                             Qt::AlignCenter | Qt::TextWordWrap, toQt(panel.problem));
            return;
        }
        if (index_ > 0 && panels[0].problem.empty())
            drawHoles(painter, place, panels[0], QPen(QColor(170, 170, 170), 1.2), Qt::NoBrush);
        const QColor fill =
            model::drawnOff(panel.placement) ? QColor(200, 30, 30, 200) : QColor(20, 60, 160, 200);
        drawHoles(painter, place, panel, Qt::NoPen, fill);
    }

  private:
    void drawOrigin(QPainter& painter, const Mapping& place) const {
        const QPointF origin = place(util::Length(), util::Length());
        painter.setPen(QPen(QColor(190, 190, 190), 1, Qt::DashLine));
        painter.drawLine(QPointF(origin.x(), 0), QPointF(origin.x(), height()));
        painter.drawLine(QPointF(0, origin.y()), QPointF(width(), origin.y()));
    }

    void drawHoles(QPainter& painter, const Mapping& place, const model::DrillPanel& panel, const QPen& pen,
                   const QBrush& brush) const {
        std::map<int, double> radius;
        for (const auto& tool : panel.tools)
            radius[tool.number] = model::holeRadius(tool.diameter, place.scale);
        painter.setPen(pen);
        painter.setBrush(brush);
        for (const auto& hole : panel.holes) {
            const double r = radius[hole.tool];
            painter.drawEllipse(place(hole.x, hole.y), r, r);
        }
    }

    const DrillPreviewWindow* window_;
    size_t index_;
};

DrillPreviewWindow::DrillPreviewWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("drillpreview");
    setWindowTitle(tr("Flashkit Drill Preview"));
    rule_ = new QComboBox(this);
    rule_->setObjectName("rule");
    for (auto rule : {model::UnstatedZeros::LeadingKept, model::UnstatedZeros::LeadingOmitted})
        rule_->addItem(toQt(model::ruleText(rule)));
    auto* ruleLabel = new QLabel(tr("&Header without LZ or TZ:"), this);
    ruleLabel->setBuddy(rule_);
    connect(rule_, &QComboBox::currentIndexChanged, this, [this] { load(fields_); });
    auto* top = new QHBoxLayout;
    top->addWidget(ruleLabel);
    top->addWidget(rule_, 1);
    auto* note =
        new QLabel(tr("NC1 from the input data path, NC2 to NC5 from the output data path, where a "
                      "drilling machine reading each file's header drills them, all at one scale. Grey "
                      "rings mark NC1's holes, dashed lines the origin."),
                   this);
    note->setWordWrap(true);
    // One grid, a column per file: each row (and so each drawing) has the same height in every column.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    for (size_t i = 0; i < panelCount; ++i) {
        panels_.push_back(buildPanel(grid, static_cast<int>(i)));
        grid->setColumnStretch(static_cast<int>(i), 1);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(note);
    layout->addLayout(grid, 1);
    layout->addWidget(buttons);
    // As large as a 1024 x 768 screen allows at first; the user may make it larger.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() : QSize(1000, 640);
    resize(std::min(1000, room.width()), std::min(640, room.height()));
}

DrillPreviewWindow::Panel DrillPreviewWindow::buildPanel(QGridLayout* grid, int column) {
    auto label = [&] {
        auto* l = new QLabel(this);
        l->setWordWrap(true);
        l->setTextFormat(Qt::PlainText); // a path between "<" and ">" is no tag
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    };
    Panel panel{.title = label(),
                .format = label(),
                .marker = label(),
                .count = label(),
                .extent = label(),
                .tools = label(),
                .view = new HoleView(this, static_cast<size_t>(column), this)};
    panel.title->setTextFormat(Qt::RichText);
    panel.marker->setObjectName(QString("marker_%1").arg(column + 1));
    int row = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{panel.title, panel.format, panel.view, panel.marker,
                                                      panel.count, panel.extent, panel.tools})
        grid->addWidget(w, row++, column);
    grid->setRowStretch(2, 1); // the drawings take the room
    return panel;
}

void DrillPreviewWindow::load(const app::Fields& fields) {
    fields_ = fields;
    const auto rule =
        rule_->currentIndex() == 1 ? model::UnstatedZeros::LeadingOmitted : model::UnstatedZeros::LeadingKept;
    preview_ = model::loadDrillPreview(fields_, rule);
    for (size_t i = 0; i < panels_.size() && i < preview_.panels.size(); ++i)
        fill(panels_[i], preview_.panels[i]);
}

void DrillPreviewWindow::fill(const Panel& panel, const model::DrillPanel& read) {
    const QString path = toQt(read.path);
    panel.title->setText(
        QString("<b>%1</b> %2").arg(toQt(read.name), path.mid(path.lastIndexOf('\\') + 1).toHtmlEscaped()));
    panel.title->setToolTip(path);
    panel.format->setText(toQt(model::formatText(read, preview_.rule)));
    panel.marker->setText(toQt(model::placementText(read)));
    panel.marker->setStyleSheet(
        QString("color: %1; font-weight: bold;").arg(qtColour(model::markerColour(read.placement)).name()));
    panel.count->setText(toQt(model::countText(read)));
    panel.extent->setText(toQt(model::extentText(read)));
    QStringList tools;
    for (const auto& line : model::toolTexts(read))
        tools << toQt(line);
    panel.tools->setText(tools.join('\n'));
    panel.view->update();
}

double DrillPreviewWindow::scale() const {
    int width = std::numeric_limits<int>::max(), height = width;
    for (const auto& panel : panels_) {
        width = std::min(width, panel.view->width());
        height = std::min(height, panel.view->height());
    }
    return model::drawingScale(preview_, width, height);
}

} // namespace fk::gui
