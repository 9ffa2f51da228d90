#pragma once

#include "engine/AudioBuffer.h"

namespace tc {

// Plays one buffer on one voice. Implemented by the audio engine; the router and the previews play through
// it. Thread: the key thread and the main thread; never waits for the audio thread.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // volume 0–1, rate 0.5–2.0 (pitch and speed change together), pan −1 (left) to 1 (right); values
    // outside are clamped.
    virtual void play(const AudioBufferPtr &buffer, float volume, float rate, float pan) = 0;
};

} // namespace tc
