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

    // Makes a painted control keyboard-operable: it takes focus with Tab and with a click (as Qt's own controls
    // do, so the next Space acts on what was clicked), Return and Enter activate a button as Space does, and the
    // ring is painted over the control and its children while it has focus that the keyboard gave it (Tab, an
    // arrow key in a list, a shortcut to the control, or focus the program moves on from a control that showed
    // the ring, as when a sheet opens on its default control and closes again; never focus a click gave, whatever
    // keys were used before in a menu or another window, nor focus that moved on because a click hid or disabled
    // the control that had it). A key typed in the control's window (no shortcut) shows the ring of the control
    // that has focus. A control disabled while it has focus parks the focus on its window
    // and takes it back when it is enabled again, unless the program has moved it on to the next step meanwhile,
    // so focus never falls to whatever comes next in the chain. `radius` is the ring's corner radius, `inset` the room
    // between the widget's edge and the ring's. Call once, from the constructor.
    static void attach(QWidget *control, qreal radius = kCapsule, qreal inset = 0);
    // The same for a control that is no button (a row that takes a click): Space and Return run `activate`.
    static void attach(QWidget *control, qreal radius, std::function<void()> activate);
    // The same for a button whose Return belongs to its window (a sheet's default action): Space clicks it,
    // Return goes on to the window.
    static void attachLeavingReturn(QWidget *control, qreal radius);
    // The same for a control that draws the ring itself, around the part the keyboard acts on: it asks shows().
    static void attachDrawnByControl(QWidget *control);
    // Whether the control has focus and that focus shows the ring (see attach()).
    static bool shows(const QWidget *control);
    // Where the ring of an attached control goes, in its own coordinates, and its corner radius; empty for a
    // control that draws its own.
    static QRectF ringRect(const QWidget *control, qreal *radius = nullptr);
    // Whether attach() has been called for the control.
    static bool isAttached(const QWidget *control);
};

} // namespace tc
