#include "engine/linux/NullAudioOutput.h"

#include "engine/AudioBuffer.h"

#include <algorithm>
#include <chrono>
#include <pthread.h>

namespace tc {

namespace {

int clampFrames(int frames) {
    return std::clamp(frames, 1, NullAudioOutput::kMaxBufferFrames);
}

} // namespace

NullAudioOutput::NullAudioOutput() : left_(kMaxBufferFrames), right_(kMaxBufferFrames) {}

NullAudioOutput::~NullAudioOutput() {
    stop();
}

bool NullAudioOutput::start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer, std::string &) {
    stop();
    deviceUID_ = deviceUID;
    bufferFrames_.store(clampFrames(bufferFrames));
    stop_ = false;
    running_.store(true, std::memory_order_release);
    thread_ = std::thread([this, &renderer] { run(renderer); });
    return true;
}

void NullAudioOutput::stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard guard(stopMutex_);
        stop_ = true;
    }
    stopped_.notify_one();
    thread_.join();
    running_.store(false, std::memory_order_release);
}

void NullAudioOutput::setBufferFrames(int bufferFrames) {
    bufferFrames_.store(clampFrames(bufferFrames));
}

void NullAudioOutput::run(AudioRenderer &renderer) {
    pthread_setname_np(pthread_self(), "Tapchime.null");
    using Clock = std::chrono::steady_clock;
    auto next = Clock::now();
    std::unique_lock guard(stopMutex_);
    while (!stop_) {
        const int frames = bufferFrames_.load();
        guard.unlock();
        renderer.render(left_.data(), right_.data(), static_cast<size_t>(frames));
        rendered_.fetch_add(static_cast<uint64_t>(frames), std::memory_order_release);
        guard.lock();
        next += std::chrono::nanoseconds(static_cast<int64_t>(frames) * 1'000'000'000 / AudioBuffer::kSampleRate);
        // After a stall, keep the pace from now on rather than rendering the missed time in a burst.
        next = std::max(next, Clock::now() - std::chrono::milliseconds(50));
        stopped_.wait_until(guard, next, [this] { return stop_; });
    }
}

} // namespace tc
