// Composition root: makes the application's single objects and hands them to each other.

#include "ui/shell/MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tapchime");
    QApplication::setOrganizationName("Tapchime");

    tc::MainWindow window;
    window.show();
    return QApplication::exec();
}
