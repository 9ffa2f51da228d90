#pragma once

#include <memory>

namespace tc {

class AppModel;
class BackgroundService;
class DesktopApps;
class TimerFactory;

// Builds the program's one application model on the real collaborators: the document in
// $XDG_DATA_HOME/Tapchime, the press count in the Qt settings, the XDG autostart entry, the audio engine on
// PulseAudio (a null output when no server answers), the sound library with the FFmpeg decoder, the sound
// router, and the platform backends SystemSources picks for the session (the keyboard monitor, the watchers'
// sources, the output-volume watcher, the window list and the microphone), the one applications service
// (DesktopEntryApps: installed and running applications), all on Qt timers, and
// the one background service (BackgroundService) every piece of work off the main thread goes through. When
// $TAPCHIME_LATENCY_TRACE names a file, the key path's timing and the moments "assembly" and "soundsReady" are
// traced there (see LatencyTrace).
//
// Made once by main() on the main thread, after the QApplication, and kept until the program ends. The
// model's notices (AppModel::noticeRequested) reach the notice panel once main() has connected it.
class AppAssembly {
public:
    AppAssembly();
    ~AppAssembly();
    AppAssembly(const AppAssembly &) = delete;
    AppAssembly &operator=(const AppAssembly &) = delete;

    AppModel &model();
    TimerFactory &timers();
    // The desktop's applications, installed and running, for the screens (the one applications service).
    DesktopApps &apps();
    // The lanes off the main thread, for what main() makes besides the model.
    BackgroundService &background();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

} // namespace tc
