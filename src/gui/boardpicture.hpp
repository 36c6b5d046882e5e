// The board picture window after "Board Check": the picked plots or the board's layers in their true shapes
// (layers switchable), the holes over them and the findings listed, filtered by kind; a finding clicked is
// centred and zoomed on. Wheel zooms, dragging or the arrow keys pan; a scale bar and the pointer's
// coordinates. Above, the limits row checks again with the limits typed or a profile's. It draws the ui
// model's picture.
#pragma once

#include "model/boardpicture.hpp"
#include "model/session.hpp"

#include <QDialog>

#include <functional>

class QComboBox;
class QGridLayout;
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
    // The limits row: a caption and a field per row of board::limitRows, in its order, and the check run
    // again with them; the profiles that fill every field at once.
    const std::vector<QLineEdit*>& limitFields() const { return limits_; }
    const std::vector<QLabel*>& limitCaptions() const { return limitLabels_; }
    QComboBox* profiles() const { return profiles_; }
    void checkAgain();
    const model::BoardPicture& picture() const { return picture_; }
    model::PictureView& view() { return view_; }
    QListWidget* layers() const { return layers_; }
    QListWidget* findings() const { return findings_; }
    // The filter above the findings: "All kinds", then each kind found with its count.
    QComboBox* kinds() const { return kinds_; }
    QLabel* pointer() const { return pointer_; }
    // The verdict above the findings: "12 findings", "Clean: 3 layers, 109 holes checked".
    QLabel* findingsLabel() const { return findingsLabel_; }
    // Under the verdict, what the check looked at: "Checked: holes on 2 layers, ...".
    QLabel* checkedLabel() const { return checkedLabel_; }
    PictureCanvas* canvas() const { return canvas_; }

  protected:
    void resizeEvent(QResizeEvent* e) override;

  private:
    void showFinding(int row);
    void fitLayerNames();
    QWidget* limitsRow();
    void placeLimits(int perLine);
    void fitLimits(int width);
    void chooseProfile(int index);
    std::vector<model::LimitText> typedLimits() const;
    void chooseKind(int index);
    void fillFindings();
    void display(model::BoardPicture picture);

    model::Session& session_;
    app::Fields fields_;
    std::vector<QLineEdit*> limits_;
    std::vector<QLabel*> limitLabels_;
    QGridLayout* limitGrid_;
    QLabel* unit_;
    QWidget* rowEnd_; // the profiles and "Check again", right of the fields
    int perLine_ = 0;
    QComboBox* profiles_;

    model::BoardPicture picture_;
    model::PictureView view_;
    std::vector<size_t> rows_; // the finding of each row of the list
    QListWidget* layers_;
    QListWidget* findings_;
    QComboBox* kinds_;
    QLabel* findingsLabel_;
    QLabel* checkedLabel_;
    QLabel* pointer_;
    QSplitter* board_;
    PictureCanvas* canvas_;
};

} // namespace fk::gui
