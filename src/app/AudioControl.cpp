#include "app/AudioControl.h"

#include "engine/AudioDevices.h"
#include "engine/AudioEngine.h"

namespace tc {

AudioEngineControl::AudioEngineControl(AudioEngine &engine, AudioDevices *devices)
    : engine_(engine), devices_(devices) {
    if (devices_) {
        changeToken_ = devices_->addChangeHandler([this] { devicesChanged(); });
    }
}

AudioEngineControl::~AudioEngineControl() {
    if (devices_) {
        devices_->removeChangeHandler(changeToken_);
    }
}

void AudioEngineControl::devicesChanged() {
    // On the devices' thread: a request returns at once, and the engine looks at the devices on its own thread.
    std::optional<std::string> chosen;
    {
        std::lock_guard guard(chosenMutex_);
        chosen = chosen_;
    }
    if (chosen) {
        engine_.setOutputDevice(std::move(chosen));
    }
}

void AudioEngineControl::play(const AudioBufferPtr &buffer, float volume, float rate, float pan) {
    engine_.play(buffer, volume, rate, pan);
}

void AudioEngineControl::setVoiceCount(std::int64_t count) {
    engine_.setVoiceCount(count);
}

void AudioEngineControl::setLowLatency(bool lowLatency) {
    engine_.setLowLatency(lowLatency);
}

void AudioEngineControl::setOutputDevice(std::optional<std::string> uid) {
    {
        std::lock_guard guard(chosenMutex_);
        chosen_ = uid;
    }
    engine_.setOutputDevice(std::move(uid));
}

void AudioEngineControl::start() {
    engine_.start();
}

bool AudioEngineControl::isOutputReachable() const {
    return engine_.isOutputReachable();
}

} // namespace tc
