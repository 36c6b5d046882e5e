#include "gui/mainwindow.hpp"
#include "platform/programdir.hpp"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Flashkit");
    fk::gui::MainWindow window(fk::platform::programDirectory());
    window.show();
    return QApplication::exec();
}
