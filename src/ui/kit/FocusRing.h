#pragma once

#include <QColor>
#include <QRectF>
#include <functional>

class QPainter;
class QWidget;

namespace tc {

// Where keyboard focus is. The program's controls are painted by hand, so none of them shows focus through the
// style; each draws this one ring instead: a 2-point Theme.orange line just inside the control's edge, following
// its corners. Main thread.
class FocusRing {
public:
    static constexpr qreal kWidth = 2;
    // A radius that rounds the ring into a capsule (half the shorter side).
    static constexpr qreal kCapsule = -1;

    static QColor color();

    // Paints the ring along `rect`, inside it, with corners of `radius` (kCapsule: a capsule).
    static void paint(QPainter &painter, const QRectF &rect, qreal radius);

    // Makes a painted control keyboard-operable: it takes focus with Tab (a click leaves focus where it was, so
    // the ring shows only for the keyboard), Return and Enter activate a button as Space does, and the ring is
    // painted over the control's own drawing while it has focus that the keyboard gave it (Tab, or focus set by
    // the program while the user's last press was a key, as when a sheet opens on its default control and
    // closes again; not the first control of a window opened with the mouse). `radius` is the control's corner radius,
    // `inset` the room between the widget's edge and the drawn control's. Call once, from the constructor.
    static void attach(QWidget *control, qreal radius = kCapsule, qreal inset = 0);
    // The same for a control that is no button (a row that takes a click): Space and Return run `activate`.
    static void attach(QWidget *control, qreal radius, std::function<void()> activate);
    // The same for a button whose Return belongs to its window (a sheet's default action): Space clicks it,
    // Return goes on to the window.
    static void attachLeavingReturn(QWidget *control, qreal radius);
    // Whether attach() has been called for the control.
    static bool isAttached(const QWidget *control);
};

} // namespace tc
