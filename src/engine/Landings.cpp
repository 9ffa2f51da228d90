#include "engine/Landings.h"

#include <deque>
#include <mutex>

namespace tc {

// Shared by the owner and the deliverers; the scheduler's tasks hold it weakly, so once the owner and every
// deliverer are gone they find nothing to land.
struct Landings::Box {
    explicit Box(Scheduler &scheduler) : mainThread(scheduler) {}

    void deliver(Landing landing, const std::shared_ptr<Box> &self) {
        {
            std::lock_guard guard(lock);
            if (closed) {
                return; // dropped here, on the worker; nothing of the owner is left to reach
            }
            landings.push_back(std::move(landing));
        }
        mainThread.post([weak = std::weak_ptr<Box>(self)] {
            if (const auto box = weak.lock()) {
                box->landAll();
            }
        });
    }

    // One landing at a time, the lock released while it runs: a landing may deliver another, or close the box by
    // destroying its owner, and the rest are then dropped.
    void landAll() {
        for (;;) {
            Landing landing;
            {
                std::lock_guard guard(lock);
                if (closed || landings.empty()) {
                    return;
                }
                landing = std::move(landings.front());
                landings.pop_front();
            }
            landing();
        }
    }

    Scheduler &mainThread;
    mutable std::mutex lock;
    std::deque<Landing> landings;
    bool closed = false; // the owner is gone
};

Landings::Landings(Scheduler &mainThread) : box_(std::make_shared<Box>(mainThread)) {}

Landings::~Landings() {
    std::deque<Landing> dropped;
    {
        std::lock_guard guard(box_->lock);
        box_->closed = true;
        dropped.swap(box_->landings);
    }
    // `dropped` goes here, outside the lock.
}

void Landings::deliver(Landing landing) const {
    box_->deliver(std::move(landing), box_);
}

Landings::Deliver Landings::deliverer() const {
    return [box = box_](Landing landing) { box->deliver(std::move(landing), box); };
}

void Landings::landNow() {
    // Held for the loop: a landing may destroy the owner.
    const auto box = box_;
    box->landAll();
}

bool Landings::pending() const {
    std::lock_guard guard(box_->lock);
    return !box_->landings.empty();
}

} // namespace tc
