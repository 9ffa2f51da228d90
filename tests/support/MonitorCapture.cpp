#include "support/MonitorCapture.h"

#include "support/Wait.h"

#include <algorithm>
#include <cmath>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <stdexcept>

namespace tc::test {

MonitorCapture::MonitorCapture(const std::string &source) : source_(source) {
    pa_sample_spec sampleSpec{};
    sampleSpec.format = PA_SAMPLE_FLOAT32LE;
    sampleSpec.rate = kRate;
    sampleSpec.channels = 2;
    // Small fragments so the capture keeps up closely with what is played.
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = 256 * 2 * sizeof(float);
    int error = 0;
    auto *stream = pa_simple_new(nullptr, "tapchime-tests", PA_STREAM_RECORD, source_.c_str(), "capture", &sampleSpec,
                                 nullptr, &attr, &error);
    if (!stream) {
        throw std::runtime_error(std::string("cannot record ") + source_ + ": " + pa_strerror(error));
    }
    stream_ = stream;
    thread_ = std::thread([this] { run(); });
}

MonitorCapture::~MonitorCapture() {
    stop();
}

void MonitorCapture::run() {
    std::vector<float> chunk(256 * 2);
    auto *stream = static_cast<pa_simple *>(stream_);
    while (!stop_.load()) {
        int error = 0;
        if (pa_simple_read(stream, chunk.data(), chunk.size() * sizeof(float), &error) < 0) {
            std::lock_guard lock(mutex_);
            error_ = pa_strerror(error);
            return;
        }
        std::lock_guard lock(mutex_);
        samples_.insert(samples_.end(), chunk.begin(), chunk.end());
    }
}

std::vector<float> MonitorCapture::stop() {
    stop_.store(true);
    if (thread_.joinable()) {
        thread_.join();
    }
    if (stream_) {
        pa_simple_free(static_cast<pa_simple *>(stream_));
        stream_ = nullptr;
    }
    std::lock_guard lock(mutex_);
    return samples_;
}

std::vector<float> MonitorCapture::recorded() const {
    std::lock_guard lock(mutex_);
    return samples_;
}

size_t MonitorCapture::frames() const {
    std::lock_guard lock(mutex_);
    return samples_.size() / 2;
}

SoundSpan findSound(const std::vector<float> &interleaved, float threshold) {
    SoundSpan span;
    const size_t frames = interleaved.size() / 2;
    for (size_t i = 0; i < frames; ++i) {
        float level = std::max(std::fabs(interleaved[2 * i]), std::fabs(interleaved[2 * i + 1]));
        if (level > threshold) {
            if (!span.found) {
                span.found = true;
                span.firstFrame = i;
            }
            span.lastFrame = i;
        }
    }
    return span;
}

float channelPeak(const std::vector<float> &interleaved, int channel) {
    float peak = 0;
    for (size_t i = static_cast<size_t>(channel); i < interleaved.size(); i += 2) {
        peak = std::max(peak, std::fabs(interleaved[i]));
    }
    return peak;
}

std::vector<float> hearSound(const MonitorCapture &capture) {
    std::vector<float> heard;
    waitUntil(
        [&] {
            heard = capture.recorded();
            const SoundSpan span = findSound(heard, 0.05f);
            return span.found && heard.size() / 2 > span.lastFrame + MonitorCapture::kRate / 4;
        },
        kServerWait);
    return heard;
}

} // namespace tc::test
