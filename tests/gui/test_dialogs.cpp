// The file selection and alert windows, offscreen.
#include "dialogs/alert.hpp"
#include "dialogs/selectfile.hpp"
#include "platform/files.hpp"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
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

    // Catches: a doubled backslash at a drive root, or a typed name not joined to the browsed directory.
    void singleNameTypedNameAndRoot() {
        SelectFile window;
        window.setDirectory(work());
        window.filelist()->item(0)->setSelected(true);
        window.takeSelectedFiles();
        QCOMPARE(QString::fromStdString(window.result()), QString::fromStdString(work() + "\\A.GBR"));
        window.filename()->setPlainText("TYPED.PCB");
        QCOMPARE(QString::fromStdString(window.result()), QString::fromStdString(work() + "\\TYPED.PCB"));
        window.setDirectory("Z:\\");
        QCOMPARE(window.filename()->toPlainText(), QString());
        window.filename()->setPlainText("A.GBR\nB.GBR");
        QCOMPARE(QString::fromStdString(window.result()), QString("Z:\\A.GBR ,B.GBR"));
    }

    // Catches: names chosen in one directory returned joined to another.
    void changingDirectoryEmptiesTheName() {
        SelectFile window;
        window.setDirectory(work());
        window.filename()->setPlainText("A.GBR");
        bool found = false;
        for (int row = 0; row < window.dirlist()->count(); ++row) {
            if (window.dirlist()->item(row)->text().endsWith("Sub")) {
                emit window.dirlist()->itemActivated(window.dirlist()->item(row));
                found = true;
            }
        }
        QVERIFY(found);
        QCOMPARE(QString::fromStdString(window.directory()), QString::fromStdString(work() + "\\Sub"));
        QCOMPARE(window.filename()->toPlainText(), QString());
        QCOMPARE(window.filelist()->count(), 0);
    }

    // Enter in the pattern box applies the pattern and keeps the window open; Tab then reaches the list.
    void maskFiltersTheList() {
        SelectFile window;
        window.setDirectory(work());
        QCOMPARE(window.filelist()->count(), 3);
        window.show();
        window.filemask()->setText("*.txt");
        QCOMPARE(window.filelist()->count(), 1);
        QCOMPARE(window.filelist()->item(0)->text(), QString("C.TXT"));
        window.filemask()->blockSignals(true);
        window.filemask()->setText("*.gbr");
        window.filemask()->blockSignals(false);
        QTest::keyClick(window.filemask(), Qt::Key_Return);
        QCOMPARE(window.filelist()->count(), 2);
        QVERIFY(window.isVisible());
        QCOMPARE(window.filemask()->nextInFocusChain(), window.filelist()); // Tab goes on to the list
    }

    // The window shows directories in their real case, with the drive's root above them.
    void directoriesInRealCaseUnderTheRoot() {
        SelectFile window;
        window.setDirectory(QString::fromStdString(work()).toUpper().toStdString());
        QCOMPARE(QString::fromStdString(window.directory()), QString::fromStdString(work()));
        window.setDirectory("Z:\\TMP");
        QCOMPARE(window.dirlist()->item(0)->data(Qt::UserRole).toString(), QString("Z:\\"));
        QCOMPARE(window.dirlist()->item(1)->data(Qt::UserRole).toString(), QString("Z:\\tmp"));
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

        answer([this](SelectFile* w) {
            w->setDirectory(work() + "\\Sub");
            w->filename()->setPlainText("A.GBR");
            QTest::mouseClick(w->cancelbutton(), Qt::LeftButton);
        });
        outcome = fk::dialogs::showFileWindow({"*.*", work(), "Title"});
        QCOMPARE(QString::fromStdString(outcome.chosen), QString());
        QCOMPARE(QString::fromStdString(outcome.browsedDirectory), QString::fromStdString(work() + "\\Sub"));
        QCOMPARE(QString::fromStdString(fk::platform::currentDirectory()), QString::fromStdString(before));

        answer([](SelectFile* w) { QTest::keyClick(w, Qt::Key_Escape); });
        QCOMPARE(QString::fromStdString(fk::dialogs::showFileWindow({"*.*", work(), "T"}).chosen), QString());
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
};

QTEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
