#include "ui/apprules/AppDirectory.h"

#include "engine/RunningAppsSource.h"
#include "engine/linux/DesktopEntries.h"

namespace tc {

AppDirectory AppDirectory::desktop(RunningAppsSource *running, DesktopEntries *entries) {
    AppDirectory directory;
    directory.runningApps = [running, entries]() -> std::vector<RunningApp> {
        if (!running) {
            return {};
        }
        if (!entries) {
            return PanelHelper::runningApps(*running, DesktopEntries({}, {}));
        }
        entries->refreshIfChanged();
        return PanelHelper::runningApps(*running, *entries);
    };
    directory.chooseApp = [entries](QWidget *parent) -> std::optional<ChosenApp> {
        if (entries) {
            entries->refreshIfChanged();
            return PanelHelper::chooseApp(*entries, parent);
        }
        return PanelHelper::chooseApp(std::vector<InstalledApp>{}, parent);
    };
    directory.icon = [entries](const QString &bundleID) {
        return entries ? PanelHelper::icon(bundleID, *entries) : QIcon();
    };
    return directory;
}

} // namespace tc
