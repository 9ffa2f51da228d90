#include "ui/apprules/AppDirectory.h"

#include "app/DesktopApps.h"
#include "engine/RunningAppsSource.h"

namespace tc {

namespace {

// Stands in when the desktop's installed applications are not known: none is installed.
class NoInstalledApps final : public DesktopApps {
public:
    void refreshIfChanged() override {}
    std::vector<InstalledApp> installed() const override { return {}; }
    std::optional<InstalledApp> find(const QString &) const override { return std::nullopt; }
};

} // namespace

AppDirectory AppDirectory::desktop(RunningAppsSource *running, DesktopApps *installed) {
    AppDirectory directory;
    directory.runningApps = [running, installed]() -> std::vector<RunningApp> {
        if (!running) {
            return {};
        }
        if (!installed) {
            return PanelHelper::runningApps(*running, NoInstalledApps());
        }
        installed->refreshIfChanged();
        return PanelHelper::runningApps(*running, *installed);
    };
    directory.chooseApp = [installed](QWidget *parent) -> std::optional<ChosenApp> {
        if (installed) {
            installed->refreshIfChanged();
            return PanelHelper::chooseApp(*installed, parent);
        }
        return PanelHelper::chooseApp(std::vector<InstalledApp>{}, parent);
    };
    directory.icon = [installed](const QString &bundleID) {
        return installed ? PanelHelper::icon(bundleID, *installed) : QIcon();
    };
    return directory;
}

} // namespace tc
