#pragma once

#include "engine/AudioOutput.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An AudioOutput for tests: records every call, fails starts on request, holds starts (a connect the server
// does not answer yet) until released, renders offline on the test's thread (standing in for the audio
// thread) and lets a test report configuration changes.
namespace tc::test {

class FakeAudioOutput final : public AudioOutput {
public:
    struct StartCall {
        std::string deviceUID;
        int bufferFrames = 0;
        std::thread::id thread;
    };

    bool start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer, std::string &error) override;
    void stop() override;
    bool isRunning() const override;
    std::string deviceUID() const override;
    void setBufferFrames(int bufferFrames) override;
    void setChangeHandler(ChangeHandler handler) override;
    void soundQueued() noexcept override { soundsQueued_.fetch_add(1); }

    // Makes the following starts fail with `error` (empty: succeed again).
    void failStarts(const std::string &error);
    // Makes the following starts wait, before they succeed or fail, until releaseStarts().
    void holdStarts();
    void releaseStarts();
    // Waits until a start is being held.
    void waitForHeldStart();
    // Renders `frames` frames on the calling thread; silence while not running.
    void render(size_t frames, std::vector<float> &left, std::vector<float> &right);
    // Reports a change as the output's thread would. streamLost also stops the stream first.
    void report(Change change);

    std::vector<StartCall> starts() const;
    int stops() const;
    std::vector<int> bufferFrameRequests() const;
    int bufferFrames() const;
    // How often the engine reported a new sound.
    int soundsQueued() const { return soundsQueued_.load(); }

private:
    mutable std::mutex mutex_;
    std::condition_variable held_;
    bool holding_ = false;
    int heldStarts_ = 0; // starts waiting now
    std::string failure_;
    AudioRenderer *renderer_ = nullptr;
    bool running_ = false;
    std::string deviceUID_;
    int bufferFrames_ = 0;
    ChangeHandler handler_;
    std::vector<StartCall> starts_;
    int stops_ = 0;
    std::vector<int> bufferFrameRequests_;
    std::atomic<int> soundsQueued_{0};
};

} // namespace tc::test
