#pragma once

#include "support/QtTestApp.h"
#include "ui/kit/Theme.h"

namespace tc::test {

// The test application with the program's fonts and light appearance, as the views are drawn in the program.
inline QApplication &shellApp() {
    static QApplication &app = []() -> QApplication & {
        QApplication &a = qtApp();
        Theme::applyAppearance(a);
        return a;
    }();
    return app;
}

} // namespace tc::test
