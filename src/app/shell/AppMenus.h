#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QAction;
class QMenu;
class QMenuBar;

namespace tc {

class Updater;

// The program's menus in the main window's menu bar:
//   "Tapchime": "Check for Updates…" (disabled without an update feed), "Quit Tapchime" (Ctrl+Q);
//   "Sounds": the on/off item, titled by the current setting. The item carries no shortcut: the global
//   hotkey Ctrl+Alt+K is heard by the key router, not by this menu.
// The tray icon's own menu (a right click) offers the same items: "Open Tapchime", the "Sounds" menu, "Check
// for Updates…" and "Quit Tapchime"; each is the very action of the menu bar, so both always agree.
// Main thread only; the menu bar's menus are owned by the menu bar, the tray menu by this object.
class AppMenus : public QObject {
    Q_OBJECT
public:
    AppMenus(QMenuBar *menuBar, Updater &updater, QObject *parent = nullptr);
    ~AppMenus() override;

    // "Turn Sounds Off  (Ctrl+Alt+K)" while sounds are on, "Turn Sounds On  (Ctrl+Alt+K)" while off; the chord is the
    // toggle hotkey's (engine/Hotkey.h).
    static QString soundsItemTitle(bool soundsEnabled);

    // Retitles the on/off item for the current setting.
    void setSoundsEnabled(bool enabled);

    QAction *checkForUpdatesAction() const { return checkForUpdates_; }
    QAction *soundsAction() const { return sounds_; }
    QAction *quitAction() const { return quit_; }
    QAction *openAction() const { return open_; }
    QMenu *trayMenu() const { return trayMenu_.get(); }

signals:
    // The on/off item was chosen: the owner flips the setting (and saves and pushes it) without a notice.
    void toggleSoundsRequested();
    // "Open Tapchime" was chosen: the owner brings the main window forward.
    void openRequested();

private:
    QAction *checkForUpdates_;
    QAction *sounds_;
    QAction *quit_;
    QAction *open_;
    std::unique_ptr<QMenu> trayMenu_;
};

} // namespace tc
