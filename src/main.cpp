// Composition root: makes the application's single objects and hands them to each other.

#include "app/AppModel.h"
#include "app/BuildInfo.h"
#include "app/DocumentStore.h"
#include "app/shell/AppAssembly.h"
#include "app/shell/AppMenus.h"
#include "app/shell/KeyboardAccessHelp.h"
#include "app/shell/NoticeHUD.h"
#include "app/shell/QuitHooks.h"
#include "app/shell/SecondLaunch.h"
#include "app/shell/ShellBindings.h"
#include "app/shell/SingleInstance.h"
#include "app/shell/TrayIcon.h"
#include "app/shell/Updater.h"
#include "engine/linux/DataFolderLock.h"
#include "ui/kit/Theme.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/MenuBarPopup.h"
#include "ui/shell/NoticeView.h"

#include <QApplication>
#include <QMenuBar>
#include <QPalette>

int main(int argc, char *argv[]) {
    // One copy per data folder, for its whole life: the lock is taken before anything there is read, cleaned or
    // written, and a launch that finds it held asks the copy holding it to show its window and ends.
    tc::DataFolderLock dataFolder(tc::DocumentStore::defaultFolder().toStdString());
    if (const auto status = tc::SecondLaunch::handOver(dataFolder, argc, argv, tc::Theme::applyAppearance)) {
        return *status;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("Tapchime");
    QApplication::setOrganizationName("Tapchime");
    QApplication::setDesktopFileName("tapchime");
    // The program lives in the tray: closing its last window leaves it running.
    QApplication::setQuitOnLastWindowClosed(false);

    // Later launches find this copy on its socket; one of another data folder that answers there keeps the
    // program to one copy per user, as before.
    tc::SingleInstance instance;
    if (!instance.claim()) {
        return 0;
    }

    // The desktop's own text colour, read before the light appearance replaces it, may colour the tray icon.
    const QColor trayInk = tc::TrayIcon::inkFor(qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
                                                QApplication::palette().color(QPalette::WindowText));
    tc::Theme::applyAppearance(app);

    tc::Updater updater(tc::Updater::buildFeed(), QString::fromUtf8(tc::buildinfo::shortVersion),
                        QString::fromUtf8(tc::buildinfo::buildNumber));

    // The one application model on the real engine, router, library, keyboard monitor and watchers.
    tc::AppAssembly assembly;
    auto &model = assembly.model();

    tc::MainWindow window(model, {&assembly.apps()});
    tc::AppMenus menus(window.menuBar(), updater);
    tc::TrayIcon tray(trayInk);
    tray.setContextMenu(menus.trayMenu());

    const auto bringForward = [&window] { window.bringForward(); };
    // A notice's remedy fixes the silence it was shown for; an app rule's opens the App rules section.
    tc::NoticeHUD notices(assembly.timers(), tc::NoticeView::factory(), tc::noticeFix(model, bringForward));
    QObject::connect(&model, &tc::AppModel::noticeRequested, &notices, &tc::NoticeHUD::show);
    QObject::connect(&model, &tc::AppModel::keyboardAccessHelpRequested, &window,
                     [&window] { tc::KeyboardAccessHelp::present(window.dialogParent()); });
    // A save that fails is told over the window while it is shown (over its open sheet, if any).
    tc::bindSaveFailures(model,
                         [&window]() -> QWidget * { return window.isVisible() ? window.dialogParent() : nullptr; });
    // A saved document that could not be read is told once at start, over the onboarding it leads to.
    tc::bindBrokenDocumentNotice(
        model, [&window]() -> QWidget * { return window.isVisible() ? window.dialogParent() : nullptr; });
    // While one of the program's windows has the keyboard focus, key sounds follow no app rule.
    tc::bindOwnWindowFocus(model);
    // Quit, the session's end and SIGTERM all write the pending save first.
    tc::installQuitHooks(model);
    QObject::connect(&instance, &tc::SingleInstance::activateRequested, &window, bringForward);
    QObject::connect(&menus, &tc::AppMenus::openRequested, &window, bringForward);
    tc::bindTray(model, tray);
    tc::bindMenus(model, menus);
    tc::bindUpdater(model, updater);
    // The tray panel opens beside the tray icon when it is clicked; its power button quits (the panel writes
    // what is pending first).
    tc::MenuBarPopup panel(model, {bringForward, {}});
    QObject::connect(&tray, &tc::TrayIcon::clicked, &panel, [&panel](QRect geometry) { panel.toggleAt(geometry); });

    // Shown even without a tray: a tray that comes up later (the desktop's panel after a login start) takes
    // the icon then.
    tray.show();
    // The keyboard is heard before the window shows: a hotkey pressed the moment it appears is not lost.
    model.startListening();
    if (!tc::TrayIcon::isAvailable()) {
        // Without a tray the window is the only way in.
        window.show();
    }
    model.start();
    return QApplication::exec();
}
