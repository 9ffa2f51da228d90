#include "engine/Recorder.h"

#include "model/Uuid.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tc {

Recorder::Recorder(Scheduler &scheduler, RecordingBackend &backend, StartRunner runStart)
    : scheduler_(scheduler), backend_(backend), runStart_(std::move(runStart)), landings_(scheduler) {}

Recorder::~Recorder() {
    // The take goes first: once it is destroyed no finish report of it can be delivered.
    recorder_.reset();
    meterTimer_.reset();
}

std::filesystem::path Recorder::makeTakePath() {
    std::error_code error;
    auto folder = std::filesystem::temp_directory_path(error);
    if (error) {
        folder = "/tmp";
    }
    return folder / ("Tapchime-" + Uuid::random().toString() + ".m4a");
}

float Recorder::levelFor(float decibels) {
    if (std::isnan(decibels)) {
        return 0;
    }
    return std::clamp((decibels + 50.0f) / 50.0f, 0.0f, 1.0f);
}

void Recorder::start() {
    // One take at a time: a second start while asking or recording would orphan the first take and its timer.
    if (state_.kind == State::Kind::needsPermission || state_.kind == State::Kind::recording) {
        return;
    }
    switch (backend_.authorization()) {
    case RecordingBackend::Authorization::notDetermined: {
        const uint64_t request = ++generation_;
        setState(State::of(State::Kind::needsPermission));
        backend_.requestAccess([deliver = landings_.deliverer(), self = this, request](bool granted) {
            deliver([self, request, granted] {
                // An answer for a request that reset() or a later start() replaced changes nothing.
                if (self->generation_ != request || self->state_.kind != State::Kind::needsPermission) {
                    return;
                }
                if (granted) {
                    self->begin();
                } else {
                    self->setState(State::of(State::Kind::denied));
                }
            });
        });
        return;
    }
    case RecordingBackend::Authorization::authorized:
        begin();
        return;
    case RecordingBackend::Authorization::denied:
        setState(State::of(State::Kind::denied));
        return;
    }
}

void Recorder::begin() {
    const uint64_t take = ++generation_;
    stopMeter();
    recorder_.reset();

    const auto file = makeTakePath();
    std::unique_ptr<RecordingTake> recorder;
    try {
        recorder = backend_.createTake(file);
    } catch (const std::exception &error) {
        setState(State::failed(error.what()));
        return;
    }

    // What arrives from other threads lands through the recorder's landings: dropped once it is gone.
    const Landings::Deliver deliver = landings_.deliverer();
    auto onFinish = [deliver, self = this, take](bool successfully) {
        deliver([self, take, successfully] { self->finish(take, successfully); });
    };
    std::shared_ptr<RecordingTake> shared = std::move(recorder);
    takeFile_ = file;
    stopWhenStarted_ = false;
    if (!runStart_) {
        const auto started = shared->record(kMaxSeconds, std::move(onFinish));
        state_ = State::of(State::Kind::recording);
        land(take, std::move(shared), started);
        return;
    }
    // The stream may take a while to open: meanwhile the take counts as recording, and its answer lands here.
    levels_.clear();
    elapsed_ = 0;
    setState(State::of(State::Kind::recording));
    runStart_([shared, onFinish = std::move(onFinish), deliver, self = this, take]() mutable {
        const auto started = shared->record(kMaxSeconds, std::move(onFinish));
        deliver([self, shared = std::move(shared), take, started]() mutable {
            self->land(take, std::move(shared), started);
        });
    });
}

void Recorder::land(uint64_t take, std::shared_ptr<RecordingTake> recorder, RecordingTake::StartResult started) {
    // A take that reset() or a newer start() replaced, or that already ended, goes (and stops) here.
    if (take != generation_ || state_.kind != State::Kind::recording) {
        return;
    }
    if (started == RecordingTake::StartResult::refused) {
        setState(State::of(State::Kind::denied));
        return;
    }
    if (started != RecordingTake::StartResult::started) {
        setState(State::failed(kUnavailableMessage));
        return;
    }
    recorder_ = std::move(recorder);
    levels_.clear();
    elapsed_ = 0;
    // The timer goes with the recorder.
    meterTimer_ = scheduler_.repeat(kMeterInterval, [this] { tick(); });
    changed();
    if (std::exchange(stopWhenStarted_, false)) {
        stop();
    }
}

void Recorder::tick() {
    if (!recorder_ || !recorder_->isRecording()) {
        return;
    }
    levels_.push_back(levelFor(recorder_->averagePowerDb()));
    if (levels_.size() > kMaxLevels) {
        levels_.erase(levels_.begin());
    }
    elapsed_ = recorder_->currentTime();
    changed();
}

void Recorder::finish(uint64_t take, bool successfully) {
    // The end of a take that reset() or a newer start() replaced must not touch the newer one.
    if (take != generation_ || state_.kind != State::Kind::recording) {
        return;
    }
    stopMeter();
    recorder_.reset();
    setState(successfully ? State::finished(takeFile_) : State::failed(kStoppedMessage));
}

void Recorder::stop() {
    if (state_.kind != State::Kind::recording) {
        return;
    }
    if (recorder_) {
        recorder_->stop();
    } else {
        stopWhenStarted_ = true; // still starting elsewhere
    }
}

void Recorder::reset() {
    ++generation_;
    // Destroying the take stops it; a take ended this way is never reported.
    recorder_.reset();
    stopMeter();
    state_ = State::of(State::Kind::idle);
    levels_.clear();
    elapsed_ = 0;
    changed();
}

void Recorder::stopMeter() {
    meterTimer_.reset();
}

void Recorder::setState(State state) {
    state_ = std::move(state);
    changed();
}

void Recorder::changed() {
    if (onChange) {
        onChange();
    }
}

} // namespace tc
