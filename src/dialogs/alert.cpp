#include "dialogs/alert.hpp"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace fk::dialogs {

Alert::Alert(QWidget* parent) : QDialog(parent) {
    setObjectName("alert");
    setWindowTitle(QStringLiteral(" "));
    setModal(true);
    message_ = new QPlainTextEdit(this);
    message_->setObjectName("message");
    message_->setReadOnly(true);
    message_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    message_->setBackgroundRole(QPalette::Button);
    message_->viewport()->setBackgroundRole(QPalette::Button);
    ok_ = new QPushButton(tr("OK"), this);
    ok_->setObjectName("Command1_0");
    ok_->setDefault(true);
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName("Command1_1");
    respond_ = new QRadioButton(this);
    respond_->setObjectName("respond");
    respond_->setVisible(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message_);
    layout->addLayout(buttons);
    resize(420, 200);

    connect(ok_, &QPushButton::clicked, this, [this] { command1Clicked(0); });
    connect(cancel_, &QPushButton::clicked, this, [this] { command1Clicked(1); });
}

void Alert::command1Clicked(int index) {
    respond_->setChecked(index == 0);
    hide();
    done(index == 0 ? Accepted : Rejected);
}

void Alert::closeEvent(QCloseEvent* event) {
    // Closing the frame answers Cancel.
    respond_->setChecked(false);
    QDialog::closeEvent(event);
}

bool Alert::ask(const QString& text, const QString& caption) {
    message_->setPlainText(text);
    setWindowTitle(caption);
    respond_->setChecked(false);
    exec();
    return respond();
}

bool Alert::respond() const {
    return respond_->isChecked();
}

} // namespace fk::dialogs
