// The board picture window after "Board Check": the picked plots in their true shapes (layers switchable),
// the holes over them and the findings listed; a finding clicked is centred and zoomed on. Wheel zooms,
// dragging or the arrow keys pan; a scale bar and the pointer's coordinates. It draws the ui model's picture.
#pragma once

#include "model/boardpicture.hpp"

#include <QDialog>

class QLabel;
class QListWidget;

namespace fk::gui {

class PictureCanvas;

class BoardPictureWindow : public QDialog {
    Q_OBJECT
  public:
    explicit BoardPictureWindow(QWidget* parent = nullptr);
    // Checks the board of these fields with the plots picked (pickfile's result form) and shows it.
    void load(const app::Fields& fields, const std::string& programDir, const std::string& choice);
    const model::BoardPicture& picture() const { return picture_; }
    model::PictureView& view() { return view_; }
    QListWidget* layers() const { return layers_; }
    QListWidget* findings() const { return findings_; }
    QLabel* pointer() const { return pointer_; }
    PictureCanvas* canvas() const { return canvas_; }

  private:
    void showFinding(int row);

    model::BoardPicture picture_;
    model::PictureView view_;
    QListWidget* layers_;
    QListWidget* findings_;
    QLabel* pointer_;
    PictureCanvas* canvas_;
};

} // namespace fk::gui
