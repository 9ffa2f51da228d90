#include "support/FakeAudioOutput.h"

namespace tc::test {

bool FakeAudioOutput::start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer,
                            std::string &error) {
    std::unique_lock guard(mutex_);
    starts_.push_back({deviceUID, bufferFrames, std::this_thread::get_id()});
    running_ = false;
    renderer_ = nullptr;
    ++heldStarts_;
    held_.notify_all();
    held_.wait(guard, [this] { return !holding_; });
    --heldStarts_;
    if (!failure_.empty()) {
        error = failure_;
        return false;
    }
    running_ = true;
    renderer_ = &renderer;
    deviceUID_ = deviceUID;
    bufferFrames_ = bufferFrames;
    return true;
}

void FakeAudioOutput::stop() {
    std::lock_guard guard(mutex_);
    if (running_ || renderer_) {
        ++stops_;
    }
    running_ = false;
    renderer_ = nullptr;
}

bool FakeAudioOutput::isRunning() const {
    std::lock_guard guard(mutex_);
    return running_;
}

std::string FakeAudioOutput::deviceUID() const {
    std::lock_guard guard(mutex_);
    return deviceUID_;
}

void FakeAudioOutput::setBufferFrames(int bufferFrames) {
    std::lock_guard guard(mutex_);
    bufferFrameRequests_.push_back(bufferFrames);
    bufferFrames_ = bufferFrames;
}

void FakeAudioOutput::setChangeHandler(ChangeHandler handler) {
    std::lock_guard guard(mutex_);
    handler_ = std::move(handler);
}

void FakeAudioOutput::failStarts(const std::string &error) {
    std::lock_guard guard(mutex_);
    failure_ = error;
}

void FakeAudioOutput::holdStarts() {
    std::lock_guard guard(mutex_);
    holding_ = true;
}

void FakeAudioOutput::releaseStarts() {
    std::lock_guard guard(mutex_);
    holding_ = false;
    held_.notify_all();
}

void FakeAudioOutput::waitForHeldStart() {
    std::unique_lock guard(mutex_);
    held_.wait(guard, [this] { return holding_ && heldStarts_ > 0; });
}

void FakeAudioOutput::render(size_t frames, std::vector<float> &left, std::vector<float> &right) {
    left.assign(frames, 0.0f);
    right.assign(frames, 0.0f);
    AudioRenderer *renderer = nullptr;
    {
        std::lock_guard guard(mutex_);
        renderer = running_ ? renderer_ : nullptr;
    }
    if (renderer) {
        renderer->render(left.data(), right.data(), frames);
    }
}

void FakeAudioOutput::report(Change change) {
    ChangeHandler handler;
    {
        std::lock_guard guard(mutex_);
        if (change == Change::streamLost) {
            running_ = false;
        }
        handler = handler_;
    }
    if (handler) {
        handler(change);
    }
}

std::vector<FakeAudioOutput::StartCall> FakeAudioOutput::starts() const {
    std::lock_guard guard(mutex_);
    return starts_;
}

int FakeAudioOutput::stops() const {
    std::lock_guard guard(mutex_);
    return stops_;
}

std::vector<int> FakeAudioOutput::bufferFrameRequests() const {
    std::lock_guard guard(mutex_);
    return bufferFrameRequests_;
}

int FakeAudioOutput::bufferFrames() const {
    std::lock_guard guard(mutex_);
    return bufferFrames_;
}

} // namespace tc::test
