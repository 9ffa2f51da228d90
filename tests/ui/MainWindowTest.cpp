// The main window opens with its title and size limits.

#include "ui/shell/MainWindow.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

QApplication &application() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

} // namespace

TEST(MainWindow, OpensTitledTapchimeAtItsDefaultSizeAndKeepsItsMinimum) {
    application();
    tc::MainWindow window;
    window.show();
    EXPECT_EQ(window.windowTitle(), "Tapchime");
    EXPECT_EQ(window.objectName(), "main");
    EXPECT_EQ(window.size(), QSize(1400, 880));
    window.resize(600, 400);
    EXPECT_EQ(window.size(), QSize(1180, 780));
}
