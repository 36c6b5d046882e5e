// The board picture window after "Board Check": the picked plots or the board's layers in their true shapes
// (layers switchable), the holes over them and the findings listed; a finding clicked is centred and zoomed
// on. Wheel zooms, dragging or the arrow keys pan; a scale bar and the pointer's coordinates. It draws the ui
// model's picture.
#pragma once

#include "model/boardpicture.hpp"
#include "model/session.hpp"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QSplitter;

namespace fk::gui {

class PictureCanvas;

class BoardPictureWindow : public QDialog {
    Q_OBJECT
  public:
    // The session holds the limits the row shows and changes.
    BoardPictureWindow(model::Session& session, QWidget* parent = nullptr);
    // Shows what the session's last board check handed over; "Check again" runs it with these fields.
    void load(const app::Fields& fields);
    // Called after "Check again" ran the check, whose lines are then in the session's log.
    std::function<void()> afterCheck;
    // The limits row: its fields in the order of boardcheck::limitOptions, and the check run again with them.
    const std::vector<QLineEdit*>& limitFields() const { return limits_; }
    void checkAgain();
    const model::BoardPicture& picture() const { return picture_; }
    model::PictureView& view() { return view_; }
    QListWidget* layers() const { return layers_; }
    QListWidget* findings() const { return findings_; }
    QLabel* pointer() const { return pointer_; }
    // The verdict above the findings: "12 findings", "Clean: 3 layers, 109 holes checked".
    QLabel* findingsLabel() const { return findingsLabel_; }
    PictureCanvas* canvas() const { return canvas_; }

  private:
    void showFinding(int row);
    void fitLayerNames();
    QWidget* limitsRow();
    void display(model::BoardPicture picture);

    model::Session& session_;
    app::Fields fields_;
    std::vector<QLineEdit*> limits_;

    model::BoardPicture picture_;
    model::PictureView view_;
    QListWidget* layers_;
    QListWidget* findings_;
    QLabel* findingsLabel_;
    QLabel* pointer_;
    QSplitter* board_;
    PictureCanvas* canvas_;
};

} // namespace fk::gui
