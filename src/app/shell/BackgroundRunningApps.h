#pragma once

#include "engine/RunningAppsSource.h"

#include <memory>
#include <mutex>
#include <vector>

namespace tc {

class WorkQueue;

// The running applications for the screens, listed on a thread of its own, so the window never opens a
// connection to the display server to list them. list() answers at once with the last list made and asks for a
// fresh one; a fresh list is also made when this is made and on refresh(), which the shell calls whenever the
// frontmost application changes (a new application shows up that way). Requests that arrive while a list is
// waiting to be made add nothing.
//
// Thread: list() and refresh() on the main thread; `source` is asked on the lister's thread only.
class BackgroundRunningApps final : public RunningAppsSource {
public:
    explicit BackgroundRunningApps(std::unique_ptr<RunningAppsSource> source);
    ~BackgroundRunningApps() override;

    std::vector<AppIdentity> list() override;
    void refresh();

    // Whether no list is being made or waiting (for tests).
    bool listsDone() const;

private:
    std::unique_ptr<RunningAppsSource> source_;
    mutable std::mutex mutex_; // guards latest_ and waiting_
    std::vector<AppIdentity> latest_;
    bool waiting_ = false;              // a list is asked for and not begun
    std::unique_ptr<WorkQueue> lister_; // last: it ends before the rest goes
};

} // namespace tc
