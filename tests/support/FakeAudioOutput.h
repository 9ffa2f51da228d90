#pragma once

#include "engine/AudioOutput.h"

#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An AudioOutput for tests: records every call, fails starts on request, renders offline on the test's
// thread (standing in for the audio thread) and lets a test report configuration changes.
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

    // Makes the following starts fail with `error` (empty: succeed again).
    void failStarts(const std::string &error);
    // Renders `frames` frames on the calling thread; silence while not running.
    void render(size_t frames, std::vector<float> &left, std::vector<float> &right);
    // Reports a change as the output's thread would. streamLost also stops the stream first.
    void report(Change change);

    std::vector<StartCall> starts() const;
    int stops() const;
    std::vector<int> bufferFrameRequests() const;
    int bufferFrames() const;

private:
    mutable std::mutex mutex_;
    std::string failure_;
    AudioRenderer *renderer_ = nullptr;
    bool running_ = false;
    std::string deviceUID_;
    int bufferFrames_ = 0;
    ChangeHandler handler_;
    std::vector<StartCall> starts_;
    int stops_ = 0;
    std::vector<int> bufferFrameRequests_;
};

} // namespace tc::test
