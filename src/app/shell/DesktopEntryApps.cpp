#include "app/shell/DesktopEntryApps.h"

#include "engine/WorkQueue.h"

namespace tc {

namespace {

InstalledApp app(const DesktopEntry &entry) {
    return {QString::fromStdString(entry.id), QString::fromStdString(entry.name), QString::fromStdString(entry.icon)};
}

} // namespace

DesktopEntryApps::DesktopEntryApps(DesktopEntries entries) : entries_(std::move(entries)) {
    publish(*entries_);
}

DesktopEntryApps::DesktopEntryApps() : reader_(std::make_unique<WorkQueue>()) {
    reader_->post([this] {
        entries_.emplace(); // reads the folders
        publish(*entries_);
    });
}

std::unique_ptr<DesktopEntryApps> DesktopEntryApps::readInBackground() {
    return std::unique_ptr<DesktopEntryApps>(new DesktopEntryApps());
}

DesktopEntryApps::~DesktopEntryApps() {
    reader_.reset(); // a read that runs ends first
}

void DesktopEntryApps::refreshIfChanged() {
    if (!reader_) {
        if (entries_->refreshIfChanged()) {
            publish(*entries_);
        }
        return;
    }
    reader_->post([this] {
        if (entries_ && entries_->refreshIfChanged()) {
            publish(*entries_);
        }
    });
}

void DesktopEntryApps::publish(const DesktopEntries &entries) {
    auto copy = std::make_shared<const DesktopEntries>(entries);
    std::lock_guard guard(mutex_);
    shown_ = std::move(copy);
}

std::shared_ptr<const DesktopEntries> DesktopEntryApps::shown() const {
    std::lock_guard guard(mutex_);
    return shown_;
}

bool DesktopEntryApps::readsDone() const {
    return !reader_ || reader_->idle();
}

std::vector<InstalledApp> DesktopEntryApps::installed() const {
    std::vector<InstalledApp> apps;
    if (const auto entries = shown()) {
        for (const DesktopEntry &entry : entries->installed()) {
            apps.push_back(app(entry));
        }
    }
    return apps;
}

std::optional<InstalledApp> DesktopEntryApps::find(const QString &bundleID) const {
    const auto entries = shown();
    const DesktopEntry *entry = entries ? entries->find(bundleID.toStdString()) : nullptr;
    return entry ? std::optional(app(*entry)) : std::nullopt;
}

} // namespace tc
