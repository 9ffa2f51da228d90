#include "engine/AudioEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <pthread.h>
#include <utility>

namespace tc {

namespace {

uint64_t steadyNanoseconds() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

void logToStandardError(const std::string &line) {
    std::fprintf(stderr, "%s\n", line.c_str());
}

float clampOr(float value, float fallback, float low, float high) {
    return std::isnan(value) ? fallback : std::clamp(value, low, high);
}

// Every queued play command can retire one buffer and a stop of all voices one per voice, so this many
// entries are enough for play() never to grow the list.
constexpr size_t kRetiredCapacity = Mixer::kQueueCapacity + Mixer::kMaxVoices;
// Buffers that a voice may read for as long as the output runs; released when the mixer is reset.
constexpr uint64_t kUntilReset = std::numeric_limits<uint64_t>::max();

} // namespace

AudioEngine::AudioEngine(AudioOutput &output, AudioDevices &devices) : AudioEngine(output, devices, Options{}) {}

AudioEngine::AudioEngine(AudioOutput &output, AudioDevices &devices, Options options)
    : output_(output), devices_(devices), fallback_(options.fallback), clock_(std::move(options.clock)),
      log_(std::move(options.log)), retryInterval_(options.retryInterval) {
    if (!clock_) {
        clock_ = steadyNanoseconds;
    }
    if (!log_) {
        log_ = logToStandardError;
    }
    retired_.reserve(kRetiredCapacity);
    output_.setChangeHandler([this](AudioOutput::Change) {
        // On the output's thread: only hand the work to the control thread.
        std::lock_guard wake(wakeMutex_);
        restartRequested_ = true;
        wake_.notify_one();
    });
    control_ = std::thread([this] {
        pthread_setname_np(pthread_self(), "Tapchime.audio");
        controlLoop();
    });
}

AudioEngine::~AudioEngine() {
    {
        std::lock_guard wake(wakeMutex_);
        quit_ = true;
    }
    wake_.notify_one();
    control_.join();
    {
        std::lock_guard guard(lock_);
        stopEngine();
    }
    // The output is stopped, so its thread no longer calls the handler.
    output_.setChangeHandler({});
}

void AudioEngine::play(const AudioBufferPtr &buffer, float volume, float rate, float pan) {
    std::lock_guard guard(lock_);
    if (voices_.empty() || !buffer || buffer->frames() == 0) {
        return;
    }
    releaseRetired();
    if (retired_.size() == retired_.capacity()) {
        return; // the audio thread has stopped taking commands; see kRetiredCapacity
    }

    const uint64_t now = clock_();
    const size_t index = chooseVoice(now);
    rate = clampOr(rate, 1.0f, kMinRate, kMaxRate);
    volume = clampOr(volume, 0.0f, 0.0f, 1.0f);
    pan = clampOr(pan, 0.0f, -1.0f, 1.0f);

    Mixer::Command command;
    command.kind = Mixer::Command::Kind::play;
    command.voice = static_cast<uint32_t>(index);
    command.buffer = buffer.get();
    command.rate = rate;
    command.gains = Mixer::panGains(volume, pan);
    const uint64_t serial = mixer_.post(command);
    if (serial == 0) {
        return; // queue full: nothing renders, so the sound would not be heard anyway
    }

    Voice &voice = voices_[index];
    voice.busyUntil = now + static_cast<uint64_t>(std::llround(buffer->seconds() / rate * 1e9));
    // The mixer voice may read the old buffer until it applies this command.
    retire(std::exchange(voice.buffer, buffer), serial);
}

size_t AudioEngine::chooseVoice(uint64_t now) const {
    for (size_t i = 0; i < voices_.size(); ++i) {
        if (voices_[i].busyUntil <= now) {
            return i;
        }
    }
    size_t soonest = 0;
    for (size_t i = 1; i < voices_.size(); ++i) {
        if (voices_[i].busyUntil < voices_[soonest].busyUntil) {
            soonest = i;
        }
    }
    return soonest;
}

void AudioEngine::retire(AudioBufferPtr buffer, uint64_t serial) {
    if (buffer) {
        retired_.push_back({std::move(buffer), serial});
    }
}

void AudioEngine::releaseRetired() {
    const uint64_t consumed = mixer_.consumedSerial();
    std::erase_if(retired_, [consumed](const Retired &retired) { return retired.serial <= consumed; });
}

void AudioEngine::resetMixer() {
    mixer_.reset();
    retired_.clear();
}

void AudioEngine::rebuildVoices(int count) {
    const auto size = static_cast<size_t>(voiceCountFor(count));
    if (isRunning()) {
        Mixer::Command stopAll;
        stopAll.kind = Mixer::Command::Kind::stopAll;
        const uint64_t serial = mixer_.post(stopAll);
        for (Voice &voice : voices_) {
            retire(std::move(voice.buffer), serial == 0 ? kUntilReset : serial);
        }
    } else {
        resetMixer();
    }
    voices_.assign(size, Voice{});
}

void AudioEngine::applyOutputDevice() {
    std::string device;
    if (outputDeviceUID_ && devices_.deviceID(*outputDeviceUID_)) {
        device = *outputDeviceUID_;
    }
    chosenDevice_ = device;
    if (output_.isRunning() && output_.deviceUID() != chosenDevice_) {
        output_.stop();
    }
}

void AudioEngine::startEngine() {
    wantRunning_ = true;
    if (output_.isRunning()) {
        return;
    }
    lastAttempt_ = steadyNanoseconds();

    // The mixer has one consumer at a time: stop whatever renders (a lost stream, the fallback) first.
    const bool fallbackRendering = fallbackActive_ && fallback_->isRunning();
    output_.stop();
    if (fallback_) {
        fallback_->stop();
    }
    fallbackActive_ = false;
    if (!fallbackRendering) {
        resetMixer(); // drop sounds queued while nothing rendered, rather than play them late
    }

    std::string error;
    if (output_.start(chosenDevice_, bufferFrames(), mixer_, error)) {
        failing_ = false;
        applyBufferSize();
        return;
    }
    if (!failing_) {
        failing_ = true;
        log_("Tapchime: audio engine failed to start: " + error);
    }
    if (fallback_) {
        std::string fallbackError;
        fallbackActive_ = fallback_->start(std::string(), bufferFrames(), mixer_, fallbackError);
    }
}

void AudioEngine::stopEngine() {
    wantRunning_ = false;
    output_.stop();
    if (fallback_) {
        fallback_->stop();
    }
    fallbackActive_ = false;
    resetMixer();
}

void AudioEngine::applyBufferSize() {
    output_.setBufferFrames(bufferFrames());
    if (fallbackActive_) {
        fallback_->setBufferFrames(bufferFrames());
    }
}

void AudioEngine::restartAfterConfigurationChange() {
    std::lock_guard guard(lock_);
    restartLocked();
}

void AudioEngine::restartLocked() {
    // A server that cannot be reached lists no devices at all: that is no reason to forget the choice.
    if (outputDeviceUID_ && !devices_.deviceID(*outputDeviceUID_) && !devices_.allDeviceIDs().empty()) {
        outputDeviceUID_.reset();
    }
    applyOutputDevice();
    startEngine();
}

bool AudioEngine::isRunning() const {
    return output_.isRunning() || (fallbackActive_ && fallback_->isRunning());
}

void AudioEngine::controlLoop() {
    std::unique_lock wake(wakeMutex_);
    while (!quit_) {
        wake_.wait_for(wake, retryInterval_, [this] { return quit_ || restartRequested_; });
        if (quit_) {
            break;
        }
        const bool restart = std::exchange(restartRequested_, false);
        wake.unlock();
        {
            std::lock_guard guard(lock_);
            releaseRetired();
            const auto interval =
                static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(retryInterval_).count());
            const bool retry = wantRunning_ && !output_.isRunning() && steadyNanoseconds() - lastAttempt_ >= interval;
            if (restart || retry) {
                // A retry goes the same way as a configuration change, so that a chosen device that vanished
                // while the server was away is forgotten once the server answers again.
                restartLocked();
            }
        }
        wake.lock();
    }
}

} // namespace tc
