// Renders the main window with sample fields and a finished job's log to a PNG (for the README).
#include "gui/mainwindow.hpp"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>

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
    return 0;
}
