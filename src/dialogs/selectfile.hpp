// The file selection window and pickfile: walk drives and directories, narrow the list by a mask, choose
// one or several files. Paths are Windows path texts.
#pragma once

#include "app/context.hpp"
#include "model/session.hpp"

#include <QDialog>
#include <string>

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;

namespace fk::dialogs {

class SelectFile : public QDialog {
    Q_OBJECT
  public:
    explicit SelectFile(QWidget* parent = nullptr);

    void setPattern(const QString& pattern);
    void setDirectory(const std::string& pathText);
    const std::string& directory() const { return directory_; }
    // The result of the window as pickfile returns it: empty, or the directory joined with the names.
    std::string result() const;

    QComboBox* drivelist() const { return drivelist_; }
    QListWidget* dirlist() const { return dirlist_; }
    QListWidget* filelist() const { return filelist_; }
    QLineEdit* filemask() const { return filemask_; }
    QPlainTextEdit* filename() const { return filename_; }
    QLineEdit* filecount() const { return filecount_; }
    QPushButton* okbutton() const { return okbutton_; }
    QPushButton* cancelbutton() const { return cancelbutton_; }

    // Puts the selected entries of the file list into the file name box (what highlighting does).
    void takeSelectedFiles();

  public slots:
    // Cancel, Escape and the frame's close control: nothing chosen.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refreshFiles();
    void refreshDirectories();
    void enterDirectory(QListWidgetItem* item);

    std::string directory_;
    bool refreshing_ = false;
    QString pattern_ = QStringLiteral("*.*");
    QComboBox* drivelist_;
    QListWidget* dirlist_;
    QListWidget* filelist_;
    QLineEdit* filemask_;
    QPlainTextEdit* filename_;
    QLineEdit* filecount_;
    QPushButton* okbutton_;
    QPushButton* cancelbutton_;
};

// Opens the window modally in the request's start directory (already settled) and reports the choice and
// where the user browsed to. The process's current directory stays as it was.
model::PickOutcome showFileWindow(const app::PickRequest& request, QWidget* parent = nullptr);

// Texts between the library's byte strings and Qt.
QString toQt(const std::string& text);
std::string fromQt(const QString& text);

} // namespace fk::dialogs
