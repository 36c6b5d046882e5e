// Renders the main window with sample fields and a finished job's log to a PNG (for the README); with a
// second file name, also the drill preview of a small board's NC1 and the four files NC1 >> 2,3,4 derives.
#include "gui/drillpreview.hpp"
#include "gui/mainwindow.hpp"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

namespace {

// A small board in the preferred form: a 16-pin DIP, four mounting holes and a few vias.
QByteArray boardNc1() {
    QByteArray nc = "M48\r\nINCH\r\nT1C0.0350\r\nT2C0.1250\r\nT3C0.0200\r\nT1\r\n";
    auto hole = [&](int x, int y) {
        nc += QString("X+%1Y+%2\r\n").arg(x, 6, 10, QChar('0')).arg(y, 6, 10, QChar('0')).toLatin1();
    };
    for (int pin = 0; pin < 8; ++pin) {
        hole(6000 + pin * 1000, 5000);
        hole(6000 + pin * 1000, 8000);
    }
    nc += "T2\r\n";
    for (int y : {1500, 11500})
        for (int x : {1500, 18500})
            hole(x, y);
    nc += "T3\r\n";
    for (auto [x, y] : {std::pair{4200, 10250}, {15800, 3100}, {16750, 9900}})
        hole(x, y);
    return nc + "M30\r\n";
}

// The drill preview after NC1 >> 2,3,4, read as by a machine set to leave leading zeros out where the header
// does not say: NC2 and NC4 then show their marker.
void grabDrillPreview(fk::gui::MainWindow& window, const QTemporaryDir& dir, const char* picture) {
    QDir(dir.path()).mkpath("board/out");
    QFile nc1(dir.filePath("board/DEMO.NC1"));
    if (!nc1.open(QIODevice::WriteOnly) || nc1.write(boardNc1()) < 0)
        return;
    nc1.close();
    fk::app::Fields f = window.fields();
    f.indatapath = "Z:" + dir.filePath("board").replace('/', '\\').toStdString();
    f.outdatapath = f.indatapath + "\\out";
    window.setFields(f);
    window.pressCommand(6);
    window.openDrillPreview();
    fk::gui::DrillPreviewWindow* preview = window.drillPreview();
    preview->rule()->setCurrentIndex(1);
    preview->resize(1400, 640);
    QApplication::processEvents();
    preview->grab().save(picture);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QTemporaryDir dir;
    fk::gui::MainWindow window("Z:" + dir.path().replace('/', '\\').toStdString());
    fk::app::Fields f;
    f.planes = 1;
    f.smenable = 1;
    f.smswell = 4;
    f.fnamebase = "DEMO";
    f.indatapath = "C:\\TANGO\\DEMO";
    f.dfnpath = "C:\\TANGO";
    f.gcpvpath = "C:\\GCPREVUE";
    f.outdatapath = "C:\\NCDRILL";
    window.setFields(f);
    window.errorbox()->setPlainText("Aperture file processed:\t 6 codes found.\nGerber files processed:\t 2\n"
                                    "Descreet apertures found:\t 5\nWriting with new codes:\tOK\n"
                                    "Writing compressed table:\tOK");
    window.show();
    QApplication::processEvents(); // let the log lay out its text before the picture is taken
    window.grab().save(argv[1]);
    if (argc > 2)
        grabDrillPreview(window, dir, argv[2]);
    return 0;
}
