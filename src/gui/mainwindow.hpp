// The main window: widgets over the ui model. Eight settings fields with captions and browse buttons, the
// command buttons and the message log; everything else (settings, captions, services) is the model's.
#pragma once

#include "model/fields.hpp"
#include "model/session.hpp"
#include "model/windowplace.hpp"

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace fk::dialogs {
class Alert;
}

namespace fk::gui {

class DrillPreviewWindow;
class BoardPictureWindow;
class HelpWindow;

// A caption that reports clicks.
class Caption : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A push button that Enter presses too, not only Space.
class Button : public QPushButton {
    Q_OBJECT
  public:
    using QPushButton::QPushButton;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(std::string programDir, QWidget* parent = nullptr);
    ~MainWindow() override;

    app::Fields fields() const;
    void setFields(const app::Fields& fields);

    // Runs the job of a command button (what a press does).
    void pressCommand(int index);
    // What a click on caption `Label1(index)` (or its browse button) does.
    void clickCaption(int index);
    // Opens the help window (Help, F1).
    void openHelp();
    // Opens the drill preview ("NC1 Coord Dump") on the drill files of the fields as they are now.
    void openDrillPreview();
    void openBoardPicture();

    QWidget* field(model::Field field) const { return fields_.at(static_cast<size_t>(field)); }
    QComboBox* planes() const { return list(model::Field::planes); }
    QComboBox* smenable() const { return list(model::Field::smenable); }
    QComboBox* smswell() const { return list(model::Field::smswell); }
    QLineEdit* fnamebase() const { return text(model::Field::fnamebase); }
    QLineEdit* indatapath() const { return text(model::Field::indatapath); }
    QLineEdit* dfnpath() const { return text(model::Field::dfnpath); }
    QLineEdit* gcpvpath() const { return text(model::Field::gcpvpath); }
    QLineEdit* outdatapath() const { return text(model::Field::outdatapath); }
    QPlainTextEdit* errorbox() const { return errorbox_; }
    QLabel* writtenLine() const { return written_; }
    QPushButton* cmmd(int index) const;
    QPushButton* help() const { return help_; }
    QPushButton* browseButton(int caption) const;
    Caption* label1(int index) const { return labels_.at(static_cast<size_t>(index)); }
    HelpWindow* helpWindow() const { return helpWindow_; }
    DrillPreviewWindow* drillPreview() const { return drillPreview_; }
    BoardPictureWindow* boardPicture() const { return boardPicture_; }
    model::Session& session() { return session_; }
    const app::MessageLog& log() const { return session_.log(); }

    // Tells the user something the log cannot carry (a failed save at close); a message box by default.
    std::function<void(const QString&)> tell;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QComboBox* list(model::Field field) const;
    QLineEdit* text(model::Field field) const;
    void buildFields();
    QWidget* buildPaths();
    QWidget* buildLists();
    void buildCommands();
    void orderTabs();
    void connectServices();
    void showLog();
    bool dropOnto(model::Field field, QEvent* event);
    void restorePlace();
    void fitPlace(const model::FrameMargins& frame);

    model::Session session_;
    std::optional<model::WindowPlace> place_; // kept from the last run
    std::array<QWidget*, 8> fields_{};
    std::array<Caption*, 8> labels_{};
    std::map<int, QPushButton*> browseButtons_;
    std::map<int, QPushButton*> commands_;
    std::vector<QPushButton*> shownButtons_;
    QPushButton* help_ = nullptr;
    QPlainTextEdit* errorbox_ = nullptr;
    QLabel* written_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;
    DrillPreviewWindow* drillPreview_ = nullptr;
    BoardPictureWindow* boardPicture_ = nullptr;
    std::unique_ptr<dialogs::Alert> alert_;
};

// The window icon: a board with a flashed pad and a drill hole.
QIcon flashkitIcon();

} // namespace fk::gui
