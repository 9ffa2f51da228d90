#include "app/shell/AppMenus.h"

#include "app/shell/Updater.h"
#include "engine/Hotkey.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

namespace tc {

AppMenus::AppMenus(QMenuBar *menuBar, Updater &updater, QObject *parent) : QObject(parent) {
    QMenu *app = menuBar->addMenu(QStringLiteral("Tapchime"));
    checkForUpdates_ = app->addAction(QStringLiteral("Check for Updates…"));
    checkForUpdates_->setEnabled(updater.canCheck());
    checkForUpdates_->setMenuRole(QAction::ApplicationSpecificRole);
    connect(checkForUpdates_, &QAction::triggered, &updater, &Updater::checkForUpdates);
    app->addSeparator();
    quit_ = app->addAction(QStringLiteral("Quit Tapchime"));
    quit_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit_->setMenuRole(QAction::QuitRole);
    connect(quit_, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    QMenu *sounds = menuBar->addMenu(QStringLiteral("Sounds"));
    sounds_ = sounds->addAction(soundsItemTitle(true));
    connect(sounds_, &QAction::triggered, this, &AppMenus::toggleSoundsRequested);

    trayMenu_ = std::make_unique<QMenu>();
    open_ = trayMenu_->addAction(QStringLiteral("Open Tapchime"));
    connect(open_, &QAction::triggered, this, &AppMenus::openRequested);
    trayMenu_->addSeparator();
    QMenu *traySounds = trayMenu_->addMenu(QStringLiteral("Sounds"));
    traySounds->addAction(sounds_);
    trayMenu_->addAction(checkForUpdates_);
    trayMenu_->addSeparator();
    trayMenu_->addAction(quit_);
}

AppMenus::~AppMenus() = default;

QString AppMenus::soundsItemTitle(bool soundsEnabled) {
    return (soundsEnabled ? QStringLiteral("Turn Sounds Off  (%1)") : QStringLiteral("Turn Sounds On  (%1)"))
        .arg(QString::fromStdString(hotkeyText(Hotkey::toggleSounds)));
}

void AppMenus::setSoundsEnabled(bool enabled) {
    sounds_->setText(soundsItemTitle(enabled));
}

} // namespace tc
