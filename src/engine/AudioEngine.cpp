#include "engine/AudioEngine.h"

#include "engine/LatencyTrace.h"

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
        std::lock_guard wake(wishMutex_);
        configurationChanged_ = true;
        ++requests_;
        wake_.notify_one();
    });
    control_ = std::thread([this] {
        pthread_setname_np(pthread_self(), "Tapchime.audio");
        controlLoop();
    });
}

AudioEngine::~AudioEngine() {
    {
        std::lock_guard wake(wishMutex_);
        quit_ = true;
    }
    wake_.notify_one();
    settled_.notify_all();
    control_.join();
    // The control thread is gone: this thread may start and stop outputs now.
    setRendering(nullptr);
    output_.stop();
    if (fallback_) {
        fallback_->stop();
    }
    // The output is stopped, so its thread no longer calls the handler.
    output_.setChangeHandler({});
}

// --- Playing ------------------------------------------------------------------------------------------------

void AudioEngine::play(const AudioBufferPtr &buffer, float volume, float rate, float pan) {
    std::unique_lock guard(lock_, std::try_to_lock);
    if (!guard.owns_lock()) {
        return; // the control thread swaps the output or rebuilds the voices right now (or another play runs)
    }
    if (voices_.empty() || !buffer || buffer->frames() == 0) {
        return;
    }
    if (retired_.size() >= retired_.capacity()) {
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
    if (trace_) {
        trace_->beginPost(mixer_.nextSerial()); // before the audio thread can see the command
    }
    const uint64_t serial = mixer_.post(command);
    if (serial == 0) {
        return; // queue full: nothing renders, so the sound would not be heard anyway
    }

    Voice &voice = voices_[index];
    voice.busyUntil = now + static_cast<uint64_t>(std::llround(buffer->seconds() / rate * 1e9));
    // The mixer voice may read the old buffer until it applies this command.
    retire(std::exchange(voice.buffer, buffer), serial);
    if (trace_) {
        trace_->posted(serial);
    }
    // An output with a long queue places the sound into it at once rather than at its end. While an output is
    // being opened none is woken: the sound waits in the mixer until the output renders.
    if (rendering_) {
        rendering_->soundQueued();
    }
    // Only now that the sound is on its way: release what the mixer has let go of.
    releaseRetired();
}

void AudioEngine::setLatencyTrace(LatencyTrace *trace) {
    std::lock_guard guard(lock_);
    trace_ = trace;
    mixer_.setTrace(trace);
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

// --- Requests -----------------------------------------------------------------------------------------------

void AudioEngine::request(const std::function<void(Wishes &)> &change) {
    std::lock_guard wake(wishMutex_);
    change(wishes_);
    ++requests_;
    wake_.notify_one();
}

void AudioEngine::setVoiceCount(std::int64_t count) {
    request([size = voiceCountFor(count)](Wishes &wishes) { wishes.voices = size; });
}

void AudioEngine::setLowLatency(bool lowLatency) {
    request([lowLatency](Wishes &wishes) { wishes.lowLatency = lowLatency; });
}

void AudioEngine::setOutputDevice(std::optional<std::string> uid) {
    request([&uid](Wishes &wishes) {
        wishes.outputDeviceUID = std::move(uid);
        ++wishes.deviceRequests;
    });
}

void AudioEngine::start() {
    request([](Wishes &wishes) { wishes.running = true; });
}

void AudioEngine::waitUntilSettled() {
    std::unique_lock wake(wishMutex_);
    const uint64_t target = requests_;
    settled_.wait(wake, [&] { return quit_ || handled_ >= target; });
}

// --- The control thread -------------------------------------------------------------------------------------

void AudioEngine::controlLoop() {
    std::unique_lock wake(wishMutex_);
    for (;;) {
        wake_.wait_for(wake, retryInterval_, [this] { return quit_ || requests_ != handled_; });
        if (quit_) {
            break;
        }
        const uint64_t target = requests_;
        const bool asked = target != handled_;
        const bool configurationChanged = std::exchange(configurationChanged_, false);
        const Wishes wishes = wishes_;
        wake.unlock();
        carryOut(wishes, asked, configurationChanged);
        wake.lock();
        handled_ = target;
        settled_.notify_all();
    }
}

void AudioEngine::carryOut(const Wishes &wishes, bool asked, bool configurationChanged) {
    releaseRetiredOutsideTheLock();
    size_t poolSize = 0;
    {
        std::lock_guard guard(lock_);
        poolSize = voices_.size();
    }
    if (wishes.voices != 0 && static_cast<size_t>(wishes.voices) != poolSize) {
        rebuildVoices(wishes.voices);
    }
    if (wishes.lowLatency != lowLatency_) {
        lowLatency_ = wishes.lowLatency;
        applyBufferSize();
    }
    const bool deviceChanged = wishes.deviceRequests != deviceRequests_;
    if (deviceChanged) {
        deviceRequests_ = wishes.deviceRequests;
        std::lock_guard guard(lock_);
        outputDeviceUID_ = wishes.outputDeviceUID;
    }
    if (!wishes.running) {
        return;
    }
    const auto interval =
        static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(retryInterval_).count());
    const bool stopped = !output_.isRunning();
    const bool retry = stopped && lastAttempt_ != 0 && steadyNanoseconds() - lastAttempt_ >= interval;
    if (configurationChanged || retry) {
        // A retry goes the same way as a configuration change, so that a chosen device that vanished while the
        // server was away is forgotten once the server answers again.
        forgetVanishedDevice();
    }
    // Any request tries a stopped output at once; a running one is left alone unless where it plays may change.
    if (deviceChanged || configurationChanged || retry || (asked && stopped)) {
        applyOutputDevice();
        if (!output_.isRunning()) {
            startOutput();
        }
    }
}

void AudioEngine::releaseRetiredOutsideTheLock() {
    // The last references go on this thread, but only after the lock is released: freeing a large buffer may
    // take a while, and a key press must not find the lock taken meanwhile.
    std::vector<AudioBufferPtr> released;
    released.reserve(kRetiredCapacity);
    std::lock_guard guard(lock_);
    const uint64_t consumed = mixer_.consumedSerial();
    for (Retired &retired : retired_) {
        if (retired.serial <= consumed) {
            released.push_back(std::move(retired.buffer));
        }
    }
    std::erase_if(retired_, [consumed](const Retired &retired) { return retired.serial <= consumed; });
}

void AudioEngine::rebuildVoices(int size) {
    std::lock_guard guard(lock_);
    if (rendering_) {
        Mixer::Command stopAll;
        stopAll.kind = Mixer::Command::Kind::stopAll;
        const uint64_t serial = mixer_.post(stopAll);
        for (Voice &voice : voices_) {
            retire(std::move(voice.buffer), serial == 0 ? kUntilReset : serial);
        }
    } else {
        resetMixer(); // nothing renders, so this thread may act for the audio thread
    }
    voices_.assign(static_cast<size_t>(size), Voice{});
}

void AudioEngine::applyBufferSize() {
    output_.setBufferFrames(bufferFrames());
    AudioOutput *rendering = nullptr;
    {
        std::lock_guard guard(lock_);
        rendering = rendering_;
    }
    if (fallback_ && rendering == fallback_) {
        fallback_->setBufferFrames(bufferFrames());
    }
}

void AudioEngine::forgetVanishedDevice() {
    std::optional<std::string> uid;
    {
        std::lock_guard guard(lock_);
        uid = outputDeviceUID_;
    }
    // A server that cannot be reached lists no devices at all: that is no reason to forget the choice. The
    // owner's setting is not changed.
    if (uid && !devices_.deviceID(*uid) && !devices_.allDeviceIDs().empty()) {
        std::lock_guard guard(lock_);
        outputDeviceUID_.reset();
    }
}

void AudioEngine::applyOutputDevice() {
    std::optional<std::string> uid;
    {
        std::lock_guard guard(lock_);
        uid = outputDeviceUID_;
    }
    std::string device;
    if (uid && devices_.deviceID(*uid)) {
        device = *uid;
    }
    {
        std::lock_guard guard(lock_);
        chosenDevice_ = device;
    }
    if (output_.isRunning() && output_.deviceUID() != device) {
        setRendering(nullptr);
        output_.stop(); // startOutput() opens it on the new device
    }
}

void AudioEngine::setRendering(AudioOutput *output) {
    std::lock_guard guard(lock_);
    rendering_ = output;
}

void AudioEngine::startOutput() {
    lastAttempt_ = steadyNanoseconds();
    std::string device;
    AudioOutput *rendering = nullptr;
    {
        std::lock_guard guard(lock_);
        device = chosenDevice_;
        rendering = rendering_;
    }
    const bool fallbackRendering = fallback_ && rendering == fallback_ && fallback_->isRunning();

    if (fallbackRendering) {
        gate_.setOpen(false); // the fallback goes on rendering the mixer until the output runs
    } else {
        // Whatever renders (a lost stream, a fallback that failed) stops first. Sounds queued while nothing
        // rendered are dropped rather than played late; those played from here on wait for the output.
        setRendering(nullptr);
        output_.stop();
        if (fallback_) {
            fallback_->stop();
        }
        {
            std::lock_guard guard(lock_);
            resetMixer();
        }
        gate_.setOpen(true);
    }

    // The connect: no lock is held, so key presses go on meanwhile.
    std::string error;
    if (output_.start(device, bufferFrames(), gate_, error)) {
        if (fallbackRendering) {
            setRendering(nullptr);
            fallback_->stop();
            gate_.setOpen(true); // the voices go on where the fallback left them
        }
        setRendering(&output_);
        failing_ = false;
        reachable_.store(true, std::memory_order_relaxed);
        applyBufferSize();
        return;
    }
    reachable_.store(false, std::memory_order_relaxed);
    if (!failing_) {
        failing_ = true;
        log_("Tapchime: audio engine failed to start: " + error);
    }
    if (fallback_ && !fallbackRendering) {
        std::string fallbackError;
        if (fallback_->start(std::string(), bufferFrames(), mixer_, fallbackError)) {
            setRendering(fallback_);
        }
    }
}

void AudioEngine::OutputGate::render(float *left, float *right, size_t frames) noexcept {
    if (isOpen()) {
        mixer_.render(left, right, frames);
    } else {
        Mixer::clearStage(left, right, frames);
    }
}

void AudioEngine::OutputGate::renderPlaying(float *left, float *right, size_t frames) noexcept {
    if (isOpen()) {
        mixer_.renderPlaying(left, right, frames);
    } else {
        Mixer::clearStage(left, right, frames);
    }
}

void AudioEngine::OutputGate::renderNewSounds(float *left, float *right, size_t frames) noexcept {
    if (isOpen()) {
        mixer_.renderNewSounds(left, right, frames);
    }
}

// --- Queries ------------------------------------------------------------------------------------------------

bool AudioEngine::isRunning() const {
    std::lock_guard guard(lock_);
    return output_.isRunning() || (fallback_ && rendering_ == fallback_ && fallback_->isRunning());
}

std::optional<std::string> AudioEngine::outputDeviceUID() const {
    std::lock_guard guard(lock_);
    return outputDeviceUID_;
}

std::string AudioEngine::chosenDevice() const {
    std::lock_guard guard(lock_);
    return chosenDevice_;
}

size_t AudioEngine::voiceCount() const {
    std::lock_guard guard(lock_);
    return voices_.size();
}

uint64_t AudioEngine::busyUntil(size_t voice) const {
    std::lock_guard guard(lock_);
    return voices_.at(voice).busyUntil;
}

} // namespace tc
