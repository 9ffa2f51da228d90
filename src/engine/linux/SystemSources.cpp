#include "engine/linux/SystemSources.h"
#include "engine/SystemWatchers.h"
#include "engine/linux/AtspiSecureInput.h"
#include "engine/linux/PulseMicrophoneActivity.h"
#include "engine/linux/PulseOutputVolume.h"
#include "engine/linux/PulseRecordingBackend.h"
#include "engine/linux/X11FrontmostAppSource.h"

#include <cstdlib>
#include <cstring>
#include <exception>

namespace tc {

bool SystemSources::isWaylandSession() {
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    const char *type = std::getenv("XDG_SESSION_TYPE");
    return (wayland && *wayland) || (type && std::strcmp(type, "wayland") == 0);
}

std::unique_ptr<FrontmostAppSource> SystemSources::frontmostApp() {
    if (!isWaylandSession()) {
        if (auto x11 = X11FrontmostAppSource::open()) {
            return x11;
        }
    }
    return std::make_unique<NullFrontmostAppSource>();
}

// The PulseAudio watchers follow a missing server by themselves; only a failure to make their main loop
// (out of resources) leaves the null implementation.
std::unique_ptr<MicrophoneActivitySource> SystemSources::microphoneActivity() {
    try {
        return std::make_unique<PulseMicrophoneActivity>();
    } catch (const std::exception &) {
        return std::make_unique<NullMicrophoneActivitySource>();
    }
}

std::unique_ptr<SecureInputSource> SystemSources::secureInput() {
    return std::make_unique<AtspiSecureInput>();
}

std::unique_ptr<OutputVolume> SystemSources::outputVolume() {
    try {
        return std::make_unique<PulseOutputVolume>();
    } catch (const std::exception &) {
        return std::make_unique<NullOutputVolume>();
    }
}

std::unique_ptr<RecordingBackend> SystemSources::recordingBackend() {
    return std::make_unique<PulseRecordingBackend>();
}

} // namespace tc
