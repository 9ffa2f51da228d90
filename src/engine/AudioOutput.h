#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace tc {

// Fills output frames. Implemented by the mixer; called by an AudioOutput on its audio thread. Every call
// writes 48 kHz audio into two channel arrays (non-interleaved, both `frames` long) and must not allocate,
// free, lock, log or do I/O.
//
// An output either calls render() for each stretch of its stream, which starts every new sound at the start
// of that stretch, or keeps a queue longer than its latency and places each new sound close to what is
// being played itself: it renders with renderPlaying(), and when hasNewSounds() it starts them with
// renderNewSounds() on the frames already queued where they should begin. Those two give the plain sum of
// the voices; such an output runs the master stage itself (OutputQueue), since it limits again whatever it
// rewrites.
class AudioRenderer {
public:
    virtual ~AudioRenderer() = default;
    // Starts the sounds handed over since the last call, then writes `frames` frames, replacing what the
    // channels held.
    virtual void render(float *left, float *right, size_t frames) noexcept = 0;
    // Like render(), but sounds handed over and not yet started keep waiting for renderNewSounds(), and the
    // frames are the sum of the voices before the master stage (not limited).
    virtual void renderPlaying(float *left, float *right, size_t frames) noexcept = 0;
    // Whether sounds were handed over that have not started yet.
    virtual bool hasNewSounds() const noexcept = 0;
    // Starts the sounds handed over since the last call and adds their first `frames` frames to the channels,
    // which hold the sum (before the master stage) already queued at the place where the sounds begin. Sounds
    // that were playing before are not advanced (their frames are in the channels already); the new ones
    // continue after these frames in the next renderPlaying().
    virtual void renderNewSounds(float *left, float *right, size_t frames) noexcept = 0;
};

// The sound output backend: one playback stream in the shared format (48 kHz, 2 channels, 32-bit float)
// that pulls its frames from an AudioRenderer.
//
// Threads: start(), stop(), setBufferFrames() and deviceUID() are called by the engine's control thread (one
// caller at a time, never on the audio thread, and with no engine lock held: a start may wait for the sound
// server); isRunning() may be called from any thread. Between a successful start() and the return of stop()
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
    // is stopped first. The stream stays open until stop(), feeding silence while nothing plays; an output
    // may pause it after a while without sound (so that nothing wakes for it) and resume it when it hears of
    // the next sound through soundQueued(). Returns false with a description in `error` when the stream
    // cannot be started; the output is then stopped.
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

    // Called by the engine with its lock held (on the keyboard or the main thread) right after it handed a
    // new sound to the renderer, only between the return of a successful start() and the next stop(), never
    // while either runs. An output that places new sounds into its queue itself wakes its audio thread for
    // it; this must return at once (no lock the audio thread holds, no allocation). An output that renders
    // every stretch with render() needs nothing here.
    virtual void soundQueued() noexcept {}
};

} // namespace tc
