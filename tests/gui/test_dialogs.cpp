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

    void doubleClickTakesAllSelectedNames() {
        SelectFile window;
        window.setPattern("*.gbr");
        window.setDirectory(work());
        QCOMPARE(window.filelist()->count(), 2);
        selectRows(window.filelist(), {0, 1});
        emit window.filelist()->itemDoubleClicked(window.filelist()->item(1));
        QCOMPARE(window.filecount()->text(), QString("2"));
        QCOMPARE(QString::fromStdString(window.result()), QString::fromStdString(work() + "\\A.GBR ,B.GBR"));
    }

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

    void maskFiltersTheList() {
        SelectFile window;
        window.setDirectory(work());
        QCOMPARE(window.filelist()->count(), 3);
        window.filemask()->setText("*.txt");
        QCOMPARE(window.filelist()->count(), 1);
        QCOMPARE(window.filelist()->item(0)->text(), QString("C.TXT"));
    }

    void pickfileCancelOkAndFallback() {
        auto answer = [](std::function<void(SelectFile*)> act) {
            QTimer::singleShot(0, [act] {
                auto* window = qobject_cast<SelectFile*>(QApplication::activeModalWidget());
                QVERIFY(window);
                act(window);
            });
        };
        answer([](SelectFile* w) {
            w->filename()->setPlainText("A.GBR");
            QTest::mouseClick(w->cancelbutton(), Qt::LeftButton);
        });
        std::string result = fk::dialogs::pickfile({"", "*.*", work(), "Title"}, "Z:\\");
        QCOMPARE(QString::fromStdString(result), QString());
        QCOMPARE(QString::fromStdString(fk::platform::currentDirectory()), QString::fromStdString(work()));

        std::string seenDirectory, seenTitle, seenMask;
        answer([&](SelectFile* w) {
            seenDirectory = w->directory();
            seenTitle = w->windowTitle().toStdString();
            seenMask = w->filemask()->text().toStdString();
            w->filename()->setPlainText("NEW.PCB");
            QTest::mouseClick(w->okbutton(), Qt::LeftButton);
        });
        result =
            fk::dialogs::pickfile({"", "", "Z:\\no\\such\\dir", "Select a PCB file to process..."}, work());
        QCOMPARE(QString::fromStdString(seenDirectory), QString::fromStdString(work()));
        QCOMPARE(QString::fromStdString(seenTitle), QString("Select a PCB file to process..."));
        QCOMPARE(QString::fromStdString(seenMask), QString("*.*"));
        QCOMPARE(QString::fromStdString(result), QString::fromStdString(work() + "\\NEW.PCB"));

        answer([](SelectFile* w) {
            w->filename()->clear();
            QTest::mouseClick(w->okbutton(), Qt::LeftButton);
        });
        QCOMPARE(QString::fromStdString(fk::dialogs::pickfile({"", "*.*", work(), "T"}, work())), QString());

        answer([](SelectFile* w) { QTest::keyClick(w, Qt::Key_Escape); });
        QCOMPARE(QString::fromStdString(fk::dialogs::pickfile({"A.GBR", "*.*", work(), "T"}, work())),
                 QString());
    }

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
    }
};

QTEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
