#pragma once

#include "support/QtTestApp.h"
#include "ui/kit/Theme.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QToolTip>
#include <QWidget>

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

// Asks `widget` for its tooltip as resting the pointer on its middle does; gives the tooltip's label as shown,
// or null when none shows.
inline QLabel *shownToolTip(QWidget *widget) {
    QToolTip::hideText();
    const QPoint middle = widget->rect().center();
    QHelpEvent help(QEvent::ToolTip, middle, widget->mapToGlobal(middle));
    QCoreApplication::sendEvent(widget, &help);
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("qtooltip_label") && top->isVisible()) {
            return qobject_cast<QLabel *>(top);
        }
    }
    return nullptr;
}

} // namespace tc::test
