#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace tc {

// Fills output frames. Implemented by the mixer; called by an AudioOutput on its audio thread.
class AudioRenderer {
public:
    virtual ~AudioRenderer() = default;
    // Writes `frames` frames of 48 kHz audio into the two channel arrays (non-interleaved, both `frames`
    // long), replacing what they held. Audio thread: must not allocate, free, lock, log or do I/O.
    virtual void render(float *left, float *right, size_t frames) noexcept = 0;
};

// The sound output backend: one playback stream in the shared format (48 kHz, 2 channels, 32-bit float)
// that pulls its frames from an AudioRenderer.
//
// Threads: start(), stop(), setBufferFrames() and the queries are called by the engine with its lock held
// (one caller at a time, never on the audio thread). Between a successful start() and the return of stop()
// the output calls the renderer on its own audio thread, and on no other thread; after stop() returns it
// will not call the renderer again, so the caller may then touch the renderer's state itself.
// Changes of the audio configuration are reported to the change handler on the output's own thread (which
// may be the thread that renders, but never from inside a render call); the handler must return at once,
// without blocking and without calling back into the output: it posts the work to another thread.
class AudioOutput {
public:
    enum class Change {
        deviceRemoved,  // the device the stream plays on went away
        defaultChanged, // the system default output changed
        moved,          // the server moved the stream to another device
        streamLost,     // the stream or the connection to the sound server failed; isRunning() is false
    };
    using ChangeHandler = std::function<void(Change)>;

    virtual ~AudioOutput() = default;

    // Opens and starts a stream on the device with this UID (empty: the system default output) asking for
    // a buffer of `bufferFrames` frames, and starts pulling from `renderer`. An output that runs already
    // is stopped first. The stream runs until stop(), feeding silence while nothing plays. Returns false
    // with a description in `error` when the stream cannot be started; the output is then stopped.
    virtual bool start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer, std::string &error) = 0;
    // Stops the stream and releases it; does nothing when stopped. See the renderer guarantee above.
    virtual void stop() = 0;
    // True from a successful start() until stop(), or until the stream is lost.
    virtual bool isRunning() const = 0;
    // The device UID the running stream was opened for, as given to start() (empty: the default output).
    virtual std::string deviceUID() const = 0;
    // Asks for a new buffer size on the running stream (and on later starts). Does not wait for the answer;
    // a server that refuses it is ignored.
    virtual void setBufferFrames(int bufferFrames) = 0;

    // Sets the handler for configuration changes; call before start(). See the thread contract above.
    virtual void setChangeHandler(ChangeHandler handler) = 0;
};

} // namespace tc
