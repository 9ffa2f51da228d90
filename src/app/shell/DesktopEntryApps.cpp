#include "app/shell/DesktopEntryApps.h"

namespace tc {

namespace {

InstalledApp app(const DesktopEntry &entry) {
    return {QString::fromStdString(entry.id), QString::fromStdString(entry.name), QString::fromStdString(entry.icon)};
}

} // namespace

std::vector<InstalledApp> DesktopEntryApps::installed() const {
    std::vector<InstalledApp> apps;
    for (const DesktopEntry &entry : entries_.installed()) {
        apps.push_back(app(entry));
    }
    return apps;
}

std::optional<InstalledApp> DesktopEntryApps::find(const QString &bundleID) const {
    const DesktopEntry *entry = entries_.find(bundleID.toStdString());
    return entry ? std::optional(app(*entry)) : std::nullopt;
}

} // namespace tc
