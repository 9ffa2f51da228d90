#pragma once
// Keyboard focus under test: walking the Tab chain with real key presses, the controls a user could click,
// and what a screen reader would call each one.

#include "ui/kit/FocusRing.h"
#include "ui/kit/ItemPool.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cmath>
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

// Every widget the keyboard reaches from the window's start: the Tab stops, and inside each list that is one
// Tab stop (the kit's item pools) the controls the Right arrow goes on to from the list's stop. Each once, in the
// order reached.
inline std::vector<QWidget *> keyboardWalk(QWidget *root) {
    const std::vector<QWidget *> stops = tabWalk(root);
    std::vector<QWidget *> reached = stops;
    for (QWidget *stop : stops) {
        bool inList = false;
        for (QWidget *up = stop->parentWidget(); up != nullptr && !inList; up = up->parentWidget()) {
            inList = dynamic_cast<ItemPool *>(up) != nullptr;
        }
        if (!inList) {
            continue;
        }
        stop->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 5000; ++i) {
            QWidget *from = QApplication::focusWidget();
            QTest::keyClick(from, Qt::Key_Right);
            QWidget *now = QApplication::focusWidget();
            if (now == nullptr || now == from) {
                break;
            }
            if (std::find(reached.begin(), reached.end(), now) == reached.end()) {
                reached.push_back(now);
            }
        }
    }
    return reached;
}

// The controls under `root` a user can click or type into now: shown, enabled buttons, sliders, combo boxes,
// line edits, and every control that wears the focus ring and takes focus now.
inline std::vector<QWidget *> clickableControls(QWidget *root) {
    std::vector<QWidget *> controls;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(root->window()) || !widget->isEnabled() || widget->size().isEmpty() ||
            qobject_cast<QScrollBar *>(widget) != nullptr) {
            continue;
        }
        if ((FocusRing::isAttached(widget) && widget->focusPolicy() != Qt::NoFocus) ||
            qobject_cast<QAbstractButton *>(widget) != nullptr || qobject_cast<QAbstractSlider *>(widget) != nullptr ||
            qobject_cast<QComboBox *>(widget) != nullptr || qobject_cast<QLineEdit *>(widget) != nullptr) {
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
    QTest::keyClick(control->window(), Qt::Key_Shift); // the user is on the keyboard
    control->clearFocus();
    FocusGrabs grabs;
    grabs.unfocused = control->grab().toImage();
    control->setFocus(Qt::TabFocusReason);
    grabs.focused = control->grab().toImage();
    control->clearFocus();
    return grabs;
}

// How the focus ring of an attached control shows in its window, Tab having given it focus: `shown` is the
// share of the ring's pixels that show in the ring's colour (a child or a neighbour drawn over the ring, or a
// scroll area that cuts it, lowers it), `standsOut` the share of those that differ clearly from what they cover
// (a CIE76 colour difference of 40 at least: the ring's orange is 93 from white, 85 from a light grey border,
// 50 from a yellow cap, and 22 to 28 from the red record key).
struct RingSight {
    double shown = 0;
    double standsOut = 0;
};

inline std::array<double, 3> lab(QColor color) {
    const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    const double r = linear(color.redF());
    const double g = linear(color.greenF());
    const double b = linear(color.blueF());
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    const auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116; };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

inline double colorDifference(QColor a, QColor b) {
    const auto la = lab(a);
    const auto lb = lab(b);
    return std::hypot(la[0] - lb[0], la[1] - lb[1], la[2] - lb[2]);
}

inline RingSight ringSight(QWidget *control) {
    QWidget *window = control->window();
    qreal radius = 0;
    const QRectF ring = FocusRing::ringRect(control, &radius);
    QImage mask(control->size(), QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter painter(&mask);
        FocusRing::paint(painter, ring, radius);
    }
    QTest::keyClick(window, Qt::Key_Shift); // the user is on the keyboard
    // The control's place in the window, cut to the window: what is outside it is not seen.
    const QPoint origin = control->mapTo(window, QPoint(0, 0));
    const QRect place = QRect(origin, control->size()) & window->rect();
    control->clearFocus();
    const QImage without = window->grab(place).toImage();
    control->setFocus(Qt::TabFocusReason);
    const QImage with = window->grab(place).toImage();
    control->clearFocus();
    const QColor color = FocusRing::color();
    int pixels = 0;
    int shown = 0;
    int standsOut = 0;
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            if (qAlpha(mask.pixel(x, y)) < 255) {
                continue;
            }
            ++pixels;
            const QPoint at = origin + QPoint(x, y) - place.topLeft();
            if (!place.contains(origin + QPoint(x, y))) {
                continue;
            }
            const QColor seen = with.pixelColor(at);
            if (std::abs(seen.red() - color.red()) < 12 && std::abs(seen.green() - color.green()) < 12 &&
                std::abs(seen.blue() - color.blue()) < 12) {
                ++shown;
                if (colorDifference(color, without.pixelColor(at)) >= 40) {
                    ++standsOut;
                }
            }
        }
    }
    if (pixels == 0) {
        return {};
    }
    return {static_cast<double>(shown) / pixels, shown == 0 ? 0 : static_cast<double>(standsOut) / shown};
}

// Walks the Tab chain of `root`'s window as tabWalk() does, letting each control that takes focus come into
// view, and lists the controls that wear no ring (text fields show their caret instead), whose ring does not
// show whole there (`shown` under 0.95) or does not stand out
// from what it covers (`standsOut` under 0.9), each with its figures; empty when every ring shows.
inline QStringList hiddenRings(QWidget *root) {
    QWidget *window = root->window();
    if (QWidget *focused = QApplication::focusWidget()) {
        focused->clearFocus();
    }
    QStringList hidden;
    std::vector<QWidget *> visited;
    QTest::keyClick(window, Qt::Key_Tab);
    for (int i = 0; i < 1000; ++i) {
        QWidget *focused = QApplication::focusWidget();
        if (focused == nullptr || std::find(visited.begin(), visited.end(), focused) != visited.end()) {
            break;
        }
        visited.push_back(focused);
        QCoreApplication::processEvents(); // the control scrolls into view
        if (!FocusRing::isAttached(focused) && qobject_cast<QLineEdit *>(focused) == nullptr) {
            // A text field shows its caret; anything else wears the ring.
            hidden << QStringLiteral("%1:%2 has no ring")
                          .arg(QString::fromLatin1(focused->metaObject()->className()), focused->accessibleName());
        } else if (FocusRing::isAttached(focused) && !FocusRing::ringRect(focused).isEmpty()) {
            const RingSight sight = ringSight(focused);
            if (sight.shown < 0.95 || sight.standsOut < 0.9) {
                hidden << QStringLiteral("%1:%2 shown %3 stands out %4")
                              .arg(QString::fromLatin1(focused->metaObject()->className()), focused->accessibleName())
                              .arg(sight.shown, 0, 'f', 2)
                              .arg(sight.standsOut, 0, 'f', 2);
            }
            focused->setFocus(Qt::TabFocusReason);
        }
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    return hidden;
}

} // namespace tc::test
