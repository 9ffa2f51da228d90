#pragma once

#include <QApplication>
#include <QByteArray>

namespace tc::test {

// The one QApplication of a Qt test process, made on first use on the offscreen platform (no display
// needed). Call it at the start of every test that makes widgets.
inline QApplication &qtApp() {
    static int argc = 1;
    static char name[] = "tapchime_test";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

} // namespace tc::test
