// The main window, offscreen: settings in and out, leaving a field, dispatch, help, keyboard, captions.
#include "../files.hpp"
#include "dialogs/selectfile.hpp"
#include "gui/drillpreview.hpp"
#include "gui/helpwindow.hpp"
#include "gui/mainwindow.hpp"
#include "model/help.hpp"
#include "platform/files.hpp"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

using fk::test::readBytes, fk::test::writeBytes;

class MainWindowTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    std::string programDir() const { return fk::platform::toPathText(dir_.path().toStdString()); }
    QString ini() const { return dir_.filePath("flashkit.ini"); }

  private slots:
    void init() {
        QFile::remove(ini());
        QDir(dir_.path()).rmdir("flashkit.ini");
    }

    // Catches: settings lines put into the wrong fields, or the lines after the eighth lost at close.
    void loadFillsTheFields() {
        std::string lines =
            " 2\r\n 1\r\n 10\r\nBOARD\r\nZ:\\IN\r\nZ:\\DFN\r\nZ:\\GC\r\nZ:\\OUT\r\nkeep me\r\n";
        writeBytes(ini().toStdString(), lines);
        fk::gui::MainWindow window(programDir());
        QCOMPARE(window.windowTitle(), QString("Flashkit"));
        QCOMPARE(window.planes()->currentText(), QString("External"));
        QCOMPARE(window.smenable()->currentText(), QString("Yes"));
        QCOMPARE(window.smswell()->currentText(), QString("10"));
        QCOMPARE(window.fnamebase()->text(), QString("BOARD"));
        QCOMPARE(window.outdatapath()->text(), QString("Z:\\OUT"));
        window.close();
        std::string saved = readBytes(ini().toStdString());
        QVERIFY(saved.rfind(lines, 0) == 0);
    }

    // Leaving a field tidies it as the model says (an existing directory whose name holds a dash stays as
    // typed), but not when focus only went to a popup (a context menu) or another window.
    void leavingAFieldNormalisesIt() {
        fk::gui::MainWindow window(programDir());
        const QString dashed = QString::fromStdString(programDir());
        const std::tuple<Qt::FocusReason, QString, QString> cases[] = {
            {Qt::TabFocusReason, "c:\\tango\\work\\", "C:\\TANGO\\WORK"},
            {Qt::PopupFocusReason, "c:\\half-typed\\", "c:\\half-typed\\"},
            {Qt::ActiveWindowFocusReason, "c:\\half-typed\\", "c:\\half-typed\\"},
            {Qt::MouseFocusReason, "  " + dashed, dashed},
        };
        for (const auto& [reason, typed, left] : cases) {
            window.indatapath()->setText(typed);
            QFocusEvent out(QEvent::FocusOut, reason);
            QApplication::sendEvent(window.indatapath(), &out);
            QCOMPARE(window.indatapath()->text(), left);
        }
    }

    // Buttons without a job and Help change nothing, not the log, the written-files line or a file; Help
    // opens the help window. A job's written files show under the log.
    void buttonsDispatchByIndex() {
        fk::gui::MainWindow window(programDir());
        window.fnamebase()->setText("B");
        window.indatapath()->setText(
            QString::fromStdString(fk::platform::toPathText(dir_.path().toStdString())));
        window.dfnpath()->setText(window.indatapath()->text());
        QFile dfn(dir_.filePath("PCB.DFN"));
        QVERIFY(dfn.open(QIODevice::WriteOnly));
        dfn.close();
        QTest::mouseClick(window.cmmd(10), Qt::LeftButton);
        QCOMPARE(window.writtenLine()->text(), "Written: " + window.indatapath()->text() + "\\B.DFN");
        window.indatapath()->setText("Z:\\no\\such\\dir");
        QTest::mouseClick(window.cmmd(10), Qt::LeftButton);
        const QString message("Invalid xxx.DFN destination file path, correct and re-try");
        QCOMPARE(window.errorbox()->toPlainText(), message);
        QCOMPARE(window.writtenLine()->text(), QString("No file was written."));
        const QStringList files = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden);
        for (int quiet : {5, 13, 18})
            QTest::mouseClick(window.cmmd(quiet), Qt::LeftButton);
        QTest::keyClick(window.help(), Qt::Key_Return);
        QVERIFY(window.helpWindow() && window.helpWindow()->isVisible());
        QVERIFY(window.helpWindow()->page()->toPlainText().contains("Vias >> Plane"));
        // The whole page, section by section: no path written <like this> swallows what follows it.
        const auto lost = fk::test::lostFromPage(fk::model::helpPage(programDir()),
                                                 window.helpWindow()->page()->toPlainText().toStdString());
        QVERIFY2(lost.empty(), lost.empty() ? "" : lost.front().c_str());
        QCOMPARE(window.errorbox()->toPlainText(), message);
        QCOMPARE(QString::fromStdString(window.log().text()), message);
        QCOMPARE(window.writtenLine()->text(), QString("No file was written."));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden), files);
        QVERIFY(window.cmmd(1) == nullptr);
        QVERIFY(window.cmmd(9)->toolTip().contains("v<base>.PCB"));
        QVERIFY(!window.windowIcon().isNull());
    }

    // "NC1 Coord Dump" opens the drill preview of the fields' drill files, with NC2's marker, and changes no
    // file and not the log.
    void drillPreviewTouchesNothing() {
        QDir(dir_.path()).mkpath("nc");
        writeBytes(dir_.filePath("nc/B.NC1").toStdString(), "M48\r\nINCH\r\nT1\r\nX+015000Y+005000\r\n");
        writeBytes(dir_.filePath("nc/B.NC2").toStdString(), "M48\r\nINCH,TZ\r\nT1\r\nX+01500Y+00500\r\n");
        fk::gui::MainWindow window(programDir());
        const QString nc = QString::fromStdString(programDir()) + "\\nc";
        window.fnamebase()->setText("B");
        window.indatapath()->setText(nc);
        window.outdatapath()->setText(nc);
        window.dfnpath()->setText("Z:\\no\\such\\dir");
        window.pressCommand(10); // a log to keep
        const QString log = window.errorbox()->toPlainText();
        QVERIFY(!log.isEmpty());
        const auto files = fk::test::filesBelow(dir_.path().toStdString());
        QTest::mouseClick(window.cmmd(7), Qt::LeftButton);
        QVERIFY(window.drillPreview() && window.drillPreview()->isVisible());
        QCOMPARE(
            window.drillPreview()->marker(1)->text(),
            QString("Holes 10x off NC1: at 1/10 of NC1's distances from the origin (largest offset 1.3500 "
                    "inch, hole 1, line 4)"));
        QCOMPARE(window.errorbox()->toPlainText(), log);
        QCOMPARE(QString::fromStdString(window.log().text()), log);
        QVERIFY(fk::test::filesBelow(dir_.path().toStdString()) == files);
    }

    // Tab follows the layout from the first field, each path field followed by its browse button; every
    // caption has its Alt+letter.
    void tabOrderAndMnemonics() {
        fk::gui::MainWindow window(programDir());
        QCOMPARE(window.focusWidget(), window.fnamebase());
        QStringList order;
        QWidget* w = window.fnamebase();
        for (int n = 0; n < 16; ++n, w = w->nextInFocusChain()) {
            while (!(w->focusPolicy() & Qt::TabFocus) || w->isHidden())
                w = w->nextInFocusChain();
            order << w->objectName();
        }
        QCOMPARE(order.join(' '),
                 QString("fnamebase browse_0 indatapath browse_1 dfnpath browse_2 gcpvpath "
                         "browse_3 outdatapath browse_7 planes smenable smswell cmmd_0 cmmd_2 "
                         "cmmd_3"));
        QCOMPARE(window.label1(2)->text(), QString("PCB.&DFN path"));
        for (int i = 0; i < 8; ++i) {
            QVERIFY(window.label1(i)->text().contains('&'));
            QCOMPARE(window.label1(i)->buddy(), window.field(static_cast<fk::model::Field>(i)));
        }
    }

    // A failed save at close is told in a message box; a failed load is in the log at start-up.
    void settingsProblemsAreShown() {
        QDir(dir_.path()).mkdir("flashkit.ini");
        QStringList told;
        {
            fk::gui::MainWindow window(programDir());
            QVERIFY(window.errorbox()->toPlainText().startsWith("The settings file could not be loaded"));
            window.tell = [&](const QString& m) { told << m; };
            window.close();
        }
        QDir(dir_.path()).rmdir("flashkit.ini");
        QCOMPARE(told.size(), 1);
        QVERIFY(told.front().startsWith("The settings could not be saved to:\n<"));
    }

    // The window's size comes back at the next start, from its own file beside the settings; a place kept on
    // a larger screen is pulled fully onto this one.
    void geometryIsRemembered() {
        {
            fk::gui::MainWindow window(programDir());
            window.resize(701, 502);
            window.show();
            window.close();
        }
        QVERIFY(QFile::exists(dir_.filePath("flashkit-window.ini")));
        fk::gui::MainWindow again(programDir());
        QCOMPARE(again.size(), QSize(701, 502));
        QFile kept(dir_.filePath("flashkit-window.ini"));
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.write("3000 2000 6000 5000 0\r\n");
        kept.close();
        fk::gui::MainWindow pulled(programDir());
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(area.contains(pulled.geometry()));
        // Kept from the top of a larger screen, its inside leaves room for the title bar above it.
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.write("0 0 1280 1024 0\r\n");
        kept.close();
        fk::gui::MainWindow titled(programDir());
        QVERIFY(area.contains(titled.geometry()));
        QVERIFY(titled.geometry().top() - area.top() >= titled.fontMetrics().height());
    }

    // Captions and their buttons browse; a file dropped onto a path field fills it the same way; a job
    // runs under the busy cursor.
    void captionsBrowseAndDrops() {
        fk::gui::MainWindow window(programDir());
        std::vector<fk::app::PickRequest> requests;
        std::string answer = "Z:\\work\\Board.pcb";
        window.session().fileWindow = [&](const fk::app::PickRequest& r) {
            requests.push_back(r);
            return fk::model::PickOutcome{.chosen = answer, .browsedDirectory = ""};
        };
        window.clickCaption(0);
        QCOMPARE(window.fnamebase()->text(), QString("BOARD"));
        QCOMPARE(window.indatapath()->text(), QString("Z:\\WORK"));
        QTest::mouseClick(window.browseButton(7), Qt::LeftButton);
        QCOMPARE(window.outdatapath()->text(), QString("Z:\\WORK"));

        window.show();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(dir_.filePath("flashkit.ini"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.dfnpath(), &enter); // the drop goes where the drag entered
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.dfnpath(), &drop);
        // The temporary folder's name holds a dash: shown as the disk names it, not upper-cased.
        QCOMPARE(window.dfnpath()->text(), QString::fromStdString(programDir()));

        Qt::CursorShape during = Qt::ArrowCursor;
        window.session().beep = [&] { during = QApplication::overrideCursor()->shape(); };
        window.pressCommand(10);
        QCOMPARE(during, Qt::WaitCursor);
        QVERIFY(!QApplication::overrideCursor());
    }

    // Catches a log shown from its top when the job's outcome stands at its end ("[Fab Export completed]"
    // below the box), or scrolled sideways to the end of a long line: the view's position is read, not only
    // the text. "PCB >> Aperture" writes newest on top, and its top stays in view. The help opens at its top.
    void logAndHelpShowTheirNewestAndTop() {
        QTemporaryDir work;
        const std::filesystem::path examples(FLASHKIT_EXAMPLES);
        fk::test::copyFilesOf(examples / "fab", work.path().toStdString());
        const std::string in = fk::platform::toPathText(work.path().toStdString());
        fk::gui::MainWindow window(in);
        window.resize(700, 480);
        window.show();
        window.errorbox()->setMaximumWidth(360); // narrower than the log's longest line
        window.fnamebase()->setText("BOARD");
        for (QLineEdit* path : {window.indatapath(), window.dfnpath(), window.outdatapath()})
            path->setText(QString::fromStdString(in));
        window.session().fileWindow = [&](const fk::app::PickRequest&) {
            return fk::model::PickOutcome{.chosen = in + "\\TOP.GBR ,PLANE.GBR ,OUTLINE.GBR",
                                          .browsedDirectory = in};
        };
        window.session().tableWindow = [](fk::app::TableRequest&) { return true; };
        window.pressCommand(3);
        QVERIFY(window.errorbox()->toPlainText().endsWith("[Fab Export completed]"));
        const QScrollBar* down = window.errorbox()->verticalScrollBar();
        const QScrollBar* across = window.errorbox()->horizontalScrollBar();
        QVERIFY(down->maximum() > 0 && across->maximum() > 0); // more lines than the box, and a long one
        QCOMPARE(down->value(), down->maximum());
        QCOMPARE(across->value(), 0);
        across = nullptr;
        window.errorbox()->horizontalScrollBar()->setValue(40); // where a user left it
        fk::test::copyFilesOf(examples, work.filePath("design").toStdString());
        window.indatapath()->setText(QString::fromStdString(in + "\\design"));
        window.dfnpath()->setText(window.indatapath()->text());
        window.pressCommand(0);
        QVERIFY(window.errorbox()->toPlainText().startsWith("[Aperture processing completed successfully]"));
        QCOMPARE(down->value(), down->minimum());
        QCOMPARE(window.errorbox()->horizontalScrollBar()->value(), 0);

        for (int open = 0; open < 2; ++open) {
            window.openHelp();
            const QScrollBar* page = window.helpWindow()->page()->verticalScrollBar();
            QVERIFY(page->maximum() > 0);
            QCOMPARE(page->value(), 0);
            window.helpWindow()->close();
        }
    }

    // Browsing in the real file window, even cancelled, leaves the current directory and so what a
    // relative path in a field means.
    void browsingKeepsRelativePaths() {
        fk::gui::MainWindow window(programDir());
        window.indatapath()->setText(".");
        const std::string before = fk::platform::currentDirectory();
        QTimer::singleShot(0, [this] {
            auto* w = qobject_cast<fk::dialogs::SelectFile*>(QApplication::activeModalWidget());
            QVERIFY(w);
            emit w->dirlist()->itemActivated(w->dirlist()->item(0)); // the drive's root
            QTest::mouseClick(w->cancelbutton(), Qt::LeftButton);
        });
        window.clickCaption(1);
        QCOMPARE(fk::platform::currentDirectory(), before);
        QCOMPARE(window.indatapath()->text(), QString("."));
    }
};
QTEST_MAIN(MainWindowTest)
#include "test_mainwindow.moc"
