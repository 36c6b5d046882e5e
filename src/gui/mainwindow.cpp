#include "gui/mainwindow.hpp"

#include "dialogs/alert.hpp"
#include "dialogs/selectfile.hpp"
#include "dialogs/tablewindow.hpp"
#include "gui/boardpicture.hpp"
#include "gui/drillpreview.hpp"
#include "gui/helpwindow.hpp"
#include "model/boardpicture.hpp"
#include "model/buttons.hpp"
#include "model/columns.hpp"
#include "model/drillpreview.hpp"
#include "model/session.hpp"
#include "model/windowplace.hpp"
#include "platform/files.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStringList>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace fk::gui {

using dialogs::fromQt;
using dialogs::toQt;
using model::Field;

void Caption::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->pos()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void Button::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        click();
    else
        QPushButton::keyPressEvent(event);
}

namespace {

// The log's tab stop, in characters: every job's summaries line up on it ("Bad polygons removed:" and
// "Modified polygons:" at 30, "Set Tango's Output-CAM Language to:" and its four-tab lines at 40).
constexpr int logTabStop = 10;

// The log's CR LF line breaks as the text box shows them.
QString forDisplay(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        shown.push_back(text[i]);
    }
    return toQt(shown);
}

// Focus that moves to a popup (a context menu, a completer) or away from the window has not left the field.
bool leavesField(const QFocusEvent* event) {
    auto reason = event->reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
           reason != Qt::MenuBarFocusReason;
}

// While a job runs the pointer is busy, except over the windows that wait for the user.
struct OverrideCursor {
    explicit OverrideCursor(Qt::CursorShape shape) { QApplication::setOverrideCursor(shape); }
    ~OverrideCursor() { QApplication::restoreOverrideCursor(); }
    OverrideCursor(const OverrideCursor&) = delete;
    OverrideCursor& operator=(const OverrideCursor&) = delete;
};

} // namespace

MainWindow::MainWindow(std::string programDir, QWidget* parent)
    : QWidget(parent), session_(std::move(programDir)) {
    setObjectName("main");
    setWindowTitle("Flashkit");
    setWindowIcon(flashkitIcon());
    buildFields();
    buildCommands();
    orderTabs();
    connectServices();
    session_.log().onRefresh = [this] { showLog(); };
    setFields(session_.start());
    showLog();
    tell = [this](const QString& message) { QMessageBox::warning(this, "Flashkit", message); };
    auto* helpKey = new QShortcut(QKeySequence::HelpContents, this);
    connect(helpKey, &QShortcut::activated, this, &MainWindow::openHelp);
    restorePlace();
    fnamebase()->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildFields() {
    for (const auto& info : model::fieldSpecs()) {
        const auto i = static_cast<size_t>(info.field);
        if (model::isList(info.field)) {
            auto* list = new QComboBox(this);
            for (const char* entry : info.entries)
                list->addItem(entry);
            fields_[i] = list;
        } else {
            auto* edit = new QLineEdit(this);
            edit->setMinimumWidth(320);
            edit->installEventFilter(this);
            fields_[i] = edit;
        }
        fields_[i]->setObjectName(info.name);
        auto* caption = new Caption(toQt(model::markedCaption(info)), this);
        caption->setObjectName(QString("Label1_%1").arg(i));
        caption->setBuddy(fields_[i]);
        labels_[i] = caption;
        auto browse = model::browseFor(static_cast<int>(i));
        if (!browse)
            continue;
        caption->setCursor(Qt::PointingHandCursor);
        caption->setToolTip(tr("Click to browse; Alt+%1 goes to the field").arg(QChar(info.mnemonic)));
        // Link-coloured, not underlined as a whole, so that the underlined letter of Alt stays visible.
        caption->setStyleSheet("color: palette(link);");
        connect(caption, &Caption::clicked, this, [this, i] { clickCaption(static_cast<int>(i)); });
        auto* button = new Button(QStringLiteral("..."), this);
        button->setObjectName(QString("browse_%1").arg(i));
        button->setToolTip(toQt(browse->title));
        button->setFixedWidth(button->fontMetrics().horizontalAdvance("....") + 12);
        connect(button, &QPushButton::clicked, this, [this, i] { clickCaption(static_cast<int>(i)); });
        browseButtons_[static_cast<int>(i)] = button;
    }
}

QWidget* MainWindow::buildPaths() {
    auto* box = new QGroupBox(tr("Files and paths"), this);
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (Field f : model::layoutOrder()) {
        if (model::isList(f))
            continue;
        const int i = static_cast<int>(f);
        grid->addWidget(label1(i), row, 0);
        grid->addWidget(field(f), row, 1);
        grid->addWidget(browseButton(i), row, 2);
        ++row;
    }
    return box;
}

QWidget* MainWindow::buildLists() {
    auto* box = new QGroupBox(tr("Apertures"), this);
    auto* form = new QFormLayout(box);
    for (Field f : model::layoutOrder()) {
        if (model::isList(f))
            form->addRow(label1(static_cast<int>(f)), field(f));
    }
    return box;
}

void MainWindow::buildCommands() {
    auto* top = new QHBoxLayout;
    top->addWidget(buildPaths(), 3);
    top->addWidget(buildLists(), 1);

    auto* buttons = new QGridLayout;
    for (const auto& command : model::commands()) {
        auto* button = new Button(command.caption, this);
        button->setObjectName(QString("cmmd_%1").arg(command.index));
        button->setToolTip(toQt(command.files));
        commands_[command.index] = button;
        connect(button, &QPushButton::clicked, this, [this, i = command.index] { pressCommand(i); });
        if (*command.caption == '\0') {
            button->setVisible(false); // part of the button array, without a caption and without a job
            continue;
        }
        shownButtons_.push_back(button);
    }
    help_ = new Button(tr("Help"), this);
    help_->setObjectName("help");
    help_->setToolTip(tr("What each button and field does, and the program's limits (F1)"));
    connect(help_, &QPushButton::clicked, this, &MainWindow::openHelp);
    shownButtons_.push_back(help_);
    for (size_t n = 0; n < shownButtons_.size(); ++n)
        buttons->addWidget(shownButtons_[n], static_cast<int>(n / 5), static_cast<int>(n % 5));

    errorbox_ = new QPlainTextEdit(this);
    errorbox_->setObjectName("errorbox");
    errorbox_->setReadOnly(true);
    errorbox_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    errorbox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    errorbox_->setTabStopDistance(logTabStop * errorbox_->fontMetrics().horizontalAdvance(' '));

    // Which files the last job wrote and where, on a line of its own: the log keeps the job's own text.
    written_ = new QLabel(this);
    written_->setObjectName("written");
    written_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    written_->setSizePolicy(QSizePolicy::Ignored,
                            QSizePolicy::Preferred); // a long list never widens the window

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->addWidget(errorbox_, 1);
    layout->addWidget(written_);
}

void MainWindow::orderTabs() {
    std::vector<QWidget*> chain;
    for (Field f : model::layoutOrder()) {
        chain.push_back(field(f));
        if (auto* browse = browseButton(static_cast<int>(f)))
            chain.push_back(browse);
    }
    chain.insert(chain.end(), shownButtons_.begin(), shownButtons_.end());
    chain.push_back(errorbox_);
    for (size_t n = 1; n < chain.size(); ++n)
        QWidget::setTabOrder(chain[n - 1], chain[n]);
}

void MainWindow::connectServices() {
    session_.fileWindow = [this](const app::PickRequest& request) {
        OverrideCursor arrow(Qt::ArrowCursor);
        return dialogs::showFileWindow(request, this);
    };
    session_.confirm = [this](const std::string& message, const std::string& caption) {
        OverrideCursor arrow(Qt::ArrowCursor);
        if (!alert_)
            alert_ = std::make_unique<dialogs::Alert>(this);
        return alert_->ask(toQt(message), toQt(caption));
    };
    session_.beep = [] { QApplication::beep(); };
    session_.tableWindow = [this](app::TableRequest& request) {
        OverrideCursor arrow(Qt::ArrowCursor);
        return dialogs::showTableWindow(request, this);
    };
}

QComboBox* MainWindow::list(Field f) const {
    return static_cast<QComboBox*>(field(f));
}

QLineEdit* MainWindow::text(Field f) const {
    return static_cast<QLineEdit*>(field(f));
}

QPushButton* MainWindow::cmmd(int index) const {
    auto it = commands_.find(index);
    return it == commands_.end() ? nullptr : it->second;
}

QPushButton* MainWindow::browseButton(int caption) const {
    auto it = browseButtons_.find(caption);
    return it == browseButtons_.end() ? nullptr : it->second;
}

app::Fields MainWindow::fields() const {
    app::Fields f;
    for (const auto& info : model::fieldSpecs()) {
        if (model::isList(info.field))
            model::indexOf(f, info.field) = list(info.field)->currentIndex();
        else
            model::textOf(f, info.field) = fromQt(text(info.field)->text());
    }
    return f;
}

void MainWindow::setFields(const app::Fields& values) {
    app::Fields f = values;
    for (const auto& info : model::fieldSpecs()) {
        if (model::isList(info.field)) {
            const int index = model::indexOf(f, info.field);
            list(info.field)->setCurrentIndex(index >= 0 && index < list(info.field)->count() ? index : 0);
        } else {
            text(info.field)->setText(toQt(model::textOf(f, info.field)));
        }
    }
}

void MainWindow::showLog() {
    errorbox_->setPlainText(forDisplay(model::logInColumns(session_.log().text())));
    // The newest line in view (the job's outcome, on top where the job puts it there), each line from its
    // start: a long line must not scroll the others' beginnings out of sight.
    QScrollBar* down = errorbox_->verticalScrollBar();
    down->setValue(session_.log().newestOnTop() ? down->minimum() : down->maximum());
    errorbox_->horizontalScrollBar()->setValue(0);
    errorbox_->repaint();
}

void MainWindow::pressCommand(int index) {
    OverrideCursor busy(Qt::WaitCursor);
    if (index == model::drillPreviewButton) // a window of its own, not a job: the log stays as it is
        return openDrillPreview();
    if (const auto result = session_.press(index, fields())) {
        if (index == model::boardCheckButton && *result != app::JobResult::Stopped)
            openBoardPicture(); // the board the check read, drawn with its findings
        const auto& written = session_.log().written();
        written_->setText(toQt(model::writtenSummary(written)));
        QStringList paths;
        for (const auto& path : written)
            paths << toQt(path);
        written_->setToolTip(paths.join('\n'));
    }
    showLog();
}

void MainWindow::clickCaption(int index) {
    app::Fields f = fields();
    if (session_.browse(index, f))
        setFields(f);
}

void MainWindow::openHelp() {
    if (!helpWindow_)
        helpWindow_ = new HelpWindow(session_.programDir(), this);
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void MainWindow::openDrillPreview() {
    if (!drillPreview_)
        drillPreview_ = new DrillPreviewWindow(this);
    drillPreview_->load(fields());
    drillPreview_->show();
    drillPreview_->raise();
    drillPreview_->activateWindow();
}

void MainWindow::openBoardPicture() {
    if (!boardPicture_) {
        boardPicture_ = new BoardPictureWindow(session_, this);
        boardPicture_->afterCheck = [this] { showLog(); };
    }
    boardPicture_->show();
    boardPicture_->load(fields());
    boardPicture_->raise();
    boardPicture_->activateWindow();
}

bool MainWindow::dropOnto(Field f, QEvent* event) {
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* mime = drop->mimeData();
    if (!mime->hasUrls() || !mime->urls().front().isLocalFile())
        return false;
    if (event->type() == QEvent::Drop) {
        const QString local = mime->urls().front().toLocalFile();
        app::Fields all = fields();
        if (model::dropInto(f, platform::toPathText(local.toStdString()), QFileInfo(local).isDir(), all))
            setFields(all);
    }
    drop->acceptProposedAction();
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    for (const auto& info : model::fieldSpecs()) {
        if (watched != field(info.field))
            continue;
        QLineEdit* edit = text(info.field);
        switch (event->type()) {
        case QEvent::FocusOut:
            if (leavesField(static_cast<QFocusEvent*>(event)))
                edit->setText(toQt(model::leaveField(info.field, fromQt(edit->text()))));
            break;
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            if (dropOnto(info.field, event))
                return true;
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The place kept from the last run (the window's inside), pulled fully onto the screen it falls on (the
// nearest one otherwise) with its frame. Before the window is shown its frame is not known: a title bar and
// borders of the style's size stand for it, and the real frame, once shown, fits it again.
void MainWindow::restorePlace() {
    resize(780, 560);
    place_ = model::loadWindowPlace(session_.programDir(), model::qtWindowPlaceFile);
    if (!place_)
        return;
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    fitPlace({.left = border,
              .top = std::max(style()->pixelMetric(QStyle::PM_TitleBarHeight), 2 * fontMetrics().height()) +
                     border,
              .right = border,
              .bottom = border});
    if (place_->maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::fitPlace(const model::FrameMargins& frame) {
    const QRect kept(QPoint(place_->left, place_->top), QPoint(place_->right - 1, place_->bottom - 1));
    const QScreen* screen = QGuiApplication::screenAt(kept.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const model::WindowPlace fitted = model::fitOnto(
        *place_,
        {.left = area.left(), .top = area.top(), .right = area.right() + 1, .bottom = area.bottom() + 1},
        frame);
    setGeometry(QRect(QPoint(fitted.left, fitted.top), QPoint(fitted.right - 1, fitted.bottom - 1)));
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The frame the window manager gave is known once the window is shown: a kept place fitted with a
    // smaller guess is fitted again with it.
    QTimer::singleShot(0, this, [this] {
        if (!place_ || isMaximized())
            return;
        const QRect frame = frameGeometry(), inside = geometry();
        const QScreen* at = screen();
        if (frame == inside || !at || at->availableGeometry().contains(frame))
            return;
        fitPlace({.left = inside.left() - frame.left(),
                  .top = inside.top() - frame.top(),
                  .right = frame.right() - inside.right(),
                  .bottom = frame.bottom() - inside.bottom()});
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    // Not kept is no loss worth a message: the window opens in its default place.
    model::saveWindowPlace(session_.programDir(), model::qtWindowPlaceFile,
                           {.left = normal.left(),
                            .top = normal.top(),
                            .right = normal.right() + 1,
                            .bottom = normal.bottom() + 1,
                            .maximized = isMaximized()});
    if (auto problem = session_.close(fields()))
        tell(forDisplay(*problem));
    event->accept();
}

} // namespace fk::gui
