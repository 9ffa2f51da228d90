#include "app/AudioControl.h"

#include "engine/AudioEngine.h"

namespace tc {

void AudioEngineControl::play(const AudioBufferPtr &buffer, float volume, float rate, float pan) {
    engine_.play(buffer, volume, rate, pan);
}

std::mutex &AudioEngineControl::lock() {
    return engine_.lock();
}

void AudioEngineControl::setLowLatency(bool lowLatency) {
    engine_.setLowLatency(lowLatency);
}

void AudioEngineControl::setOutputDeviceUID(std::optional<std::string> uid) {
    engine_.setOutputDeviceUID(std::move(uid));
}

void AudioEngineControl::rebuildVoices(int count) {
    engine_.rebuildVoices(count);
}

void AudioEngineControl::applyOutputDevice() {
    engine_.applyOutputDevice();
}

void AudioEngineControl::startEngine() {
    engine_.startEngine();
}

void AudioEngineControl::stopEngine() {
    engine_.stopEngine();
}

void AudioEngineControl::applyBufferSize() {
    engine_.applyBufferSize();
}

std::size_t AudioEngineControl::voiceCount() const {
    return engine_.voiceCount();
}

} // namespace tc
