#include "gui/mainwindow.hpp"

#include "app/dispatch.hpp"
#include "dialogs/alert.hpp"
#include "dialogs/selectfile.hpp"
#include "util/text.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <iostream>

namespace fk::gui {

using dialogs::fromQt;
using dialogs::toQt;

void Caption::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->pos()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

namespace {

const char* const captions[8] = {"File base name", "Input data path", "PCB.DFN path", "GC Prevue path",
                                 "Plane type",     "Solder mask",     "Mask swell",   "Output data path"};

QComboBox* makeList(QWidget* parent, const char* name, const QStringList& items) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(items);
    return list;
}

QLineEdit* makeText(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMinimumWidth(320);
    return edit;
}

int indexOf(const QComboBox* list) {
    return list->currentIndex();
}

void selectIndex(QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : 0);
}

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

} // namespace

MainWindow::MainWindow(std::string programDir, QWidget* parent)
    : QWidget(parent), programDir_(std::move(programDir)), settings_(programDir_) {
    setObjectName("main");
    setWindowTitle("Flashkit");
    buildFields();
    buildCommands();
    log_.onRefresh = [this] { showLog(); };
    pickService = [this](const app::PickRequest& request) {
        return dialogs::pickfile(request, programDir_, this);
    };
    confirmService = [this](const std::string& message, const std::string& caption) {
        if (!alert_)
            alert_ = std::make_unique<dialogs::Alert>(this);
        return alert_->ask(toQt(message), toQt(caption));
    };
    loadSettings();
    resize(760, 560);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildFields() {
    planes_ = makeList(this, "planes", {"None", "Internal", "External"});
    smenable_ = makeList(this, "smenable", {"No", "Yes"});
    QStringList swells;
    for (int i = 0; i <= 10; ++i)
        swells << QString::number(i);
    smswell_ = makeList(this, "smswell", swells);
    fnamebase_ = makeText(this, "fnamebase");
    indatapath_ = makeText(this, "indatapath");
    dfnpath_ = makeText(this, "dfnpath");
    gcpvpath_ = makeText(this, "gcpvpath");
    outdatapath_ = makeText(this, "outdatapath");
    for (QLineEdit* edit : {fnamebase_, indatapath_, dfnpath_, gcpvpath_, outdatapath_})
        edit->installEventFilter(this);

    for (int i = 0; i < 8; ++i) {
        auto* caption = new Caption(tr(captions[i]), this);
        caption->setObjectName(QString("Label1_%1").arg(i));
        if (i <= 3 || i == 7) {
            caption->setCursor(Qt::PointingHandCursor);
            caption->setToolTip(tr("Click to browse"));
            caption->setStyleSheet("color: palette(link); text-decoration: underline;");
        }
        connect(caption, &Caption::clicked, this, [this, i] { clickCaption(i); });
        labels_[static_cast<size_t>(i)] = caption;
    }
}

void MainWindow::buildCommands() {
    auto* paths = new QGroupBox(tr("Files and paths"), this);
    auto* pathForm = new QFormLayout(paths);
    pathForm->addRow(labels_[0], fnamebase_);
    pathForm->addRow(labels_[1], indatapath_);
    pathForm->addRow(labels_[2], dfnpath_);
    pathForm->addRow(labels_[3], gcpvpath_);
    pathForm->addRow(labels_[7], outdatapath_);
    auto* options = new QGroupBox(tr("Apertures"), this);
    auto* optionForm = new QFormLayout(options);
    optionForm->addRow(labels_[4], planes_);
    optionForm->addRow(labels_[5], smenable_);
    optionForm->addRow(labels_[6], smswell_);
    auto* top = new QHBoxLayout;
    top->addWidget(paths, 3);
    top->addWidget(options, 1);

    auto* buttons = new QGridLayout;
    int shown = 0;
    for (const auto& command : app::commands()) {
        auto* button = new QPushButton(tr(command.caption), this);
        button->setObjectName(QString("cmmd_%1").arg(command.index));
        commands_[command.index] = button;
        connect(button, &QPushButton::clicked, this, [this, i = command.index] { pressCommand(i); });
        if (*command.caption == '\0') {
            button->setVisible(false); // part of the button array, without a caption and without a job
            continue;
        }
        buttons->addWidget(button, shown / 5, shown % 5);
        ++shown;
    }
    help_ = new QPushButton(tr("Help"), this);
    help_->setObjectName("help");
    buttons->addWidget(help_, shown / 5, shown % 5);

    errorbox_ = new QPlainTextEdit(this);
    errorbox_->setObjectName("errorbox");
    errorbox_->setReadOnly(true);
    errorbox_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    errorbox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    errorbox_->setTabStopDistance(8 * errorbox_->fontMetrics().horizontalAdvance(' '));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->addWidget(errorbox_, 1);
}

QPushButton* MainWindow::cmmd(int index) const {
    auto it = commands_.find(index);
    return it == commands_.end() ? nullptr : it->second;
}

void MainWindow::loadSettings() {
    auto problem = settings_.settingsfile("load");
    setFields(settings_.fields());
    if (problem) {
        log_.show(*problem);
        showLog();
    }
}

app::Fields MainWindow::fields() const {
    app::Fields f;
    f.planes = indexOf(planes_);
    f.smenable = indexOf(smenable_);
    f.smswell = indexOf(smswell_);
    f.fnamebase = fromQt(fnamebase_->text());
    f.indatapath = fromQt(indatapath_->text());
    f.dfnpath = fromQt(dfnpath_->text());
    f.gcpvpath = fromQt(gcpvpath_->text());
    f.outdatapath = fromQt(outdatapath_->text());
    return f;
}

void MainWindow::setFields(const app::Fields& f) {
    selectIndex(planes_, f.planes);
    selectIndex(smenable_, f.smenable);
    selectIndex(smswell_, f.smswell);
    fnamebase_->setText(toQt(f.fnamebase));
    indatapath_->setText(toQt(f.indatapath));
    dfnpath_->setText(toQt(f.dfnpath));
    gcpvpath_->setText(toQt(f.gcpvpath));
    outdatapath_->setText(toQt(f.outdatapath));
}

void MainWindow::showLog() {
    errorbox_->setPlainText(forDisplay(log_.text()));
    errorbox_->repaint();
}

void MainWindow::pressCommand(int index) {
    app::JobContext context;
    context.fields = fields();
    context.programDir = programDir_;
    context.services.log = &log_;
    context.services.pickfile = pickService;
    context.services.confirm = confirmService;
    context.services.beep = [] { QApplication::beep(); };
    app::dispatch(index, context);
    showLog();
}

void MainWindow::clickCaption(int index) {
    struct Browse {
        QLineEdit* start;
        QLineEdit* target;
        const char* mask;
        const char* title;
        int mode;
    };
    const char* const anyFile = "Select any file in target directory...";
    std::map<int, Browse> browse{{0, {indatapath_, fnamebase_, "*.pcb", "Select file to process...", 1}},
                                 {1, {indatapath_, indatapath_, "*.*", anyFile, 3}},
                                 {2, {dfnpath_, dfnpath_, "*.*", anyFile, 3}},
                                 {3, {gcpvpath_, gcpvpath_, "*.*", anyFile, 3}},
                                 {7, {outdatapath_, outdatapath_, "*.*", anyFile, 3}}};
    auto it = browse.find(index);
    if (it == browse.end())
        return;
    const Browse& b = it->second;
    std::string chosen = pickService({"", b.mask, fromQt(b.start->text()), b.title});
    std::string part = util::upper(util::splitname(chosen, b.mode));
    if (!part.empty())
        b.target->setText(toQt(part));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == fnamebase_)
            fnamebase_->setText(toQt(util::splitname(fromQt(fnamebase_->text()), 1)));
        else if (auto* edit = qobject_cast<QLineEdit*>(watched))
            edit->setText(toQt(util::cleanpath(fromQt(edit->text()))));
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    settings_.setFields(fields());
    if (auto problem = settings_.settingsfile("save")) {
        log_.show(*problem);
        showLog();
        std::cerr << fromQt(forDisplay(*problem)) << "\n";
    }
    event->accept();
}

} // namespace fk::gui
