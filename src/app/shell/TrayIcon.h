#pragma once

#include "app/Silence.h"
#include "app/shell/MenuBarIcon.h"

#include <QColor>
#include <QDBusConnection>
#include <QObject>
#include <QRect>
#include <optional>

class QMenu;
class QSystemTrayIcon;

namespace tc {
class StatusNotifierItem;
}

namespace tc {

// The program's tray icon: shows MenuBarIcon for the current silence and reports left clicks, which open the
// menu-bar panel beside it; a right click opens the context menu. Main thread only.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    // `ink` is the colour the icon is drawn in (see MenuBarIcon). `bus` is where a StatusNotifier tray that
    // comes up after the program is looked for (see StatusNotifierItem).
    explicit TrayIcon(QColor ink, QObject *parent = nullptr);
    TrayIcon(QColor ink, QDBusConnection bus, QObject *parent = nullptr);
    ~TrayIcon() override;

    // Whether the desktop shows tray icons at all; without a tray the main window opens at launch.
    static bool isAvailable();

    // The colour to draw the icon in, where the panel's own colour cannot be asked: the desktop's text colour
    // (`desktopText`, read before the program forces its light palette) on desktops whose panel follows the
    // colour scheme (KDE, MATE), white on the others, whose panels are dark by default (GNOME, Xfce,
    // Cinnamon, LXQt, …). `currentDesktop` is $XDG_CURRENT_DESKTOP, a colon-separated list.
    static QColor inkFor(const QString &currentDesktop, const QColor &desktopText);

    // Redraws the icon when the silence changes its state.
    void setSilence(const std::optional<Silence> &silence);
    MenuBarIcon::State state() const { return state_; }

    // The menu a right click opens (the menu stays the caller's).
    void setContextMenu(QMenu *menu);
    // Shows the icon, also when no tray is there yet: a tray that appears later (a panel that starts after the
    // program, as at login) takes the icon as soon as it is up.
    void show();

    // The StatusNotifier item that stands in for a tray that came up late, for tests.
    StatusNotifierItem *lateTrayItem() const { return lateItem_; }

signals:
    // The icon was clicked (or activated from the keyboard); `geometry` is where the icon is on screen, empty
    // when the tray does not say.
    void clicked(QRect geometry);

private:
    QSystemTrayIcon *tray_;
    StatusNotifierItem *lateItem_ = nullptr;
    QMenu *menu_ = nullptr;
    QColor ink_;
    MenuBarIcon::State state_ = MenuBarIcon::State::playing;
};

} // namespace tc
