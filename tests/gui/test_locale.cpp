// The desktop program under a user's comma-decimal locale writes the same bytes as the command line.
#include "../files.hpp"
#include "model/buttons.hpp"
#include "platform/files.hpp"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <clocale>

namespace {

namespace fs = std::filesystem;
using fk::test::readBytes, fk::test::writeBytes;

// A report and a design whose sizes have fractions (62.5, 28.5) and a definition file to rewrite.
void writeInputs(const fs::path& dir) {
    writeBytes(dir / "BOARD.REP", "    D10   ELLIPSE   62.5 62         FLAS\r\n"
                                  "    D11   SQ RECT   62.5 30.5       FLAS\r\n"
                                  "    T1      28.5\r\n");
    writeBytes(dir / "BOARD.PCB",
               ";Tango-PCB PLUS V2.30 Series II\r\nPAD SQ 62.5 80 28 AL 0 0\r\nLINE 10 0 0 1 1\r\n");
    writeBytes(dir / "PCB.DFN", "PALETD 1\r\n");
    writeBytes(dir / "prog/flashkit.ini", " 0\r\n 1\r\n 5\r\nBOARD\r\n.\r\n.\r\n.\r\n.\r\n");
}

// Runs a job in this process, where QApplication has taken the user's locale.
void runInProcess(const fs::path& dir, int job) {
    fk::app::MessageLog log;
    fk::app::JobContext context;
    context.fields = {.planes = 0,
                      .smenable = 1,
                      .smswell = 5,
                      .fnamebase = "BOARD",
                      .indatapath = fk::platform::toPathText(dir),
                      .dfnpath = fk::platform::toPathText(dir),
                      .gcpvpath = fk::platform::toPathText(dir),
                      .outdatapath = fk::platform::toPathText(dir)};
    context.programDir = fk::platform::toPathText(dir / "prog");
    context.services.log = &log;
    QCOMPARE(fk::model::dispatch(job, context), fk::app::JobResult::Completed);
}

// Runs the same job with flashkit-cli under the C locale.
void runCommandLine(const fs::path& dir, const char* job) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    cli.setProcessEnvironment(env);
    cli.setWorkingDirectory(QString::fromStdString(dir.string()));
    cli.start(FLASHKIT_CLI, {job, "--program-dir", "prog", "--input-path", ".", "--dfn-path", ".",
                             "--prevue-path", ".", "--base", "BOARD", "--mask", "1", "--swell", "5"});
    QVERIFY(cli.waitForFinished());
    QCOMPARE(cli.exitCode(), 0);
}

} // namespace

class LocaleTest : public QObject {
    Q_OBJECT
  private slots:
    // Catches: numbers read or written through the C library's locale (62.5 read as 62, written as 62,5).
    void jobsWriteTheSameBytesUnderACommaLocale() {
        QCOMPARE(std::string(std::localeconv()->decimal_point), std::string(","));
        QTemporaryDir window, command;
        const fs::path inWindow = window.path().toStdString(), onCommandLine = command.path().toStdString();
        writeInputs(inWindow);
        writeInputs(onCommandLine);
        runInProcess(inWindow, 2);
        runInProcess(inWindow, 0);
        runCommandLine(onCommandLine, "rep2prevue");
        runCommandLine(onCommandLine, "pcb2aperture");
        int compared = 0;
        for (const char* name : {"apr.apr", "rck.rck", "PCB.DFN", "BOARD.DFN", "DFN.BAK"}) {
            QCOMPARE(readBytes(inWindow / name), readBytes(onCommandLine / name));
            compared += !readBytes(onCommandLine / name).empty();
        }
        QCOMPARE(compared, 5);
        QVERIFY(readBytes(onCommandLine / "PCB.DFN").find("67.5") != std::string::npos);
    }
};

QTEST_MAIN(LocaleTest)
#include "test_locale.moc"
