#include "gui/drillpreview.hpp"

#include "dialogs/selectfile.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <map>

namespace fk::gui {

using dialogs::toQt;
using model::Placement;

namespace {

constexpr int margin = 12;                 // pixels between the holes and a panel's edge
constexpr double smallestSpan = 2'540'000; // 0.1 inch: a view of a single hole still has a size
constexpr double smallestRadius = 2.5;     // pixels: a hole too small to see at this scale still shows
constexpr double unsizedRadius = 3.5;      // pixels: a tool whose file states no size
constexpr size_t panelCount = 5;

// The widest drill of any file: holes at the view's edge stay whole.
double widestDrill(const model::DrillPreview& preview) {
    std::int64_t widest = 0;
    for (const auto& panel : preview.panels)
        for (const auto& tool : panel.tools)
            widest = std::max(widest, tool.diameter.value_or(0));
    return double(widest);
}

bool isOff(Placement placement) {
    return placement == Placement::Scaled || placement == Placement::Moved ||
           placement == Placement::OtherCount;
}

QColor markerColour(Placement placement) {
    if (isOff(placement) || placement == Placement::Unread)
        return QColor(170, 0, 0);
    if (placement == Placement::NoNc1)
        return QColor(90, 90, 90);
    return QColor(0, 110, 0);
}

// Nanometres to a drawing's pixels: the middle of the common view at the middle of the drawing, Y up.
struct Mapping {
    Mapping(const model::Extent& view, double pixelsPerNanometre, QSize size)
        : scale(pixelsPerNanometre), middleX((double(view.minX) + double(view.maxX)) / 2),
          middleY((double(view.minY) + double(view.maxY)) / 2),
          centre(size.width() / 2.0, size.height() / 2.0) {}
    QPointF operator()(std::int64_t x, std::int64_t y) const {
        return centre + QPointF((double(x) - middleX) * scale, (middleY - double(y)) * scale);
    }
    double scale, middleX, middleY;
    QPointF centre;
};

} // namespace

// One panel's drawing: the origin, NC1's holes as grey rings (in the derived files' panels) and the file's
// own holes at their tool's size, all at the window's one scale.
class HoleView : public QWidget {
  public:
    HoleView(const DrillPreviewWindow* window, size_t index, QWidget* parent)
        : QWidget(parent), window_(window), index_(index) {
        setMinimumSize(200, 200);
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
        const Mapping place(window_->preview().view, window_->scale(), size());
        drawOrigin(painter, place);
        if (!panel.problem.empty()) {
            painter.setPen(markerColour(Placement::Unread));
            painter.drawText(rect().adjusted(margin, margin, -margin, -margin),
                             Qt::AlignCenter | Qt::TextWordWrap, toQt(panel.problem));
            return;
        }
        if (index_ > 0 && panels[0].problem.empty())
            drawHoles(painter, place, panels[0], QPen(QColor(170, 170, 170), 1.2), Qt::NoBrush);
        const QColor fill = isOff(panel.placement) ? QColor(200, 30, 30, 200) : QColor(20, 60, 160, 200);
        drawHoles(painter, place, panel, Qt::NoPen, fill);
    }

  private:
    void drawOrigin(QPainter& painter, const Mapping& place) const {
        const QPointF origin = place(0, 0);
        painter.setPen(QPen(QColor(190, 190, 190), 1, Qt::DashLine));
        painter.drawLine(QPointF(origin.x(), 0), QPointF(origin.x(), height()));
        painter.drawLine(QPointF(0, origin.y()), QPointF(width(), origin.y()));
    }

    void drawHoles(QPainter& painter, const Mapping& place, const model::DrillPanel& panel, const QPen& pen,
                   const QBrush& brush) const {
        std::map<int, double> radius;
        for (const auto& tool : panel.tools)
            radius[tool.number] = tool.diameter
                                      ? std::max(smallestRadius, double(*tool.diameter) * place.scale / 2)
                                      : unsizedRadius;
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
    resize(1240, 640);
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
    widestDrill_ = widestDrill(preview_);
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
        QString("color: %1; font-weight: bold;").arg(markerColour(read.placement).name()));
    panel.count->setText(toQt(model::countText(read)));
    panel.extent->setText(toQt(model::extentText(read)));
    QStringList tools;
    for (const auto& line : model::toolTexts(read))
        tools << toQt(line);
    panel.tools->setText(tools.join('\n'));
    panel.view->update();
}

double DrillPreviewWindow::scale() const {
    const model::Extent& v = preview_.view;
    const double spanX = std::max(smallestSpan, double(v.maxX - v.minX)) + widestDrill_;
    const double spanY = std::max(smallestSpan, double(v.maxY - v.minY)) + widestDrill_;
    double s = std::numeric_limits<double>::max();
    for (const auto& panel : panels_) {
        const double w = std::max(1, panel.view->width() - 2 * margin);
        const double h = std::max(1, panel.view->height() - 2 * margin);
        s = std::min({s, w / spanX, h / spanY});
    }
    return s;
}

} // namespace fk::gui
