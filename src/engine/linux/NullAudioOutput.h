#pragma once

#include "engine/AudioOutput.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tc {

// An output that renders to nowhere, at the pace of a real stream: its own audio thread ("Tapchime.null")
// pulls one buffer of frames from the renderer every buffer period. It takes over where no sound server
// can be reached, so voices keep their timing and the program runs anywhere. It never reports changes.
//
// Threads: see AudioOutput.
class NullAudioOutput final : public AudioOutput {
public:
    static constexpr int kMaxBufferFrames = 4096;

    NullAudioOutput();
    ~NullAudioOutput() override;

    bool start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer, std::string &error) override;
    void stop() override;
    bool isRunning() const override { return running_.load(std::memory_order_acquire); }
    std::string deviceUID() const override { return deviceUID_; }
    void setBufferFrames(int bufferFrames) override;
    void setChangeHandler(ChangeHandler) override {}

    // Frames rendered since the output was made (from any thread).
    uint64_t renderedFrames() const { return rendered_.load(std::memory_order_acquire); }

private:
    void run(AudioRenderer &renderer);

    std::string deviceUID_;
    std::atomic<int> bufferFrames_{512};
    std::atomic<bool> running_{false};
    std::atomic<uint64_t> rendered_{0};
    std::vector<float> left_; // render scratch, audio thread while running
    std::vector<float> right_;
    std::mutex stopMutex_;
    std::condition_variable stopped_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace tc
