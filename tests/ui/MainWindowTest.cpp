// The main window opens with its title and size limits.

#include "ui/shell/MainWindow.h"
#include "support/QtTestApp.h"

#include <gtest/gtest.h>

TEST(MainWindow, OpensTitledTapchimeAtItsDefaultSizeAndKeepsItsMinimum) {
    tc::test::qtApp();
    tc::MainWindow window;
    window.show();
    EXPECT_EQ(window.windowTitle(), "Tapchime");
    EXPECT_EQ(window.objectName(), "main");
    EXPECT_EQ(window.size(), QSize(1400, 880));
    window.resize(600, 400);
    EXPECT_EQ(window.size(), QSize(1180, 780));
}
