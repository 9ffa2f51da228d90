#pragma once

#include <QApplication>

namespace tc::test {

// The one application object of the test process, on the offscreen platform (no display needed). Tests that
// run Qt timers, sockets or widgets call it first.
inline QApplication &testApplication() {
    static int argc = 1;
    static char name[] = "test_app";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

} // namespace tc::test
