#include "cli/cli.hpp"
#include "gui/mainwindow.hpp"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Flashkit");
    fk::gui::MainWindow window(fk::cli::defaultProgramDirectory());
    window.show();
    return QApplication::exec();
}
