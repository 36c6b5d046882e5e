// The file selection window on Qt's widgets: it draws model::FileWindow and passes the user's events to it.
#pragma once

#include "app/context.hpp"
#include "model/filewindow.hpp"
#include "model/session.hpp"

#include <QDialog>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace fk::dialogs {

class SelectFile : public QDialog {
    Q_OBJECT
  public:
    explicit SelectFile(const app::PickRequest& request, QWidget* parent = nullptr);

    const model::FileWindow& model() const { return model_; }
    // What the window reports once closed: the choice (empty on cancel) and where the user browsed.
    model::PickOutcome outcome() const { return {.chosen = chosen_, .browsedDirectory = model_.directory()}; }

    QComboBox* drivelist() const { return drivelist_; }
    QListWidget* dirlist() const { return dirlist_; }
    QListWidget* filelist() const { return filelist_; }
    QLineEdit* filemask() const { return filemask_; }
    QPlainTextEdit* filename() const { return filename_; }
    QLineEdit* filecount() const { return filecount_; }
    QLabel* status() const { return status_; }
    QPushButton* okbutton() const { return okbutton_; }
    QPushButton* cancelbutton() const { return cancelbutton_; }
    QPushButton* boardbutton() const { return boardbutton_; }

  public slots:
    // Cancel, Escape and the frame's close control: nothing chosen.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void layOut();
    void connectEvents();
    // Runs an event on the model, then draws what changed; events the drawing itself raises are not passed.
    template <typename Event> void pass(Event event);
    void draw();
    void fillLists();
    void confirm();

    model::FileWindow model_;
    std::string chosen_;
    unsigned drawnListing_ = 0;
    bool drawing_ = false;
    QComboBox* drivelist_;
    QListWidget* dirlist_;
    QListWidget* filelist_;
    QLineEdit* filemask_;
    QPlainTextEdit* filename_;
    QLineEdit* filecount_;
    QLabel* status_;
    QPushButton* okbutton_;
    QPushButton* cancelbutton_;
    QPushButton* boardbutton_;
};

// Opens the window modally in the request's start directory (already settled) and reports the choice and
// where the user browsed to. The process's current directory stays as it was.
model::PickOutcome showFileWindow(const app::PickRequest& request, QWidget* parent = nullptr);

// Texts between the library's byte strings and Qt.
QString toQt(const std::string& text);
std::string fromQt(const QString& text);

} // namespace fk::dialogs
