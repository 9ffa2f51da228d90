#pragma once

#include "engine/AudioBuffer.h"

#include <cstddef>
#include <vector>

// Test signals in the shared audio format and measurements of rendered channels.
namespace tc::test {

// A buffer whose every frame holds `left` and `right`.
AudioBufferPtr constantBuffer(size_t frames, float left, float right);
// A sine tone on both channels.
AudioBufferPtr toneBuffer(double seconds, double frequency, float amplitude);

// One past the last frame whose magnitude exceeds `threshold` (0 when none does).
size_t soundEnd(const std::vector<float> &channel, float threshold = 1e-6f);
// The largest magnitude in a channel.
float peak(const std::vector<float> &channel);

} // namespace tc::test
