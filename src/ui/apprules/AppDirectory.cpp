#include "ui/apprules/AppDirectory.h"

#include "app/DesktopApps.h"

namespace tc {

AppDirectory AppDirectory::desktop(DesktopApps *apps) {
    AppDirectory directory;
    if (!apps) {
        directory.runningApps = [] { return std::vector<RunningApp>{}; };
        directory.chooseApp = [](QWidget *parent) {
            return PanelHelper::chooseApp(std::vector<InstalledApp>{}, parent);
        };
        directory.icon = [](const QString &) { return QIcon(); };
        return directory;
    }
    directory.source = apps;
    directory.runningApps = [apps] {
        apps->refreshIfChanged();
        return PanelHelper::runningApps(*apps);
    };
    directory.chooseApp = [apps](QWidget *parent) {
        apps->refreshIfChanged();
        return PanelHelper::chooseApp(*apps, parent);
    };
    directory.icon = [apps](const QString &bundleID) { return PanelHelper::icon(bundleID, *apps); };
    return directory;
}

} // namespace tc
