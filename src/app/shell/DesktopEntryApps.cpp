#include "app/shell/DesktopEntryApps.h"

#include "app/BackgroundService.h"
#include "engine/Landings.h"

namespace tc {

namespace {

InstalledApp app(const DesktopEntry &entry) {
    return {QString::fromStdString(entry.id), QString::fromStdString(entry.name), QString::fromStdString(entry.icon)};
}

} // namespace

// The entries as the desktop lane last read them; shared with the lane's tasks, so a read that runs when the
// object goes ends on its own.
struct DesktopEntryApps::Reader {
    std::optional<DesktopEntries> entries;
};

DesktopEntryApps::DesktopEntryApps(DesktopEntries entries) : entries_(std::move(entries)) {
    shown_ = std::make_shared<const DesktopEntries>(*entries_);
}

DesktopEntryApps::DesktopEntryApps(BackgroundService &lanes)
    : lanes_(&lanes), reader_(std::make_shared<Reader>()), landings_(lanes.landings()) {
    read(true);
}

std::unique_ptr<DesktopEntryApps> DesktopEntryApps::readInBackground(BackgroundService &lanes) {
    return std::unique_ptr<DesktopEntryApps>(new DesktopEntryApps(lanes));
}

DesktopEntryApps::~DesktopEntryApps() = default;

void DesktopEntryApps::refreshIfChanged() {
    if (!lanes_) {
        if (entries_->refreshIfChanged()) {
            show(std::make_shared<const DesktopEntries>(*entries_));
        }
        return;
    }
    read(false);
}

void DesktopEntryApps::read(bool first) {
    lanes_->post(
        BackgroundService::Lane::desktop, [reader = reader_, first, deliver = landings_->deliverer(), self = this] {
            if (first) {
                reader->entries.emplace(); // reads the folders
            } else if (!reader->entries || !reader->entries->refreshIfChanged()) {
                return;
            }
            deliver([self, copy = std::make_shared<const DesktopEntries>(*reader->entries)] { self->show(copy); });
        });
}

void DesktopEntryApps::show(std::shared_ptr<const DesktopEntries> entries) {
    shown_ = std::move(entries);
    emit changed();
}

std::vector<InstalledApp> DesktopEntryApps::installed() const {
    std::vector<InstalledApp> apps;
    if (shown_) {
        for (const DesktopEntry &entry : shown_->installed()) {
            apps.push_back(app(entry));
        }
    }
    return apps;
}

std::optional<InstalledApp> DesktopEntryApps::find(const QString &bundleID) const {
    const DesktopEntry *entry = shown_ ? shown_->find(bundleID.toStdString()) : nullptr;
    return entry ? std::optional(app(*entry)) : std::nullopt;
}

} // namespace tc
