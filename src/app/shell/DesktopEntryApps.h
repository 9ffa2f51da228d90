#pragma once

#include "app/DesktopApps.h"
#include "engine/linux/DesktopEntries.h"

namespace tc {

// The installed applications of the XDG desktop entries, for the screens. Main thread only.
class DesktopEntryApps final : public DesktopApps {
public:
    explicit DesktopEntryApps(DesktopEntries entries = DesktopEntries()) : entries_(std::move(entries)) {}

    void refreshIfChanged() override { entries_.refreshIfChanged(); }
    std::vector<InstalledApp> installed() const override;
    std::optional<InstalledApp> find(const QString &bundleID) const override;

private:
    DesktopEntries entries_;
};

} // namespace tc
