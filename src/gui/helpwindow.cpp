#include "gui/helpwindow.hpp"

#include "dialogs/selectfile.hpp"
#include "model/help.hpp"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace fk::gui {

HelpWindow::HelpWindow(const std::string& programDir, QWidget* parent) : QDialog(parent) {
    setObjectName("helpwindow");
    setWindowTitle(tr("Flashkit Help"));
    page_ = new QTextBrowser(this);
    page_->setObjectName("helptext");
    page_->setOpenExternalLinks(false);
    // No HTML in the pages: a path written <like this> is text, not a tag that swallows what follows.
    page_->document()->setMarkdown(dialogs::toQt(model::helpPage(programDir)),
                                   QTextDocument::MarkdownFeatures(QTextDocument::MarkdownDialectGitHub |
                                                                   QTextDocument::MarkdownNoHTML));
    // The page went in before the cursor, which it pushed to its end: shown, the page would open there.
    page_->moveCursor(QTextCursor::Start);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* about = buttons->addButton(tr("About"), QDialogButtonBox::ActionRole);
    about->setObjectName("about");
    connect(about, &QPushButton::clicked, this,
            [this] { QMessageBox::about(this, tr("About Flashkit"), dialogs::toQt(model::aboutText())); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(page_);
    layout->addWidget(buttons);
    resize(720, 620);
}

} // namespace fk::gui
