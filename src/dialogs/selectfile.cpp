#include "dialogs/selectfile.hpp"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

namespace fk::dialogs {

QString toQt(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string fromQt(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

SelectFile::SelectFile(const app::PickRequest& request, QWidget* parent) : QDialog(parent), model_(request) {
    setObjectName("selectfile");
    setModal(true);
    setSizeGripEnabled(true);
    setWindowTitle(toQt(request.title));
    createControls();
    layOut();
    connectEvents();
    draw();
}

void SelectFile::createControls() {
    // Created in the order Tab visits them: files on the left, then directories and drives.
    filemask_ = new QLineEdit(this);
    filemask_->setObjectName("filemask");
    filelist_ = new QListWidget(this);
    filelist_->setObjectName("filelist");
    filelist_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    filename_ = new QPlainTextEdit(this);
    filename_->setObjectName("filename");
    filename_->setTabChangesFocus(true);
    filename_->setMaximumHeight(80);
    filecount_ = new QLineEdit(this);
    filecount_->setObjectName("filecount");
    filecount_->setReadOnly(true);
    filecount_->setMaximumWidth(60);
    filecount_->setFocusPolicy(Qt::NoFocus);
    dirlist_ = new QListWidget(this);
    dirlist_->setObjectName("dirlist");
    drivelist_ = new QComboBox(this);
    drivelist_->setObjectName("drivelist");
    for (const auto& drive : model_.drives())
        drivelist_->addItem(toQt(drive));
    status_ = new QLabel(this);
    status_->setObjectName("status");
    okbutton_ = new QPushButton(tr("OK"), this);
    okbutton_->setObjectName("okbutton");
    okbutton_->setDefault(true);
    cancelbutton_ = new QPushButton(tr("Cancel"), this);
    cancelbutton_->setObjectName("cancelbutton");
    // Where a board's files are asked for, its folder is a choice too: the one highlighted, or the one shown.
    boardbutton_ = new QPushButton(tr("Board &folder"), this);
    boardbutton_->setObjectName("boardbutton");
    boardbutton_->setToolTip(tr("The folder highlighted (else the one shown) as the board's folder"));
    boardbutton_->setVisible(model_.offersBoardFolder());
}

void SelectFile::layOut() {
    // Files on the left (pattern, list, chosen names), directories and drives on the right.
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(tr("Files: "), this), 0, 0);
    grid->addWidget(new QLabel(tr("Directories:"), this), 0, 1);
    grid->addWidget(filemask_, 1, 0);
    grid->addWidget(filelist_, 2, 0);
    grid->addWidget(dirlist_, 1, 1, 2, 1);
    grid->addWidget(new QLabel(tr("File name:"), this), 3, 0);
    grid->addWidget(new QLabel(tr("Drives"), this), 3, 1);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(filename_, 1);
    nameRow->addWidget(filecount_, 0, Qt::AlignTop);
    grid->addLayout(nameRow, 4, 0);
    grid->addWidget(drivelist_, 4, 1, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(boardbutton_);
    buttons->addWidget(okbutton_);
    buttons->addWidget(cancelbutton_);
    grid->addLayout(buttons, 5, 0, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(2, 1);
    resize(620, 420);
}

template <typename Event> void SelectFile::pass(Event event) {
    if (drawing_)
        return;
    event(model_);
    draw();
}

void SelectFile::connectEvents() {
    using model::FileWindow;
    connect(drivelist_, &QComboBox::textActivated, this,
            [this](const QString& drive) { pass([&](FileWindow& m) { m.chooseDrive(fromQt(drive)); }); });
    connect(dirlist_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            pass([&](FileWindow& m) { m.highlightFolder(static_cast<size_t>(row)); });
    });
    connect(dirlist_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        pass([&](FileWindow& m) { m.highlightFolder(static_cast<size_t>(dirlist_->row(item))); });
    });
    connect(dirlist_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        pass([&](FileWindow& m) { m.openFolder(static_cast<size_t>(dirlist_->row(item))); });
    });
    connect(filemask_, &QLineEdit::textChanged, this,
            [this](const QString& text) { pass([&](FileWindow& m) { m.choosePattern(fromQt(text)); }); });
    connect(filelist_, &QListWidget::itemSelectionChanged, this, [this] {
        std::vector<size_t> rows;
        for (int row = 0; row < filelist_->count(); ++row)
            if (filelist_->item(row)->isSelected())
                rows.push_back(static_cast<size_t>(row));
        pass([&](FileWindow& m) { m.highlightFiles(rows); });
    });
    connect(filename_, &QPlainTextEdit::textChanged, this,
            [this] { pass([&](FileWindow& m) { m.typeNames(fromQt(filename_->toPlainText())); }); });
    connect(okbutton_, &QPushButton::clicked, this, &SelectFile::confirm);
    connect(boardbutton_, &QPushButton::clicked, this, [this] {
        if (auto chosen = model_.chooseBoardFolder()) {
            chosen_ = *chosen;
            accept();
        }
    });
    connect(cancelbutton_, &QPushButton::clicked, this, &SelectFile::reject);
    for (QWidget* w : {static_cast<QWidget*>(filename_), static_cast<QWidget*>(filelist_),
                       static_cast<QWidget*>(filemask_), static_cast<QWidget*>(dirlist_)})
        w->installEventFilter(this);
}

void SelectFile::fillLists() {
    dirlist_->clear();
    for (const auto& row : model_.folders()) {
        const QString mark = row.onChain ? QStringLiteral("\u25BE ") : QStringLiteral("\u25B8 ");
        dirlist_->addItem(QString(row.depth * 2, ' ') + mark + toQt(row.label));
    }
    filelist_->clear();
    for (const auto& name : model_.files())
        filelist_->addItem(toQt(name));
    drawnListing_ = model_.listing();
}

void SelectFile::draw() {
    drawing_ = true;
    if (drawnListing_ != model_.listing())
        fillLists();
    dirlist_->setCurrentRow(static_cast<int>(model_.highlightedFolder().value_or(model_.currentFolderRow())));
    const auto& highlighted = model_.highlightedFiles();
    for (int row = 0; row < filelist_->count(); ++row)
        filelist_->item(row)->setSelected(
            std::find(highlighted.begin(), highlighted.end(), static_cast<size_t>(row)) != highlighted.end());
    if (fromQt(filemask_->text()) != model_.pattern())
        filemask_->setText(toQt(model_.pattern()));
    if (fromQt(filename_->toPlainText()) != model_.names())
        filename_->setPlainText(toQt(model_.names()));
    filecount_->setText(toQt(model_.count()));
    status_->setText(toQt(model_.status()));
    drivelist_->setCurrentIndex(drivelist_->findText(toQt(model_.drive()), Qt::MatchFixedString));
    drawing_ = false;
}

void SelectFile::confirm() {
    if (auto chosen = model_.confirm()) {
        chosen_ = *chosen;
        accept();
        return;
    }
    draw();
}

void SelectFile::reject() {
    chosen_.clear();
    QDialog::reject();
}

void SelectFile::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    filelist_->setFocus(); // the keyboard starts in the file list
}

bool SelectFile::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);
    // Enter in the pattern box has applied the pattern already; in the folder list it opens the row.
    if (watched == dirlist_)
        pass([&](model::FileWindow& m) {
            m.openFolder(static_cast<size_t>(std::max(0, dirlist_->currentRow())));
        });
    else if (watched == filename_ && (key->modifiers() & Qt::ShiftModifier))
        return false; // a new line
    else if (watched != filemask_)
        confirm();
    return true;
}

model::PickOutcome showFileWindow(const app::PickRequest& request, QWidget* parent) {
    SelectFile window(request, parent);
    window.exec();
    return window.outcome();
}

} // namespace fk::dialogs
