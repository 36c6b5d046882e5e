// The main window: eight settings fields with clickable captions, the command buttons and the message log.
#pragma once

#include "app/context.hpp"
#include "app/messagelog.hpp"
#include "app/settings.hpp"

#include <QLabel>
#include <QWidget>
#include <array>
#include <map>
#include <memory>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace fk::dialogs {
class Alert;
}

namespace fk::gui {

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

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(std::string programDir, QWidget* parent = nullptr);
    ~MainWindow() override;

    app::Fields fields() const;
    void setFields(const app::Fields& fields);

    // Runs the job of a command button (what a press does).
    void pressCommand(int index);
    // What a click on caption `Label1(index)` does.
    void clickCaption(int index);

    QComboBox* planes() const { return planes_; }
    QComboBox* smenable() const { return smenable_; }
    QComboBox* smswell() const { return smswell_; }
    QLineEdit* fnamebase() const { return fnamebase_; }
    QLineEdit* indatapath() const { return indatapath_; }
    QLineEdit* dfnpath() const { return dfnpath_; }
    QLineEdit* gcpvpath() const { return gcpvpath_; }
    QLineEdit* outdatapath() const { return outdatapath_; }
    QPlainTextEdit* errorbox() const { return errorbox_; }
    QPushButton* cmmd(int index) const;
    Caption* label1(int index) const { return labels_.at(static_cast<size_t>(index)); }
    const app::MessageLog& log() const { return log_; }

    // Replaceable services, so that tests can answer the file selection and the prompt.
    std::function<std::string(const app::PickRequest&)> pickService;
    std::function<bool(const std::string&, const std::string&)> confirmService;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildFields();
    void buildCommands();
    void loadSettings();
    void showLog();

    std::string programDir_;
    app::SettingsTable settings_;
    app::MessageLog log_;
    QComboBox *planes_, *smenable_, *smswell_;
    QLineEdit *fnamebase_, *indatapath_, *dfnpath_, *gcpvpath_, *outdatapath_;
    QPlainTextEdit* errorbox_;
    std::array<Caption*, 8> labels_{};
    std::map<int, QPushButton*> commands_;
    QPushButton* help_;
    std::unique_ptr<dialogs::Alert> alert_;
};

} // namespace fk::gui
