#pragma once

#include "engine/Scheduler.h"

#include <functional>
#include <memory>

namespace tc {

// The one way back to the scheduler thread (the main thread) for what was done on another: a worker hands a
// landing to deliver(), and the landing runs on the scheduler thread, after every landing delivered before it,
// unless the owner of this object is gone by then. An owner may also land what has come in at once (landNow),
// as the model does before its last save.
//
// Thread: made, landNow() and destroyed on the scheduler thread; deliver() and the function deliverer()
// gives may be called from any thread, also after the owner is gone (the landing is then dropped). The
// scheduler must outlive every deliverer.
class Landings {
public:
    using Landing = std::function<void()>;
    using Deliver = std::function<void(Landing)>;

    explicit Landings(Scheduler &mainThread);
    // What has not landed yet is dropped, and so is what is delivered later.
    ~Landings();
    Landings(const Landings &) = delete;
    Landings &operator=(const Landings &) = delete;

    // Queues `landing` behind the others and wakes the scheduler thread for it. Any thread.
    void deliver(Landing landing) const;
    // deliver() as a function a task can carry; it keeps nothing of the owner alive.
    Deliver deliverer() const;
    // Runs the landings delivered so far, in order, on the calling (scheduler) thread.
    void landNow();
    // Whether a landing waits (for tests).
    bool pending() const;

private:
    struct Box;
    std::shared_ptr<Box> box_;
};

} // namespace tc
