#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenuBar;

namespace tc {

class Updater;

// The program's menus in the main window's menu bar:
//   "Tapchime": "Check for Updates…" (disabled without an update feed), "Quit Tapchime" (Ctrl+Q);
//   "Sounds": the on/off item, titled by the current setting. The item carries no shortcut: the global
//   hotkey Ctrl+Alt+K is heard by the key router, not by this menu.
// Main thread only; the menus are owned by the menu bar.
class AppMenus : public QObject {
    Q_OBJECT
public:
    AppMenus(QMenuBar *menuBar, Updater &updater, QObject *parent = nullptr);

    // "Turn Sounds Off  (⌃⌥K)" while sounds are on, "Turn Sounds On  (⌃⌥K)" while off.
    static QString soundsItemTitle(bool soundsEnabled);

    // Retitles the on/off item for the current setting.
    void setSoundsEnabled(bool enabled);

    QAction *checkForUpdatesAction() const { return checkForUpdates_; }
    QAction *soundsAction() const { return sounds_; }
    QAction *quitAction() const { return quit_; }

signals:
    // The on/off item was chosen: the owner flips the setting (and saves and pushes it) without a notice.
    void toggleSoundsRequested();

private:
    QAction *checkForUpdates_;
    QAction *sounds_;
    QAction *quit_;
};

} // namespace tc
