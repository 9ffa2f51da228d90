#include "app/shell/BackgroundRunningApps.h"

#include "engine/WorkQueue.h"

namespace tc {

BackgroundRunningApps::BackgroundRunningApps(std::unique_ptr<RunningAppsSource> source)
    : source_(std::move(source)), lister_(std::make_unique<WorkQueue>()) {
    refresh();
}

BackgroundRunningApps::~BackgroundRunningApps() {
    lister_.reset(); // a list being made is finished first
}

std::vector<AppIdentity> BackgroundRunningApps::list() {
    std::vector<AppIdentity> latest;
    {
        std::lock_guard guard(mutex_);
        latest = latest_;
    }
    refresh();
    return latest;
}

void BackgroundRunningApps::refresh() {
    {
        std::lock_guard guard(mutex_);
        if (waiting_) {
            return;
        }
        waiting_ = true;
    }
    lister_->post([this] {
        {
            std::lock_guard guard(mutex_);
            waiting_ = false;
        }
        auto fresh = source_->list(); // no lock held: it talks to the display server
        std::lock_guard guard(mutex_);
        latest_ = std::move(fresh);
    });
}

bool BackgroundRunningApps::listsDone() const {
    return lister_->idle();
}

} // namespace tc
