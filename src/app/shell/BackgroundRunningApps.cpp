#include "app/shell/BackgroundRunningApps.h"

#include "app/BackgroundService.h"
#include "engine/Landings.h"

#include <mutex>

namespace tc {

// The source and whether a list is asked for and not begun; shared with the lane's tasks, so a list being
// made when this goes ends on its own.
struct BackgroundRunningApps::Lister {
    explicit Lister(std::unique_ptr<RunningAppsSource> from) : source(std::move(from)) {}
    std::unique_ptr<RunningAppsSource> source; // asked on the lane only
    std::mutex mutex;                          // guards waiting
    bool waiting = false;
};

BackgroundRunningApps::BackgroundRunningApps(std::unique_ptr<RunningAppsSource> source, BackgroundService &lanes)
    : lanes_(lanes), lister_(std::make_shared<Lister>(std::move(source))), landings_(lanes.landings()) {
    refresh();
}

BackgroundRunningApps::~BackgroundRunningApps() = default;

std::vector<AppIdentity> BackgroundRunningApps::list() {
    refresh();
    return latest_;
}

void BackgroundRunningApps::refresh() {
    {
        std::lock_guard guard(lister_->mutex);
        if (lister_->waiting) {
            return;
        }
        lister_->waiting = true;
    }
    lanes_.post(BackgroundService::Lane::desktop, [lister = lister_, deliver = landings_->deliverer(), self = this] {
        {
            std::lock_guard guard(lister->mutex);
            lister->waiting = false;
        }
        // No lock held: it talks to the display server.
        deliver([self, fresh = lister->source->list()]() mutable {
            if (fresh != self->latest_) {
                self->latest_ = std::move(fresh);
                emit self->changed();
            }
        });
    });
}

} // namespace tc
