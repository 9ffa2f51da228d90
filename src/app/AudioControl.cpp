#include "app/AudioControl.h"

#include "engine/AudioEngine.h"

namespace tc {

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
    engine_.setOutputDevice(std::move(uid));
}

void AudioEngineControl::start() {
    engine_.start();
}

bool AudioEngineControl::isOutputReachable() const {
    return engine_.isOutputReachable();
}

} // namespace tc
