#include "engine/linux/PulseRecordingBackend.h"
#include "engine/linux/AacFileWriter.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace tc {

namespace {

constexpr int kRate = 48000;
constexpr pa_usec_t kOpenTimeout = 2 * 1000 * 1000; // connecting and opening the stream, at most 2 s
constexpr float kSilenceDb = -160;

// One take: its own server connection and loop thread. Samples are kept in memory (3 s of mono float is
// 576 KB, reserved before recording starts) and encoded when the take ends, on the loop thread.
class PulseRecordingTake final : public RecordingTake {
public:
    explicit PulseRecordingTake(std::filesystem::path file) : file_(std::move(file)) {}

    ~PulseRecordingTake() override {
        if (!loop_) {
            return;
        }
        pa_threaded_mainloop_lock(loop_);
        finished_ = true; // a take ended by its owner is not reported, and not written
        closeStream();
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        pa_threaded_mainloop_unlock(loop_);
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
    }

    StartResult record(double maxSeconds, std::function<void(bool)> onFinish) override {
        if (loop_) {
            return StartResult::unavailable; // one recording per take
        }
        maxFrames_ = static_cast<size_t>(std::max(0.0, maxSeconds) * kRate);
        samples_.assign(maxFrames_, 0.0f);
        onFinish_ = std::move(onFinish);

        loop_ = pa_threaded_mainloop_new();
        if (!loop_) {
            return StartResult::unavailable;
        }
        pa_threaded_mainloop_set_name(loop_, "Tapchime.rec");
        if (pa_threaded_mainloop_start(loop_) < 0) {
            pa_threaded_mainloop_free(loop_);
            loop_ = nullptr;
            return StartResult::unavailable;
        }
        pa_threaded_mainloop_lock(loop_);
        const auto result = open();
        if (result == StartResult::started) {
            recording_ = true;
        } else {
            finished_ = true;
        }
        pa_threaded_mainloop_unlock(loop_);
        return result;
    }

    void stop() override {
        if (!loop_) {
            return;
        }
        // The take ends on the loop thread, like one that reached its limit; the file is encoded there.
        pa_threaded_mainloop_lock(loop_);
        if (!finished_) {
            auto *api = pa_threaded_mainloop_get_api(loop_);
            api->defer_new(
                api,
                [](pa_mainloop_api *a, pa_defer_event *event, void *self) {
                    a->defer_free(event);
                    static_cast<PulseRecordingTake *>(self)->finish(true);
                },
                this);
        }
        pa_threaded_mainloop_unlock(loop_);
    }

    bool isRecording() const override { return recording_; }

    float averagePowerDb() override {
        std::lock_guard guard(meterLock_);
        const double sum = sumOfSquares_;
        const size_t count = meterFrames_;
        sumOfSquares_ = 0;
        meterFrames_ = 0;
        // No new audio since the last reading (the server sends it in pieces, late on a busy machine): the level
        // of the latest audio still stands, so the meter does not drop to silence between pieces.
        if (count == 0) {
            return lastDb_;
        }
        lastDb_ = sum <= 0
                      ? kSilenceDb
                      : std::max(kSilenceDb, static_cast<float>(10.0 * std::log10(sum / static_cast<double>(count))));
        return lastDb_;
    }

    double currentTime() const override { return static_cast<double>(frames_) / kRate; }

private:
    // With the loop locked: connects and opens the record stream, waiting at most kOpenTimeout.
    StartResult open() {
        auto *api = pa_threaded_mainloop_get_api(loop_);
        timeval deadline{};
        pa_gettimeofday(&deadline);
        pa_timeval_add(&deadline, kOpenTimeout);
        auto *timeout = api->time_new(
            api, &deadline,
            [](pa_mainloop_api *, pa_time_event *, const timeval *, void *self) {
                auto *take = static_cast<PulseRecordingTake *>(self);
                take->timedOut_ = true;
                pa_threaded_mainloop_signal(take->loop_, 0);
            },
            this);
        const auto result = connectAndOpen();
        api->time_free(timeout);
        return result;
    }

    StartResult connectAndOpen() {
        context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Tapchime recorder");
        if (!context_) {
            return StartResult::unavailable;
        }
        pa_context_set_state_callback(context_, &PulseRecordingTake::onContextState, this);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            return failure(pa_context_errno(context_));
        }
        while (pa_context_get_state(context_) != PA_CONTEXT_READY) {
            if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) {
                return failure(pa_context_errno(context_));
            }
            if (timedOut_) {
                return StartResult::unavailable;
            }
            pa_threaded_mainloop_wait(loop_);
        }

        const pa_sample_spec sampleSpec{PA_SAMPLE_FLOAT32LE, kRate, 1};
        stream_ = pa_stream_new(context_, "Microphone take", &sampleSpec, nullptr);
        if (!stream_) {
            return failure(pa_context_errno(context_));
        }
        pa_stream_set_state_callback(stream_, &PulseRecordingTake::onStreamState, this);
        pa_stream_set_read_callback(stream_, &PulseRecordingTake::onRead, this);
        pa_buffer_attr attributes{};
        attributes.maxlength = static_cast<uint32_t>(-1);
        attributes.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(10 * 1000, &sampleSpec)); // 10 ms pieces
        if (pa_stream_connect_record(stream_, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY) < 0) {
            return failure(pa_context_errno(context_));
        }
        while (pa_stream_get_state(stream_) != PA_STREAM_READY) {
            if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) {
                return failure(pa_context_errno(context_));
            }
            if (timedOut_) {
                return StartResult::unavailable;
            }
            pa_threaded_mainloop_wait(loop_);
        }
        return StartResult::started;
    }

    static StartResult failure(int error) {
        return error == PA_ERR_ACCESS ? StartResult::refused : StartResult::unavailable;
    }

    static void onContextState(pa_context *context, void *self) {
        auto *take = static_cast<PulseRecordingTake *>(self);
        pa_threaded_mainloop_signal(take->loop_, 0);
        if (take->recording_ && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
            take->finish(false); // the server went away mid-take
        }
    }

    static void onStreamState(pa_stream *stream, void *self) {
        auto *take = static_cast<PulseRecordingTake *>(self);
        pa_threaded_mainloop_signal(take->loop_, 0);
        if (take->recording_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
            take->finish(false); // the source went away mid-take
        }
    }

    static void onRead(pa_stream *stream, size_t, void *self) {
        auto *take = static_cast<PulseRecordingTake *>(self);
        const void *data = nullptr;
        size_t bytes = 0;
        while (pa_stream_readable_size(stream) > 0) {
            if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0) {
                break;
            }
            take->append(static_cast<const float *>(data), bytes / sizeof(float)); // data null: a hole
            pa_stream_drop(stream);
        }
        if (take->recording_ && take->frames_ >= take->maxFrames_) {
            take->finish(true);
        }
    }

    void append(const float *data, size_t count) {
        if (!recording_) {
            return;
        }
        const size_t at = frames_;
        count = std::min(count, maxFrames_ - at);
        double sum = 0;
        for (size_t i = 0; i < count; ++i) {
            const float value = data ? data[i] : 0.0f; // a hole in the stream is silence
            samples_[at + i] = std::isfinite(value) ? value : 0.0f;
            sum += static_cast<double>(samples_[at + i]) * samples_[at + i];
        }
        frames_ = at + count;
        std::lock_guard guard(meterLock_);
        sumOfSquares_ += sum;
        meterFrames_ += count;
    }

    void closeStream() {
        if (!stream_) {
            return;
        }
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_read_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }

    // On the loop thread, loop locked: ends the take once, writes the file and reports.
    void finish(bool successfully) {
        if (finished_) {
            return;
        }
        finished_ = true;
        recording_ = false;
        closeStream();
        if (successfully) {
            std::string error;
            successfully = AacFileWriter::write(samples_.data(), frames_, kRate, file_, error);
        }
        onFinish_(successfully);
    }

    std::filesystem::path file_;
    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;
    std::function<void(bool)> onFinish_;
    std::vector<float> samples_;
    size_t maxFrames_ = 0;
    std::atomic<size_t> frames_ = 0;
    std::atomic<bool> recording_ = false;
    bool finished_ = false; // loop locked
    bool timedOut_ = false; // loop locked
    std::mutex meterLock_;
    double sumOfSquares_ = 0;
    size_t meterFrames_ = 0;
    float lastDb_ = kSilenceDb; // the level of the latest audio, under meterLock_
};

} // namespace

std::unique_ptr<RecordingTake> PulseRecordingBackend::createTake(const std::filesystem::path &file) {
    // The file is written only when the take ends; find out now whether it can be.
    const auto probe = file.string() + ".part";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw RecordingError("The recording can't be saved in " + file.parent_path().string() + ": " +
                             std::strerror(errno) + ".");
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return std::make_unique<PulseRecordingTake>(file);
}

} // namespace tc
