#include "engine/linux/PulseRecordingBackend.h"
#include "engine/linux/PulseStream.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace tc {

namespace {

constexpr int kRate = 48000;
constexpr float kSilenceDb = -160;

// One take: its own server connection and loop thread. Samples are kept in memory (3 s of mono float is
// 576 KB, reserved before recording starts) and encoded when the take ends, on the loop thread.
class PulseRecordingTake final : public RecordingTake {
public:
    PulseRecordingTake(std::filesystem::path file, AacWriter writer, std::chrono::milliseconds openTimeout)
        : file_(std::move(file)), writer_(std::move(writer)), openTimeout_(openTimeout) {}

    ~PulseRecordingTake() override {
        if (!loop_) {
            return;
        }
        {
            PulseLoop::Lock lock(*loop_);
            finished_ = true; // a take ended by its owner is not reported, and not written
            stream_.reset();
            context_.reset();
        }
        loop_.reset(); // stops the loop thread before the take's state goes
    }

    StartResult record(double maxSeconds, std::function<void(bool)> onFinish) override {
        if (loop_) {
            return StartResult::unavailable; // one recording per take
        }
        maxFrames_ = static_cast<size_t>(std::max(0.0, maxSeconds) * kRate);
        samples_.assign(maxFrames_, 0.0f);
        onFinish_ = std::move(onFinish);

        try {
            loop_ = std::make_unique<PulseLoop>("Tapchime.rec");
        } catch (const std::exception &) {
            return StartResult::unavailable;
        }
        PulseLoop::Lock lock(*loop_);
        const auto result = open();
        if (result == StartResult::started) {
            recording_ = true;
        } else {
            finished_ = true;
        }
        return result;
    }

    void stop() override {
        if (!loop_) {
            return;
        }
        // The take ends on the loop thread, like one that reached its limit; the file is encoded there.
        PulseLoop::Lock lock(*loop_);
        if (!finished_) {
            auto *api = loop_->api();
            api->defer_new(
                api,
                [](pa_mainloop_api *a, pa_defer_event *event, void *self) {
                    a->defer_free(event);
                    static_cast<PulseRecordingTake *>(self)->finish(true);
                },
                this);
        }
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
    // With the loop locked: connects and opens the record stream, waiting at most openTimeout_ for both.
    StartResult open() {
        const auto deadline = PulseContext::deadlineIn(openTimeout_);
        std::string error;
        try {
            context_ = std::make_unique<PulseContext>(*loop_, "Tapchime recorder");
            // Only a take that started ends when its server or source goes away; one that is opening fails.
            context_->setLostHandler([this] { finishIfRecording(); });
            if (!context_->connect(deadline, error)) {
                return failure();
            }
            const pa_sample_spec sampleSpec{PA_SAMPLE_FLOAT32LE, kRate, 1};
            stream_ = std::make_unique<PulseStream>(*context_, "Microphone take", sampleSpec, nullptr);
            stream_->setLostHandler([this] { finishIfRecording(); });
            pa_stream_set_read_callback(stream_->get(), &PulseRecordingTake::onRead, this);
            pa_buffer_attr attributes{};
            attributes.maxlength = static_cast<uint32_t>(-1);
            attributes.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(10 * 1000, &sampleSpec)); // 10 ms pieces
            if (!stream_->connectRecord(nullptr, attributes, PA_STREAM_ADJUST_LATENCY, deadline, error)) {
                return failure();
            }
        } catch (const std::exception &) {
            return failure();
        }
        return StartResult::started;
    }

    // The server's answer to a take that did not start: it refuses access, or there is nothing to record from.
    StartResult failure() const {
        return context_ && context_->errorCode() == PA_ERR_ACCESS ? StartResult::refused : StartResult::unavailable;
    }

    void finishIfRecording() {
        if (recording_) {
            finish(false);
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

    // On the loop thread, loop locked: ends the take once, writes the file and reports.
    void finish(bool successfully) {
        if (finished_) {
            return;
        }
        finished_ = true;
        recording_ = false;
        if (stream_) {
            stream_->disconnect(); // this may run inside the stream's own callbacks: it is released with the take
        }
        if (successfully) {
            std::string error;
            successfully = writer_(samples_.data(), frames_, kRate, file_, error);
        }
        onFinish_(successfully);
    }

    std::filesystem::path file_;
    const AacWriter writer_;
    const std::chrono::milliseconds openTimeout_;
    std::unique_ptr<PulseLoop> loop_; // then the context, then the stream, while recording
    std::unique_ptr<PulseContext> context_;
    std::unique_ptr<PulseStream> stream_;
    std::function<void(bool)> onFinish_;
    std::vector<float> samples_;
    size_t maxFrames_ = 0;
    std::atomic<size_t> frames_ = 0;
    std::atomic<bool> recording_ = false;
    bool finished_ = false; // loop locked
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
    return std::make_unique<PulseRecordingTake>(file, writer_, openTimeout_);
}

} // namespace tc
