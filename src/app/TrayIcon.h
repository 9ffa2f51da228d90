#pragma once

#include "app/MenuBarIcon.h"
#include "app/Silence.h"

#include <QColor>
#include <QObject>
#include <QRect>
#include <optional>

class QSystemTrayIcon;

namespace tc {

// The program's tray icon: shows MenuBarIcon for the current silence and reports clicks, which open the
// menu-bar panel beside it. Main thread only.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    // `ink` is the colour the icon is drawn in (see MenuBarIcon).
    explicit TrayIcon(QColor ink, QObject *parent = nullptr);
    ~TrayIcon() override;

    // Whether the desktop shows tray icons at all; without a tray the main window opens at launch.
    static bool isAvailable();

    // Redraws the icon when the silence changes its state.
    void setSilence(const std::optional<Silence> &silence);
    MenuBarIcon::State state() const { return state_; }

    void show();

signals:
    // The icon was clicked (or activated from the keyboard); `geometry` is where the icon is on screen, empty
    // when the tray does not say.
    void clicked(QRect geometry);

private:
    QSystemTrayIcon *tray_;
    QColor ink_;
    MenuBarIcon::State state_ = MenuBarIcon::State::playing;
};

} // namespace tc
