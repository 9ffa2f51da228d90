#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Records a PulseAudio source (usually "tc_out.monitor", the rig's output as heard) on its own thread
// as 48 kHz stereo float, so a test can play something and then check what really came out.
namespace tc::test {

class MonitorCapture {
public:
    static constexpr int kRate = 48000;

    // Starts recording `source` at once; throws when the stream cannot be opened.
    explicit MonitorCapture(const std::string &source = "tc_out.monitor");
    ~MonitorCapture();
    MonitorCapture(const MonitorCapture &) = delete;
    MonitorCapture &operator=(const MonitorCapture &) = delete;

    // Stops recording and returns everything recorded, interleaved left/right.
    std::vector<float> stop();
    // Frames recorded so far.
    size_t frames() const;
    // A copy of everything recorded so far, interleaved left/right; recording goes on.
    std::vector<float> recorded() const;

private:
    void run();

    std::string source_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<float> samples_;
    std::string error_;
    std::thread thread_;
    void *stream_ = nullptr; // pa_simple
};

// A span of frames whose level is above a threshold.
struct SoundSpan {
    bool found = false;
    size_t firstFrame = 0;
    size_t lastFrame = 0; // inclusive
    size_t length() const { return found ? lastFrame - firstFrame + 1 : 0; }
};

// The first and last frame of an interleaved stereo recording whose louder channel exceeds `threshold`.
SoundSpan findSound(const std::vector<float> &interleaved, float threshold = 0.01f);

// How long a test waits for the sound server (it answers slowly on a loaded machine).
inline constexpr std::chrono::seconds kServerWait{15};

// Records on until a sound has come and gone (a fresh stream on an idle null sink takes a while to start), at
// most kServerWait; returns everything recorded so far, interleaved left/right.
std::vector<float> hearSound(const MonitorCapture &capture);

// Peak level of one channel (0 left, 1 right) of an interleaved stereo recording.
float channelPeak(const std::vector<float> &interleaved, int channel);

} // namespace tc::test
