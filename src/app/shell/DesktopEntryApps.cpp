#include "app/shell/DesktopEntryApps.h"

#include "app/BackgroundService.h"
#include "engine/Landings.h"

#include <mutex>

namespace tc {

namespace {

InstalledApp app(const DesktopEntry &entry) {
    return {QString::fromStdString(entry.id), QString::fromStdString(entry.name), QString::fromStdString(entry.icon)};
}

std::vector<AppIdentity> listWith(RunningAppsSource &windows, const DesktopEntries &entries) {
    return windows.list([&entries](const WindowHints &hints) { return entries.resolve(hints); });
}

} // namespace

// The one catalogue and the window list as the desktop lane keeps them; shared with the lane's tasks, so a task
// that runs when the object goes ends on its own.
struct DesktopEntryApps::Desk {
    explicit Desk(std::unique_ptr<RunningAppsSource> source) : windows(std::move(source)) {}
    std::optional<DesktopEntries> entries;      // the lane's
    std::unique_ptr<RunningAppsSource> windows; // the lane's; null: none listed
    std::mutex mutex;                           // guards listWaiting
    bool listWaiting = false;
};

DesktopEntryApps::DesktopEntryApps(DesktopEntries entries, std::unique_ptr<RunningAppsSource> windows)
    : entries_(std::move(entries)), windows_(std::move(windows)) {
    shown_ = std::make_shared<const DesktopEntries>(*entries_);
}

DesktopEntryApps::DesktopEntryApps(BackgroundService &lanes, std::unique_ptr<RunningAppsSource> windows)
    : lanes_(&lanes), desk_(std::make_shared<Desk>(std::move(windows))), landings_(lanes.landings()) {
    read(true);
    list();
}

std::unique_ptr<DesktopEntryApps> DesktopEntryApps::readInBackground(BackgroundService &lanes,
                                                                     std::unique_ptr<RunningAppsSource> windows) {
    return std::unique_ptr<DesktopEntryApps>(new DesktopEntryApps(lanes, std::move(windows)));
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
        BackgroundService::Lane::desktop, [desk = desk_, first, deliver = landings_->deliverer(), self = this] {
            if (first) {
                desk->entries.emplace(); // reads the folders
            } else if (!desk->entries || !desk->entries->refreshIfChanged()) {
                return;
            }
            deliver([self, copy = std::make_shared<const DesktopEntries>(*desk->entries)] { self->show(copy); });
        });
}

void DesktopEntryApps::list() {
    if (!desk_->windows) {
        return;
    }
    {
        std::lock_guard guard(desk_->mutex);
        if (desk_->listWaiting) {
            return;
        }
        desk_->listWaiting = true;
    }
    lanes_->post(BackgroundService::Lane::desktop, [desk = desk_, deliver = landings_->deliverer(), self = this] {
        {
            std::lock_guard guard(desk->mutex);
            desk->listWaiting = false;
        }
        if (!desk->entries) {
            desk->entries.emplace(); // the first read was dropped; the windows are named from the same catalogue
        } else if (desk->entries->refreshIfChanged()) {
            // A few stat() calls: applications installed since name their windows, and the choosers show them.
            deliver([self, copy = std::make_shared<const DesktopEntries>(*desk->entries)] { self->show(copy); });
        }
        // No lock held: it talks to the display server.
        deliver([self, fresh = listWith(*desk->windows, *desk->entries)]() mutable {
            self->showRunning(std::move(fresh));
        });
    });
}

void DesktopEntryApps::show(std::shared_ptr<const DesktopEntries> entries) {
    shown_ = std::move(entries);
    emit changed();
}

void DesktopEntryApps::showRunning(std::vector<AppIdentity> running) {
    if (running != running_) {
        running_ = std::move(running);
        emit changed();
    }
}

std::vector<AppIdentity> DesktopEntryApps::running() {
    if (!lanes_) {
        return windows_ ? listWith(*windows_, *entries_) : std::vector<AppIdentity>{};
    }
    list();
    return running_;
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
