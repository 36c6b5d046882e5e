// The main window, offscreen: settings in and out, normalisation on leaving a field, dispatch, captions.
#include "gui/mainwindow.hpp"
#include "platform/files.hpp"

#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string readFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

void leave(QLineEdit* edit) {
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(edit, &out);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    std::string programDir() const { return fk::platform::toPathText(dir_.path().toStdString()); }
    QString ini() const { return dir_.filePath("flashkit.ini"); }

  private slots:
    void init() { QFile::remove(ini()); }

    void loadFillsTheFields() {
        std::string lines =
            " 2\r\n 1\r\n 10\r\nBOARD\r\nZ:\\IN\r\nZ:\\DFN\r\nZ:\\GC\r\nZ:\\OUT\r\nkeep me\r\n";
        writeFile(ini(), lines);
        fk::gui::MainWindow window(programDir());
        QCOMPARE(window.windowTitle(), QString("Flashkit"));
        QCOMPARE(window.planes()->currentText(), QString("External"));
        QCOMPARE(window.smenable()->currentText(), QString("Yes"));
        QCOMPARE(window.smswell()->currentText(), QString("10"));
        QCOMPARE(window.fnamebase()->text(), QString("BOARD"));
        QCOMPARE(window.outdatapath()->text(), QString("Z:\\OUT"));
        window.close();
        std::string saved = readFile(ini());
        QVERIFY(saved.rfind(lines, 0) == 0);
        QCOMPARE(std::count(saved.begin(), saved.end(), '\n'), 100L);
    }

    void firstStartAndOutOfRangeIndexes() {
        writeFile(ini(), " 7\r\n-1\r\n 12\r\n");
        fk::gui::MainWindow window(programDir());
        QCOMPARE(window.planes()->currentIndex(), 0);
        QCOMPARE(window.smenable()->currentIndex(), 0);
        QCOMPARE(window.smswell()->currentIndex(), 0);
        window.close();
        std::string expected = " 0\r\n 0\r\n 0\r\n";
        for (int i = 4; i <= 100; ++i)
            expected += "\r\n";
        QCOMPARE(readFile(ini()), expected);
    }

    void leavingAFieldNormalisesIt() {
        fk::gui::MainWindow window(programDir());
        window.indatapath()->setText("c:\\tango\\work\\");
        leave(window.indatapath());
        QCOMPARE(window.indatapath()->text(), QString("C:\\TANGO\\WORK"));
        window.gcpvpath()->setText("d:\\my.dir\\x");
        leave(window.gcpvpath());
        QCOMPARE(window.gcpvpath()->text(), QString("D:\\MYDIR\\X"));
        window.fnamebase()->setText("board.pcb");
        leave(window.fnamebase());
        QCOMPARE(window.fnamebase()->text(), QString("board"));
    }

    void buttonsDispatchByIndex() {
        fk::gui::MainWindow window(programDir());
        window.indatapath()->setText("Z:\\no\\such\\dir");
        QTest::mouseClick(window.cmmd(10), Qt::LeftButton);
        QCOMPARE(window.errorbox()->toPlainText(),
                 QString("Invalid xxx.DFN destination file path, correct and re-try"));
        for (int quiet : {7, 5, 12, 18}) {
            QTest::mouseClick(window.cmmd(quiet), Qt::LeftButton);
            QCOMPARE(window.errorbox()->toPlainText(),
                     QString("Invalid xxx.DFN destination file path, correct and re-try"));
        }
        QTest::mouseClick(window.findChild<QPushButton*>("help"), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(window.log().text()),
                 QString("Invalid xxx.DFN destination file path, correct and re-try"));
        QVERIFY(window.cmmd(1) == nullptr);
        QCOMPARE(window.cmmd(6)->text(), QString("NC1 >> 2,3,4"));
        QCOMPARE(window.cmmd(3)->text(), QString("Fab Export"));
    }

    void captionsBrowse() {
        fk::gui::MainWindow window(programDir());
        std::vector<fk::app::PickRequest> requests;
        std::string answer = "Z:\\work\\Board.pcb";
        window.pickService = [&](const fk::app::PickRequest& r) {
            requests.push_back(r);
            return answer;
        };
        window.indatapath()->setText("Z:\\START");
        window.clickCaption(0);
        QCOMPARE(window.fnamebase()->text(), QString("BOARD"));
        QCOMPARE(QString::fromStdString(requests.back().title), QString("Select file to process..."));
        QCOMPARE(QString::fromStdString(requests.back().mask), QString("*.pcb"));
        QCOMPARE(QString::fromStdString(requests.back().startDirectory), QString("Z:\\START"));
        window.clickCaption(1);
        QCOMPARE(window.indatapath()->text(), QString("Z:\\WORK"));
        window.clickCaption(7);
        QCOMPARE(window.outdatapath()->text(), QString("Z:\\WORK"));
        QCOMPARE(QString::fromStdString(requests.back().title),
                 QString("Select any file in target directory..."));
        answer = "";
        window.clickCaption(2);
        QCOMPARE(window.dfnpath()->text(), QString(""));
        const size_t asked = requests.size();
        window.clickCaption(4);
        window.clickCaption(6);
        QCOMPARE(requests.size(), asked);
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_mainwindow.moc"
