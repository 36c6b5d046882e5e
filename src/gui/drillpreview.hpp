// The drill preview window ("NC1 Coord Dump"): NC1 to NC5 side by side at one scale, each with its header as
// the machine reads it, its tools, hole count, extent and where its holes lie against NC1's. It draws what
// the ui model read; it writes nothing and leaves the log alone.
#pragma once

#include "model/drillpreview.hpp"

#include <QDialog>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;

namespace fk::gui {

class HoleView;

class DrillPreviewWindow : public QDialog {
    Q_OBJECT
  public:
    explicit DrillPreviewWindow(QWidget* parent = nullptr);
    // Reads the drill files of these fields (again) and shows them.
    void load(const app::Fields& fields);
    const model::DrillPreview& preview() const { return preview_; }
    QComboBox* rule() const { return rule_; }
    // The marker shown under panel `index` (0 is NC1).
    QLabel* marker(size_t index) const { return panels_.at(index).marker; }
    // Pixels per nanometre, the same for every panel: the smallest that fits each panel's view.
    double scale() const;

  private:
    struct Panel {
        QLabel *title, *format, *marker, *count, *extent, *tools;
        HoleView* view;
    };
    Panel buildPanel(QGridLayout* grid, int column);
    void fill(const Panel& panel, const model::DrillPanel& read);

    app::Fields fields_;
    model::DrillPreview preview_;
    QComboBox* rule_;
    std::vector<Panel> panels_;
};

} // namespace fk::gui
