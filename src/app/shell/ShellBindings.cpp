#include "app/shell/ShellBindings.h"

#include "app/AppModel.h"
#include "app/shell/AppMenus.h"
#include "app/shell/TrayIcon.h"
#include "app/shell/Updater.h"

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

NoticeHUD::FixHandler noticeFix(AppModel &model, std::function<void()> showAppRules) {
    return [&model, showAppRules = std::move(showAppRules)](const Silence &shown) {
        if (!model.fixSilence(shown.kind) && showAppRules) {
            showAppRules();
        }
    };
}

} // namespace tc
