#pragma once

#include "engine/Landings.h"
#include "engine/Scheduler.h"

#include <array>
#include <functional>
#include <memory>

namespace tc {

class WorkQueue;

// The program's one way off the main thread: a few named lanes, each a WorkQueue, so that work that may wait
// (a decode, a sound server, hundreds of desktop entries, a dashed graph) never holds the window, and work of
// one kind never waits behind another kind's. The way back is Landings on the same main-thread scheduler:
// what comes back lands in order, and is dropped when its owner is gone.
//
// Lanes: `model` the model's long work (the start-up preload, imports, exports); `microphone` opening a take's
// stream; `desktop` the desktop's lists (installed and running applications) and its openers (xdg-open);
// `devices` the sound server's device queries; `drawing` pictures painted on several threads at once (half the
// processors), the only lane whose tasks may run side by side.
//
// Made once where the program is assembled, before everything that posts to it and after everything its
// tasks use, and passed in; tests make their own (see tests/support/InlineLanes.h).
// Thread: post() from any thread; landings() and stop() on the main thread. Destruction lets running tasks
// finish, drops the rest and joins every lane.
class BackgroundService {
public:
    enum class Lane { model, microphone, desktop, devices, drawing };
    static constexpr std::size_t kLanes = 5;

    explicit BackgroundService(Scheduler &mainThread);
    virtual ~BackgroundService();
    BackgroundService(const BackgroundService &) = delete;
    BackgroundService &operator=(const BackgroundService &) = delete;

    // Runs `task` on the lane, behind what was posted there before; returns at once. Dropped once the lane is
    // stopped.
    virtual void post(Lane lane, std::function<void()> task);
    // The lane's queue, to look at: a long task asks it whether it is stopping between steps and ends early;
    // tests ask whether it is idle.
    const WorkQueue &queue(Lane lane) const;
    // Waits for the lane's running tasks and drops the rest; the lane takes nothing more (the model's own
    // lanes, before it lands the last results and saves).
    void stop(Lane lane);

    // A fresh way back to the main thread for one owner, who keeps it as long as it wants its results.
    std::unique_ptr<Landings> landings() const;
    Scheduler &mainThread() const { return mainThread_; }

private:
    Scheduler &mainThread_;
    std::array<std::unique_ptr<WorkQueue>, kLanes> lanes_;
};

} // namespace tc
