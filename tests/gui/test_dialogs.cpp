// The file selection and alert windows, offscreen.
#include "dialogs/alert.hpp"
#include "dialogs/selectfile.hpp"
#include "dialogs/tablewindow.hpp"
#include "platform/files.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <fstream>

using fk::dialogs::SelectFile;

class DialogsTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    std::string work() const { return fk::platform::toPathText(dir_.filePath("Work").toStdString()); }

    static void selectRows(QListWidget* list, std::initializer_list<int> rows) {
        for (int row : rows)
            list->item(row)->setSelected(true);
    }

  private slots:
    void initTestCase() {
        std::filesystem::create_directories(dir_.filePath("Work/Sub").toStdString());
        for (const char* name : {"A.GBR", "B.GBR", "C.TXT", ".hidden.GBR"})
            std::ofstream(dir_.filePath(QString("Work/") + name).toStdString()) << "x";
    }

    // The window draws the model (lists, names, count, pattern, status line) and passes its events in: a
    // highlight, a pattern, a typed folder and Enter, and Enter with nothing chosen, which keeps it open.
    void drawsTheModelAndPassesEvents() {
        SelectFile window({"*.*", work(), "Title"});
        QCOMPARE(window.windowTitle(), QString("Title"));
        QCOMPARE(window.filelist()->count(), 3);
        QVERIFY(window.dirlist()->item(window.dirlist()->count() - 1)->text().endsWith("Sub"));
        selectRows(window.filelist(), {0, 2});
        QCOMPARE(window.filename()->toPlainText(), QString("A.GBR\nC.TXT"));
        QCOMPARE(window.filecount()->text(), QString("2"));
        window.filemask()->setText("*.txt");
        QCOMPARE(window.filelist()->count(), 1);
        QTest::keyClick(window.filemask(), Qt::Key_Return);
        QCOMPARE(window.filemask()->nextInFocusChain(), window.filelist()); // Tab goes on to the list
        window.filename()->setPlainText("Sub");
        QTest::keyClick(window.filename(), Qt::Key_Return);
        QCOMPARE(QString::fromStdString(window.model().directory()),
                 QString::fromStdString(work() + "\\Sub"));
        QCOMPARE(window.filename()->toPlainText(), QString());
        QTest::keyClick(window.filelist(), Qt::Key_Return);
        QCOMPARE(window.status()->text(), QString("No file chosen: highlight one or type its name."));
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(window.outcome().chosen.empty());
    }

    // Highlighted files are what OK returns (a click, then Ctrl and a click); Cancel returns nothing; neither
    // changes the current directory, and the window reports where the user browsed.
    void okReturnsTheHighlightedFile() {
        auto answer = [](std::function<void(SelectFile*)> act) {
            QTimer::singleShot(0, [act] {
                auto* window = qobject_cast<SelectFile*>(QApplication::activeModalWidget());
                QVERIFY(window);
                act(window);
            });
        };
        const std::string before = fk::platform::currentDirectory();
        bool keyboardInList = false;
        QString count;
        answer([&](SelectFile* w) {
            QListWidget* list = w->filelist();
            keyboardInList = w->focusWidget() == list;
            for (auto [row, keys] : {std::pair{1, Qt::NoModifier}, {2, Qt::ControlModifier}})
                QTest::mouseClick(list->viewport(), Qt::LeftButton, keys,
                                  list->visualItemRect(list->item(row)).center());
            count = w->filecount()->text();
            QTest::mouseClick(w->okbutton(), Qt::LeftButton);
        });
        auto outcome = fk::dialogs::showFileWindow({"*.*", work(), "Title"});
        QVERIFY(keyboardInList);
        QCOMPARE(count, QString("2"));
        QCOMPARE(QString::fromStdString(outcome.chosen), QString::fromStdString(work() + "\\B.GBR ,C.TXT"));

        answer([](SelectFile* w) {
            emit w->dirlist()->itemActivated(w->dirlist()->item(w->dirlist()->count() - 1)); // Sub
            w->filename()->setPlainText("X.GBR");
            QTest::mouseClick(w->cancelbutton(), Qt::LeftButton);
        });
        outcome = fk::dialogs::showFileWindow({"*.*", work(), "Title"});
        QCOMPARE(QString::fromStdString(outcome.chosen), QString());
        QCOMPARE(QString::fromStdString(outcome.browsedDirectory), QString::fromStdString(work() + "\\Sub"));
        QCOMPARE(QString::fromStdString(fk::platform::currentDirectory()), QString::fromStdString(before));

        answer([](SelectFile* w) { QTest::keyClick(w, Qt::Key_Escape); });
        QCOMPARE(QString::fromStdString(fk::dialogs::showFileWindow({"*.*", work(), "T"}).chosen), QString());
    }

    // Catches a board's folder that cannot be picked where Board Check asks for a board's files: "Board
    // folder" takes the one shown (or highlighted), OK a folder clicked once; Ctrl+A highlights every file
    // listed. Elsewhere there is no such button.
    void aBoardsFolderAndAllItsFiles() {
        SelectFile files({.mask = "*.*", .startDirectory = work(), .title = "T"});
        QVERIFY(files.boardbutton()->isHidden());
        auto pick = [this](std::function<void(SelectFile*)> act) {
            QTimer::singleShot(0, [act] {
                auto* window = qobject_cast<SelectFile*>(QApplication::activeModalWidget());
                QVERIFY(window);
                act(window);
            });
            return QString::fromStdString(
                fk::dialogs::showFileWindow(
                    {.mask = "*.*", .startDirectory = work(), .title = "T", .board = true})
                    .chosen);
        };
        QCOMPARE(pick([](SelectFile* w) {
                     QVERIFY(w->boardbutton()->isVisible());
                     QTest::mouseClick(w->boardbutton(), Qt::LeftButton);
                 }),
                 QString::fromStdString(work() + "\\"));
        QCOMPARE(pick([](SelectFile* w) {
                     QListWidget* dirs = w->dirlist();
                     QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {},
                                       dirs->visualItemRect(dirs->item(dirs->count() - 1)).center()); // Sub
                     QTest::mouseClick(w->okbutton(), Qt::LeftButton);
                 }),
                 QString::fromStdString(work() + "\\Sub\\"));
        QCOMPARE(pick([](SelectFile* w) {
                     QTest::keyClick(w->filelist(), Qt::Key_A, Qt::ControlModifier);
                     QCOMPARE(w->filecount()->text(), QString("3"));
                     QTest::mouseClick(w->okbutton(), Qt::LeftButton);
                 }),
                 QString::fromStdString(work() + "\\A.GBR ,B.GBR ,C.TXT"));
    }

    // Catches: OK and Cancel read the wrong way round, or the answer of an earlier prompt kept.
    void alertAnswers() {
        fk::dialogs::Alert alert;
        QCOMPARE(alert.windowTitle(), QString(" "));
        QTimer::singleShot(0, [&] { QTest::mouseClick(alert.command1(0), Qt::LeftButton); });
        QVERIFY(alert.ask("First?"));
        QVERIFY(alert.isHidden());
        QVERIFY(alert.respond());
        QCOMPARE(alert.message()->toPlainText(), QString("First?"));
        QTimer::singleShot(0, [&] { QTest::mouseClick(alert.command1(1), Qt::LeftButton); });
        QVERIFY(!alert.ask("Second?"));
        QVERIFY(!alert.respond());
        QTimer::singleShot(0, [&] { alert.close(); });
        QVERIFY(!alert.ask("Closed?"));
        // Escape answers Cancel even when the last answer was OK.
        QTimer::singleShot(0, [&] { QTest::mouseClick(alert.command1(0), Qt::LeftButton); });
        QVERIFY(alert.ask("OK again?"));
        QTimer::singleShot(0, [&] { QTest::keyClick(&alert, Qt::Key_Escape); });
        QVERIFY(!alert.ask("Escape?"));
        QVERIFY(!alert.respond());
    }

    // The role table shows each row's choice and the option, and hands back what the user changed.
    void tableWindowShowsAndReturnsTheChoices() {
        fk::app::TableRequest request{.title = "Roles",
                                      .choices = {"none", "top", "outline"},
                                      .rows = {{"TOP.GBR", "top"}, {"EDGE.GBR", "none"}},
                                      .optionText = "Draw an outline",
                                      .optionMootBy = "outline"};
        fk::dialogs::TableWindow window(request);
        auto* edge = static_cast<QComboBox*>(window.table()->cellWidget(1, 1));
        QCOMPARE(window.table()->item(1, 0)->text(), QString("EDGE.GBR"));
        QCOMPARE(edge->currentText(), QString("none"));
        QVERIFY(!window.option()->isChecked());
        window.option()->setChecked(true);
        // A plot made the outline: the box to draw one is cleared and greyed, and back when it is not.
        edge->setCurrentText("outline");
        QVERIFY(!window.option()->isChecked() && !window.option()->isEnabled());
        auto answer = window.answered();
        QCOMPARE(QString::fromStdString(answer.rows[0].choice), QString("top"));
        QCOMPARE(QString::fromStdString(answer.rows[1].choice), QString("outline"));
        QVERIFY(!answer.option);
        edge->setCurrentText("none");
        QVERIFY(window.option()->isEnabled());
        window.option()->setChecked(true);
        QVERIFY(window.answered().option);
    }
};

QTEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
