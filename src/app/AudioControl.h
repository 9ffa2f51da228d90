#pragma once

#include "engine/SoundPlayer.h"

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>

namespace tc {

class AudioEngine;

// What the application model does with the audio engine: configure it under its lock at start-up and when
// an audio setting changes, and play previews. The program passes the real engine through
// AudioEngineControl; tests pass a fake that records the calls.
//
// Thread: the main thread. Everything but play() must be called with lock() held; play() takes it itself.
class AudioControl : public SoundPlayer {
public:
    virtual std::mutex &lock() = 0;
    virtual void setLowLatency(bool lowLatency) = 0;
    virtual void setOutputDeviceUID(std::optional<std::string> uid) = 0; // absent: the system default
    virtual void rebuildVoices(int count) = 0;
    virtual void applyOutputDevice() = 0;
    virtual void startEngine() = 0;
    virtual void stopEngine() = 0;
    virtual void applyBufferSize() = 0;
    virtual std::size_t voiceCount() const = 0;
};

// The program's audio engine behind AudioControl. The engine must outlive it.
class AudioEngineControl final : public AudioControl {
public:
    explicit AudioEngineControl(AudioEngine &engine) : engine_(engine) {}

    void play(const AudioBufferPtr &buffer, float volume, float rate, float pan) override;
    std::mutex &lock() override;
    void setLowLatency(bool lowLatency) override;
    void setOutputDeviceUID(std::optional<std::string> uid) override;
    void rebuildVoices(int count) override;
    void applyOutputDevice() override;
    void startEngine() override;
    void stopEngine() override;
    void applyBufferSize() override;
    std::size_t voiceCount() const override;

private:
    AudioEngine &engine_;
};

} // namespace tc
