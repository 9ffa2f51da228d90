#pragma once

#include <QMainWindow>

namespace tc {

// The program's main window (scene identifier "main").
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
};

} // namespace tc
