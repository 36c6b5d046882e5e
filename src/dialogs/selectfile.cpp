#include "dialogs/selectfile.hpp"

#include "model/session.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace fk::dialogs {

QString toQt(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string fromQt(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

namespace {

constexpr int pathRole = Qt::UserRole;

QStringList drives() {
    QStringList list;
    for (const auto& d : platform::drives())
        list << toQt(d);
    return list;
}

bool matchesAny(const QString& patterns, const std::string& name) {
    for (const QString& p : patterns.split(';', Qt::SkipEmptyParts)) {
        if (platform::wildcardMatch(fromQt(p.trimmed()), name))
            return true;
    }
    return false;
}

} // namespace

SelectFile::SelectFile(QWidget* parent) : QDialog(parent) {
    setObjectName("selectfile");
    setModal(true);
    setSizeGripEnabled(true);
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
    drivelist_->addItems(drives());
    okbutton_ = new QPushButton(tr("OK"), this);
    okbutton_->setObjectName("okbutton");
    okbutton_->setDefault(true);
    cancelbutton_ = new QPushButton(tr("Cancel"), this);
    cancelbutton_->setObjectName("cancelbutton");

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
    buttons->addStretch();
    buttons->addWidget(okbutton_);
    buttons->addWidget(cancelbutton_);
    grid->addLayout(buttons, 5, 0, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(2, 1);
    resize(620, 420);

    connect(drivelist_, &QComboBox::textActivated, this, [this](const QString& drive) {
        std::string d = fromQt(drive);
        std::string cwd = platform::currentDirectory();
        setDirectory(util::equalsNoCase(cwd.substr(0, 2), d) ? cwd : d + "\\");
    });
    connect(dirlist_, &QListWidget::itemActivated, this, &SelectFile::enterDirectory);
    connect(filemask_, &QLineEdit::textChanged, this, [this](const QString& text) {
        pattern_ = text;
        refreshFiles();
    });
    // What is highlighted is what OK returns, as in the file windows users know.
    connect(filelist_, &QListWidget::itemSelectionChanged, this, [this] {
        if (!refreshing_)
            takeSelectedFiles();
    });
    connect(filelist_, &QListWidget::itemDoubleClicked, this, [this] { takeSelectedFiles(); });
    connect(okbutton_, &QPushButton::clicked, this, [this] { hide(); });
    connect(cancelbutton_, &QPushButton::clicked, this, &SelectFile::reject);
    filename_->installEventFilter(this);
    filelist_->installEventFilter(this);
    filemask_->installEventFilter(this);
}

void SelectFile::reject() {
    filename_->clear();
    QDialog::reject();
}

void SelectFile::setPattern(const QString& pattern) {
    pattern_ = pattern;
    refreshFiles();
}

void SelectFile::setDirectory(const std::string& pathText) {
    directory_ = platform::realCase(pathText);
    int drive = drivelist_->findText(toQt(directory_.substr(0, 2)), Qt::MatchFixedString);
    if (drive >= 0)
        drivelist_->setCurrentIndex(drive);
    refreshDirectories();
    refreshFiles();
    filename_->clear();
}

void SelectFile::refreshDirectories() {
    dirlist_->clear();
    // The chain from the drive's root to the browsed directory, then its subdirectories, indented.
    std::vector<std::string> chain;
    for (std::string p = directory_;; p = model::parentDirectory(p)) {
        chain.insert(chain.begin(), p);
        if (p.size() <= 3)
            break;
    }
    int depth = 0;
    for (const auto& p : chain) {
        std::string label = p.size() <= 3 ? p : p.substr(p.rfind('\\') + 1);
        auto* item =
            new QListWidgetItem(QString(depth * 2, ' ') + QStringLiteral("\u25BE ") + toQt(label), dirlist_);
        item->setData(pathRole, toQt(p));
        ++depth;
    }
    dirlist_->setCurrentRow(static_cast<int>(chain.size()) - 1);
    for (const auto& entry : platform::listDirectory(directory_)) {
        if (!entry.directory)
            continue;
        auto* item = new QListWidgetItem(
            QString(depth * 2, ' ') + QStringLiteral("\u25B8 ") + toQt(entry.name), dirlist_);
        item->setData(pathRole, toQt(model::joinChoice(directory_, {entry.name})));
    }
}

void SelectFile::refreshFiles() {
    // A new list is not a new choice: a typed name stays.
    refreshing_ = true;
    filelist_->clear();
    for (const auto& entry : platform::listDirectory(directory_)) {
        if (!entry.directory && matchesAny(pattern_, entry.name))
            filelist_->addItem(toQt(entry.name));
    }
    refreshing_ = false;
}

void SelectFile::enterDirectory(QListWidgetItem* item) {
    if (item)
        setDirectory(fromQt(item->data(pathRole).toString()));
}

void SelectFile::takeSelectedFiles() {
    QStringList names;
    for (int row = 0; row < filelist_->count(); ++row) {
        if (filelist_->item(row)->isSelected())
            names << filelist_->item(row)->text();
    }
    filename_->setPlainText(names.join('\n'));
    filecount_->setText(QString::number(names.size()));
}

std::string SelectFile::result() const {
    QString names = filename_->toPlainText();
    if (names.isEmpty())
        return {};
    std::vector<std::string> lines;
    for (const QString& line : names.split('\n'))
        lines.push_back(fromQt(line));
    return model::joinChoice(directory_, lines);
}

void SelectFile::showEvent(QShowEvent* event) {
    filemask_->blockSignals(true);
    filemask_->setText(pattern_);
    filemask_->blockSignals(false);
    QDialog::showEvent(event);
    filelist_->setFocus(); // the keyboard starts in the file list
}

bool SelectFile::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && watched == filelist_) {
            takeSelectedFiles();
            hide();
            return true;
        }
        if (enter && watched == filemask_) {
            setPattern(filemask_->text());
            return true;
        }
        if (enter && watched == filename_ && !(key->modifiers() & Qt::ShiftModifier)) {
            hide();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

model::PickOutcome showFileWindow(const app::PickRequest& request, QWidget* parent) {
    SelectFile window(parent);
    window.setPattern(toQt(request.mask));
    window.setDirectory(request.startDirectory);
    window.setWindowTitle(toQt(request.title));
    window.exec();
    return model::PickOutcome{.chosen = window.result(), .browsedDirectory = window.directory()};
}

} // namespace fk::dialogs
