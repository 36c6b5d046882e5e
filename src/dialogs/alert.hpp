// The OK/Cancel prompt window. It stays loaded between prompts; `respond` keeps the last answer.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace fk::dialogs {

class Alert : public QDialog {
    Q_OBJECT
  public:
    explicit Alert(QWidget* parent = nullptr);

    // Shows the prompt modally; true after OK, false after Cancel or closing the frame.
    bool ask(const QString& message, const QString& caption = QStringLiteral(" "));
    bool respond() const;

    QPlainTextEdit* message() const { return message_; }
    QPushButton* command1(int index) const { return index == 0 ? ok_ : cancel_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void command1Clicked(int index);
    QPlainTextEdit* message_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QRadioButton* respond_;
};

} // namespace fk::dialogs
