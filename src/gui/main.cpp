#include "gui/mainwindow.hpp"
#include "platform/memory.hpp"
#include "platform/programdir.hpp"

#include <QApplication>

int main(int argc, char** argv) {
    fk::platform::useLargePages(argv);
    fk::platform::keepFreedMemory();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Flashkit");
    fk::gui::MainWindow window(fk::platform::programDirectory());
    window.show();
    return QApplication::exec();
}
