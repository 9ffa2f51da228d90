#pragma once

#include "engine/SoundPlayer.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace tc {

class AudioDevices;
class AudioEngine;

// What the application model asks of the audio engine: previews, the audio settings and the start. Each
// request returns at once; the engine carries it out on its own thread, so no sound server is ever waited
// for. The program passes the real engine through AudioEngineControl; tests pass a fake that records the calls.
//
// Thread: the main thread (play() also on the key thread, through the router).
class AudioControl : public SoundPlayer {
public:
    // A pool of this many voices, kept between 2 and 64 (the document's count may be anything); asking for the
    // size the pool has changes nothing.
    virtual void setVoiceCount(std::int64_t count) = 0;
    virtual void setLowLatency(bool lowLatency) = 0;
    virtual void setOutputDevice(std::optional<std::string> uid) = 0; // absent: the system default
    // Starts the output; it keeps running (and is restarted when lost) from then on.
    virtual void start() = 0;
    // False while the engine cannot reach its output (no sound server answers): key presses are not heard.
    // Never waits.
    virtual bool isOutputReachable() const = 0;
};

// The program's audio engine behind AudioControl. The engine must outlive it.
//
// The engine plays on the system default output while a chosen device is missing, and forgets the choice then;
// with `devices`, the chosen device is asked for again whenever the devices change, so one that comes back (a
// headset plugged in again, a sink loaded again) is played on again, as the settings still name it. The
// devices must outlive the control; their change handler only hands the request to the engine.
class AudioEngineControl final : public AudioControl {
public:
    explicit AudioEngineControl(AudioEngine &engine, AudioDevices *devices = nullptr);
    ~AudioEngineControl() override;
    AudioEngineControl(const AudioEngineControl &) = delete;
    AudioEngineControl &operator=(const AudioEngineControl &) = delete;

    void play(const AudioBufferPtr &buffer, float volume, float rate, float pan) override;
    void setVoiceCount(std::int64_t count) override;
    void setLowLatency(bool lowLatency) override;
    void setOutputDevice(std::optional<std::string> uid) override;
    void start() override;
    bool isOutputReachable() const override;

private:
    void devicesChanged();

    AudioEngine &engine_;
    AudioDevices *devices_;
    int changeToken_ = 0;
    std::mutex chosenMutex_;            // the main thread sets the choice, the devices' thread reads it
    std::optional<std::string> chosen_; // the device the owner asked for last; absent: the system default
};

} // namespace tc
