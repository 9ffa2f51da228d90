#include "app/BackgroundService.h"

#include "engine/WorkQueue.h"

#include <algorithm>
#include <thread>

namespace tc {

namespace {

unsigned threadsOf(BackgroundService::Lane lane) {
    // Drawing gets half the processors at most, so that the window keeps one to answer with whatever else runs.
    return lane == BackgroundService::Lane::drawing ? std::max(1u, std::thread::hardware_concurrency() / 2) : 1u;
}

} // namespace

BackgroundService::BackgroundService(Scheduler &mainThread) : mainThread_(mainThread) {
    for (std::size_t i = 0; i < kLanes; ++i) {
        lanes_[i] = std::make_unique<WorkQueue>(threadsOf(static_cast<Lane>(i)));
    }
}

BackgroundService::~BackgroundService() = default;

void BackgroundService::post(Lane lane, std::function<void()> task) {
    lanes_[static_cast<std::size_t>(lane)]->post(std::move(task));
}

void BackgroundService::stop(Lane lane) {
    lanes_[static_cast<std::size_t>(lane)]->stop();
}

std::unique_ptr<Landings> BackgroundService::landings() const {
    return std::make_unique<Landings>(mainThread_);
}

const WorkQueue &BackgroundService::queue(Lane lane) const {
    return *lanes_[static_cast<std::size_t>(lane)];
}

} // namespace tc
