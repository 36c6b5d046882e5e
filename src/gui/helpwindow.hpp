// The help window: what each button and field does, where the settings live, the limits and the version.
// It reads nothing and writes nothing.
#pragma once

#include <QDialog>
#include <string>

class QTextBrowser;

namespace fk::gui {

class HelpWindow : public QDialog {
    Q_OBJECT
  public:
    explicit HelpWindow(const std::string& programDir, QWidget* parent = nullptr);
    QTextBrowser* page() const { return page_; }

  private:
    QTextBrowser* page_;
};

} // namespace fk::gui
