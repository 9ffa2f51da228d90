#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>

namespace tc {

// One microphone take on the platform: records mono audio into a compressed file, measures its level and
// stops by itself at a length limit. Made by a RecordingBackend for one file; used on the main thread.
class RecordingTake {
public:
    enum class StartResult {
        started,
        unavailable, // no sound server, no microphone, or it is busy
        refused,     // the system refuses this program access to the microphone
    };

    virtual ~RecordingTake() = default;

    // Starts recording for at most maxSeconds. After `started`, onFinish(successfully) is called exactly once
    // when the take ends: at the limit, after stop(), or when recording breaks off (not successful). It may
    // be called on any thread, also from inside stop(). Destroying the take stops it; no onFinish call is
    // running or follows once the destructor has returned. May block briefly (bounded) while the stream opens.
    virtual StartResult record(double maxSeconds, std::function<void(bool successfully)> onFinish) = 0;

    // Ends the take early; the file holds what was recorded so far.
    virtual void stop() = 0;

    virtual bool isRecording() const = 0;

    // The mean power of the signal since the previous call, in dB relative to full scale (0 dB is a square
    // wave at full scale); -160 for digital silence or when nothing arrived.
    virtual float averagePowerDb() = 0;

    // Seconds recorded so far.
    virtual double currentTime() const = 0;
};

// A take's file cannot be made; what() is shown to the user.
class RecordingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Makes microphone takes and knows whether the program may record. Thread: the main thread; the answer to
// requestAccess may arrive on any thread.
class RecordingBackend {
public:
    enum class Authorization { notDetermined, authorized, denied };

    virtual ~RecordingBackend() = default;

    virtual Authorization authorization() const = 0;
    // Asks the user; `answer` is called once, on any thread.
    virtual void requestAccess(std::function<void(bool granted)> answer) = 0;
    // A take writing AAC (48 kHz, mono) in an MPEG-4 container to `file`. Throws RecordingError when the
    // take cannot be made.
    virtual std::unique_ptr<RecordingTake> createTake(const std::filesystem::path &file) = 0;
};

// Takes where no sound server or microphone exists: none starts.
class NullRecordingBackend final : public RecordingBackend {
public:
    Authorization authorization() const override { return Authorization::authorized; }
    void requestAccess(std::function<void(bool)> answer) override { answer(true); }
    std::unique_ptr<RecordingTake> createTake(const std::filesystem::path &file) override;
};

} // namespace tc
