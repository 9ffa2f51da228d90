#include "ui/shell/Pages.h"

#include "app/AppModel.h"
#include "app/DesktopApps.h"
#include "ui/apprules/AppRulesView.h"
#include "ui/editor/EditorView.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/settings/SettingsView.h"
#include "ui/sounds/PickerRecordPane.h"
#include "ui/sounds/SoundPickerSheet.h"
#include "ui/sounds/SoundsView.h"
#include "ui/triggers/TriggersView.h"

namespace tc {

namespace {

// The trigger screen's view of the desktop's applications: the running ones, the chooser and the installed
// names.
TriggerApps triggerApps(const PageServices &services) {
    TriggerApps apps;
    DesktopApps *installed = services.apps;
    if (!installed) {
        return apps;
    }
    apps.source = installed;
    apps.running = [installed] { return PanelHelper::runningApps(*installed); };
    apps.choose = [installed](QWidget *parent) {
        installed->refreshIfChanged();
        return PanelHelper::chooseApp(*installed, parent);
    };
    apps.installedName = [installed](const QString &bundleID) -> std::optional<QString> {
        const std::optional<InstalledApp> app = installed->find(bundleID);
        return app ? std::optional(app->name) : std::nullopt;
    };
    return apps;
}

} // namespace

QWidget *makePage(AppSection section, AppModel &model, QWidget *parent, const PageServices &services) {
    switch (section) {
    case AppSection::keyboard:
        return new EditorView(model, parent);
    case AppSection::sounds:
        return new SoundsView(model, SoundFilePanels::system(), parent);
    case AppSection::triggers:
        return new TriggersView(model, triggerApps(services), parent);
    case AppSection::apps:
        return new AppRulesView(model, AppDirectory::desktop(services.apps), parent);
    case AppSection::settings:
        break;
    }
    return new SettingsView(model, parent);
}

QDialog *makeSoundPickerSheet(const SoundPickerTarget &target, AppModel &model, QWidget *parent) {
    return new SoundPickerSheet(target, model, model.makeRecorder(), PickerRecordPane::systemSoundSettings(), parent);
}

QDialog *makeOnboardingSheet(AppModel &model, QWidget *parent) {
    return new OnboardingView(model, parent);
}

} // namespace tc
