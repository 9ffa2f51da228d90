// The menus in the main window's menu bar.

#include "app/shell/AppMenus.h"
#include "app/shell/Updater.h"
#include "support/QtTestApp.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(AppMenus, TheSoundsItemIsTitledByTheSettingWithTwoSpacesBeforeTheHotkey) {
    EXPECT_EQ(tc::AppMenus::soundsItemTitle(true), QStringLiteral("Turn Sounds Off  (Ctrl+Alt+K)"));
    EXPECT_EQ(tc::AppMenus::soundsItemTitle(false), QStringLiteral("Turn Sounds On  (Ctrl+Alt+K)"));
}

TEST(AppMenus, BuildsTheApplicationAndSoundsMenus) {
    tc::test::qtApp();
    QMenuBar bar;
    tc::Updater updater(QString(), QStringLiteral("1.0.0"), QStringLiteral("1"));
    tc::AppMenus menus(&bar, updater);
    const QList<QAction *> top = bar.actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->text(), QStringLiteral("Tapchime"));
    EXPECT_EQ(top[1]->text(), QStringLiteral("Sounds"));
    EXPECT_EQ(menus.checkForUpdatesAction()->text(), QStringLiteral("Check for Updates…"));
    EXPECT_FALSE(menus.checkForUpdatesAction()->isEnabled()); // no feed
    EXPECT_TRUE(menus.soundsAction()->shortcut().isEmpty());  // the hotkey is the router's, not the menu's
    EXPECT_EQ(menus.quitAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    QSignalSpy toggled(&menus, &tc::AppMenus::toggleSoundsRequested);
    menus.soundsAction()->trigger();
    EXPECT_EQ(toggled.count(), 1);
    menus.setSoundsEnabled(false);
    EXPECT_EQ(menus.soundsAction()->text(), QStringLiteral("Turn Sounds On  (Ctrl+Alt+K)"));
}

TEST(AppMenus, TheTrayMenuOffersTheSameActionsAsTheMenuBar) {
    tc::test::qtApp();
    QMenuBar bar;
    tc::Updater updater(QString(), QStringLiteral("1.0.0"), QStringLiteral("1"));
    tc::AppMenus menus(&bar, updater);
    QStringList titles;
    for (QAction *action : menus.trayMenu()->actions()) {
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(titles, (QStringList{"Open Tapchime", "-", "Sounds", "Check for Updates…", "-", "Quit Tapchime"}));
    const QList<QAction *> items = menus.trayMenu()->actions();
    ASSERT_NE(items[2]->menu(), nullptr);
    EXPECT_EQ(items[2]->menu()->actions(), QList<QAction *>{menus.soundsAction()}); // one action, one title
    EXPECT_EQ(items[3], menus.checkForUpdatesAction());
    EXPECT_EQ(items[5], menus.quitAction());

    QSignalSpy opened(&menus, &tc::AppMenus::openRequested);
    QSignalSpy toggled(&menus, &tc::AppMenus::toggleSoundsRequested);
    menus.openAction()->trigger();
    items[2]->menu()->actions().constFirst()->trigger();
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(toggled.count(), 1);
}

TEST(AppMenus, CheckForUpdatesIsEnabledWithAFeed) {
    tc::test::qtApp();
    QMenuBar bar;
    tc::Updater updater(QStringLiteral("https://example.org/appcast.xml"), QStringLiteral("1.0.0"),
                        QStringLiteral("1"));
    tc::AppMenus menus(&bar, updater);
    EXPECT_TRUE(menus.checkForUpdatesAction()->isEnabled());
}
