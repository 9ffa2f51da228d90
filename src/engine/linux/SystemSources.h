#pragma once

#include "engine/FrontmostAppSource.h"
#include "engine/KeyboardMonitor.h"
#include "engine/MicrophoneActivitySource.h"
#include "engine/OutputVolume.h"
#include "engine/RecordingBackend.h"
#include "engine/RunningAppsSource.h"
#include "engine/SecureInputSource.h"
#include "engine/linux/LinuxKeyboardMonitor.h"
#include "engine/linux/SoundServerOutput.h"

#include <exception>
#include <memory>

namespace tc {

class FfmpegModule;

// The one place that picks the platform backends for this session, for the composition root: the sound
// output, the keyboard monitor, the system watchers' sources, the running-applications list, the output-volume
// query and the recorder. Each falls back to its
// null implementation where the session has no such facility. Call on the main thread.
struct SystemSources {
    // The sound output: PipeWire's own stream where the server is PipeWire, else the PulseAudio stream (it
    // chooses at each start; see SoundServerOutput). `log` hears that PipeWire's stream could not be opened.
    static std::unique_ptr<SoundServerOutput> audioOutput(SoundServerOutput::Log log);

    // LinuxKeyboardMonitor, which tries evdev and then XInput 2 at every start() until one runs; the null
    // monitor where neither ever can: no device folder to watch, and no X display to try (a Wayland session,
    // or no $DISPLAY and no display in `options`).
    static std::unique_ptr<KeyboardMonitor> keyboardMonitor(LinuxKeyboardMonitor::Options options = {});

    // X11's active window on an X11 session; unknown (the null source) on a Wayland session, also when
    // Xwayland answers on $DISPLAY (its active window names only X clients), and where no X server answers.
    static std::unique_ptr<FrontmostAppSource> frontmostApp();
    // The applications with windows open, from the X server on an X11 session; the null list on a Wayland
    // session (Xwayland lists only X clients) and without $DISPLAY.
    static std::unique_ptr<RunningAppsSource> runningApps();
    // The PulseAudio watchers follow a server that goes and comes by themselves; one that cannot be made at
    // all (no main loop or context) leaves its null source.
    static std::unique_ptr<MicrophoneActivitySource> microphoneActivity();
    static std::unique_ptr<OutputVolume> outputVolume();
    // AT-SPI and the screen saver; the null source when its thread cannot be made.
    static std::unique_ptr<SecureInputSource> secureInput();
    // Takes encoded through the FFmpeg module.
    static std::unique_ptr<RecordingBackend> recordingBackend(std::shared_ptr<const FfmpegModule> ffmpeg);

    // What `make` returns, or a `Null` when making it throws.
    template <class Interface, class Null, class Make> static std::unique_ptr<Interface> orNull(Make make) {
        try {
            return make();
        } catch (const std::exception &) {
            return std::make_unique<Null>();
        }
    }
};

} // namespace tc
