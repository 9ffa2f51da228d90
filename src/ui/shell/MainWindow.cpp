#include "ui/shell/MainWindow.h"

namespace tc {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent) {
    setObjectName("main");
    setWindowTitle("Tapchime");
    setMinimumSize(1180, 780);
    resize(1400, 880);
}

} // namespace tc
