#pragma once

#include "app/BackgroundService.h"
#include "engine/WorkQueue.h"

#include <set>

namespace tc::test {

// The program's background service with some lanes run in place: a task posted to one of `inPlace` runs at once
// on the posting thread, the others on their real lanes. Landings come back through `mainThread` either way (a
// FakeTime the test runs, in the app and view tests).
class InlineLanes final : public BackgroundService {
public:
    InlineLanes(Scheduler &mainThread, std::set<Lane> inPlace) : BackgroundService(mainThread), inPlace_(inPlace) {}

    // Which lanes run in place from now on; before the first post.
    void runInPlace(std::set<Lane> inPlace) { inPlace_ = std::move(inPlace); }

    void post(Lane lane, std::function<void()> task) override {
        if (inPlace_.count(lane) != 0) {
            task();
            return;
        }
        BackgroundService::post(lane, std::move(task));
    }

private:
    std::set<Lane> inPlace_;
};

} // namespace tc::test
