#pragma once

#include "ui/shell/MenuBarView.h"

#include <QElapsedTimer>
#include <QRect>
#include <QWidget>

namespace tc {

// The tray panel as a frameless popup beside the tray icon. A click on the icon opens it; a click anywhere
// else, Escape, or a click on the icon while it is open closes it. Opening the main window or quitting from
// the panel closes it first. Main thread only; the model must outlive it.
class MenuBarPopup : public QWidget {
public:
    // A click that closed the popup this recently (milliseconds) does not open it again from the icon.
    static constexpr int reopenGuard = 300;

    MenuBarPopup(AppModel &model, MenuBarView::Actions actions, QWidget *parent = nullptr);

    // Where the popup's top-left corner goes for a tray icon at `icon` (an empty rectangle: unknown, use the
    // pointer): centred under the icon when it is in the upper half of the screen, else above it, 4 points
    // away, and kept inside the screen's available area.
    static QPoint placement(const QRect &icon, const QSize &panel, const QRect &available);

    // The icon was clicked: opens the popup beside it, or closes it when it is open.
    void toggleAt(const QRect &iconGeometry);
    void showAt(const QRect &iconGeometry);

    MenuBarView *view() const { return view_; }

protected:
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    MenuBarView *view_;
    QElapsedTimer sinceHidden_;
};

} // namespace tc
