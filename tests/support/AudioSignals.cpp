#include "support/AudioSignals.h"

#include <cmath>
#include <memory>

namespace tc::test {

AudioBufferPtr constantBuffer(size_t frames, float left, float right) {
    auto buffer = std::make_shared<AudioBuffer>();
    buffer->left.assign(frames, left);
    buffer->right.assign(frames, right);
    return buffer;
}

AudioBufferPtr toneBuffer(double seconds, double frequency, float amplitude) {
    auto buffer = std::make_shared<AudioBuffer>();
    const auto frames = static_cast<size_t>(std::lround(seconds * AudioBuffer::kSampleRate));
    buffer->left.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        buffer->left[i] = static_cast<float>(
            amplitude * std::sin(2 * M_PI * frequency * static_cast<double>(i) / AudioBuffer::kSampleRate));
    }
    buffer->right = buffer->left;
    return buffer;
}

size_t soundEnd(const std::vector<float> &channel, float threshold) {
    for (size_t i = channel.size(); i > 0; --i) {
        if (std::fabs(channel[i - 1]) > threshold) {
            return i;
        }
    }
    return 0;
}

float peak(const std::vector<float> &channel) {
    float loudest = 0.0f;
    for (float sample : channel) {
        loudest = std::max(loudest, std::fabs(sample));
    }
    return loudest;
}

} // namespace tc::test
