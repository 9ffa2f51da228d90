#include "app/shell/ShellBindings.h"

#include "app/AppModel.h"
#include "app/DocumentStore.h"
#include "app/FailureText.h"
#include "app/shell/AppMenus.h"
#include "app/shell/TrayIcon.h"
#include "app/shell/Updater.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QWidget>
#include <QWindow>

namespace tc {

void bindTray(AppModel &model, TrayIcon &tray) {
    tray.setSilence(model.silence());
    QObject::connect(&model, &AppModel::silenceChanged, &tray, [&model, &tray] { tray.setSilence(model.silence()); });
}

void bindMenus(AppModel &model, AppMenus &menus) {
    menus.setSoundsEnabled(model.data().settings.enabled);
    model.observe(AppModel::settingsChange, &menus,
                  [&model, &menus] { menus.setSoundsEnabled(model.data().settings.enabled); });
    QObject::connect(&menus, &AppMenus::toggleSoundsRequested, &model, [&model] { model.toggleSounds(); });
}

void bindUpdater(AppModel &model, Updater &updater) {
    model.setCanCheckForUpdates(updater.canCheck());
    QObject::connect(&model, &AppModel::updateCheckRequested, &updater, &Updater::checkForUpdates);
}

void bindOwnWindowFocus(AppModel &model) {
    model.setOwnWindowFocused(QGuiApplication::focusWindow() != nullptr);
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, &model,
                     [&model](QWindow *window) { model.setOwnWindowFocused(window != nullptr); });
}

QString saveFailureTitle() {
    return QStringLiteral("Tapchime couldn't save your changes");
}

QString saveFailureText(const QString &reason) {
    return saveFailureMessage(DocumentStore::defaultFolder(), reason);
}

void bindSaveFailures(AppModel &model, std::function<QWidget *()> parent) {
    QObject::connect(&model, &AppModel::saveFailed, &model, [parent = std::move(parent)](const QString &reason) {
        QWidget *over = parent ? parent() : nullptr;
        auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tapchime"), saveFailureTitle(),
                                    QMessageBox::Ok, over);
        box->setObjectName(QStringLiteral("saveFailedAlert"));
        box->setInformativeText(saveFailureText(reason));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    });
}

QString brokenDocumentTitle() {
    return QStringLiteral("Tapchime couldn't read your saved settings");
}

QString brokenDocumentText(const QString &keptPath) {
    const QFileInfo kept(keptPath);
    return QStringLiteral("Tapchime starts with its defaults. A copy of the file was kept as \"%1\" in the folder "
                          "%2; Tapchime never changes or removes it.")
        .arg(kept.fileName(), QDir::toNativeSeparators(kept.absolutePath()));
}

void bindBrokenDocumentNotice(AppModel &model, std::function<QWidget *()> parent) {
    QObject::connect(&model, &AppModel::brokenDocumentKept, &model,
                     [parent = std::move(parent)](const QString &keptPath) {
                         QWidget *over = parent ? parent() : nullptr;
                         auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("Tapchime"),
                                                     brokenDocumentTitle(), QMessageBox::Ok, over);
                         box->setObjectName(QStringLiteral("brokenDocumentAlert"));
                         box->setInformativeText(brokenDocumentText(keptPath));
                         box->setAttribute(Qt::WA_DeleteOnClose);
                         box->show();
                     });
}

NoticeHUD::FixHandler noticeFix(AppModel &model, std::function<void()> showAppRules) {
    return [&model, showAppRules = std::move(showAppRules)](const Silence &shown) {
        if (!model.fixSilence(shown.kind) && showAppRules) {
            showAppRules();
        }
    };
}

} // namespace tc
