#include "engine/linux/SystemSources.h"

#include "engine/NullKeyboardMonitor.h"
#include "engine/SystemWatchers.h"
#include "engine/linux/AtspiSecureInput.h"
#include "engine/linux/PulseMicrophoneActivity.h"
#include "engine/linux/PulseOutputVolume.h"
#include "engine/linux/PulseRecordingBackend.h"
#include "engine/linux/WaylandSession.h"
#include "engine/linux/X11FrontmostAppSource.h"
#include "engine/linux/X11RunningApps.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace tc {

std::unique_ptr<SoundServerOutput> SystemSources::audioOutput(SoundServerOutput::Log log) {
    SoundServerOutput::Options options;
    options.log = std::move(log);
    return std::make_unique<SoundServerOutput>(std::move(options));
}

std::unique_ptr<KeyboardMonitor> SystemSources::keyboardMonitor(LinuxKeyboardMonitor::Options options) {
    std::error_code error;
    const bool deviceFolder = std::filesystem::is_directory(options.deviceFolder, error);
    const char *display = options.displayName.empty() ? std::getenv("DISPLAY") : options.displayName.c_str();
    const bool x11 = display && *display && !isWaylandSession();
    if (!deviceFolder && !x11) {
        return std::make_unique<NullKeyboardMonitor>();
    }
    return std::make_unique<LinuxKeyboardMonitor>(std::move(options));
}

std::unique_ptr<FrontmostAppSource> SystemSources::frontmostApp() {
    if (!isWaylandSession()) {
        if (auto x11 = X11FrontmostAppSource::open()) {
            return x11;
        }
    }
    return std::make_unique<NullFrontmostAppSource>();
}

std::unique_ptr<RunningAppsSource> SystemSources::runningApps() {
    const char *display = std::getenv("DISPLAY");
    if (display && *display && !isWaylandSession()) {
        return std::make_unique<X11RunningApps>();
    }
    return std::make_unique<NullRunningAppsSource>();
}

std::unique_ptr<MicrophoneActivitySource> SystemSources::microphoneActivity() {
    return orNull<MicrophoneActivitySource, NullMicrophoneActivitySource>(
        [] { return std::make_unique<PulseMicrophoneActivity>(); });
}

std::unique_ptr<OutputVolume> SystemSources::outputVolume() {
    return orNull<OutputVolume, NullOutputVolume>([] { return std::make_unique<PulseOutputVolume>(); });
}

std::unique_ptr<SecureInputSource> SystemSources::secureInput() {
    return orNull<SecureInputSource, NullSecureInputSource>([] { return std::make_unique<AtspiSecureInput>(); });
}

std::unique_ptr<RecordingBackend> SystemSources::recordingBackend(std::shared_ptr<const FfmpegModule> ffmpeg) {
    return std::make_unique<PulseRecordingBackend>(moduleAacWriter(std::move(ffmpeg)));
}

} // namespace tc
