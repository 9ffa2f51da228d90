#pragma once
// Keyboard focus under test: walking the Tab chain with real key presses, the controls a user could click,
// and what a screen reader would call each one.

#include "ui/kit/FocusRing.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace tc::test {

// Shows the window `root` is in and makes it active, so that focus lands as it would on screen.
inline bool activate(QWidget *root) {
    QWidget *window = root->window();
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// Presses Tab from the window until focus comes back around: the widgets focus visited, in order, each once.
// The walk starts from nothing focused, so the first is the first control of the window.
inline std::vector<QWidget *> tabWalk(QWidget *root) {
    QWidget *window = root->window();
    if (QWidget *focused = QApplication::focusWidget()) {
        focused->clearFocus();
    }
    std::vector<QWidget *> visited;
    QTest::keyClick(window, Qt::Key_Tab);
    for (int i = 0; i < 1000; ++i) {
        QWidget *focused = QApplication::focusWidget();
        if (focused == nullptr || std::find(visited.begin(), visited.end(), focused) != visited.end()) {
            break;
        }
        visited.push_back(focused);
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    return visited;
}

// The controls under `root` a user can click or type into now: shown, enabled buttons, sliders, combo boxes,
// line edits, and every control that wears the focus ring.
inline std::vector<QWidget *> clickableControls(QWidget *root) {
    std::vector<QWidget *> controls;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(root->window()) || !widget->isEnabled() || widget->size().isEmpty() ||
            qobject_cast<QScrollBar *>(widget) != nullptr) {
            continue;
        }
        if (FocusRing::isAttached(widget) || qobject_cast<QAbstractButton *>(widget) != nullptr ||
            qobject_cast<QAbstractSlider *>(widget) != nullptr || qobject_cast<QComboBox *>(widget) != nullptr ||
            qobject_cast<QLineEdit *>(widget) != nullptr) {
            controls.push_back(widget);
        }
    }
    return controls;
}

// The controls the walk never reached, by their names (empty when it reached them all).
inline QStringList unreached(const std::vector<QWidget *> &controls, const std::vector<QWidget *> &walk) {
    QStringList missed;
    for (QWidget *control : controls) {
        if (std::find(walk.begin(), walk.end(), control) == walk.end()) {
            missed << QString::fromLatin1(control->metaObject()->className()) + QLatin1Char(':') +
                          control->accessibleName();
        }
    }
    return missed;
}

// The walk as text, for failure messages: "ClassName:name" for each widget.
inline QString describe(const std::vector<QWidget *> &walk) {
    QStringList parts;
    for (QWidget *widget : walk) {
        parts << QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(':') + widget->accessibleName();
    }
    return parts.join(QStringLiteral(", "));
}

// What a screen reader calls the widget.
inline QString spokenName(QWidget *widget) {
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

// The walked widgets a screen reader could not name, by class.
inline QStringList nameless(const std::vector<QWidget *> &walk) {
    QStringList missing;
    for (QWidget *widget : walk) {
        if (spokenName(widget).trimmed().isEmpty()) {
            missing << QString::fromLatin1(widget->metaObject()->className());
        }
    }
    return missing;
}

// The control as drawn with focus and without it, for comparing the two.
struct FocusGrabs {
    QImage unfocused;
    QImage focused;
};
inline FocusGrabs grabFocus(QWidget *control) {
    control->clearFocus();
    FocusGrabs grabs;
    grabs.unfocused = control->grab().toImage();
    control->setFocus(Qt::TabFocusReason);
    grabs.focused = control->grab().toImage();
    control->clearFocus();
    return grabs;
}

} // namespace tc::test
