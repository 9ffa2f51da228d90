#pragma once

#include "engine/FrontmostAppSource.h"
#include "engine/MicrophoneActivitySource.h"
#include "engine/OutputVolume.h"
#include "engine/RecordingBackend.h"
#include "engine/SecureInputSource.h"

#include <memory>

namespace tc {

// The backends of the system watchers, the output-volume query and the recorder for this session, for the
// composition root. Each falls back to its null implementation where the session has no such facility.
struct SystemSources {
    // A Wayland session (WAYLAND_DISPLAY set, or XDG_SESSION_TYPE "wayland"), also with Xwayland running.
    static bool isWaylandSession();

    // X11's active window on an X11 session; unknown (the null source) on Wayland, where Xwayland sees only
    // the X11 windows, and where no X server answers.
    static std::unique_ptr<FrontmostAppSource> frontmostApp();
    static std::unique_ptr<MicrophoneActivitySource> microphoneActivity();
    static std::unique_ptr<SecureInputSource> secureInput();
    static std::unique_ptr<OutputVolume> outputVolume();
    static std::unique_ptr<RecordingBackend> recordingBackend();
};

} // namespace tc
