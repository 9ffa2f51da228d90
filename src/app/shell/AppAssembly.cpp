#include "app/shell/AppAssembly.h"

#include "app/AppModel.h"
#include "app/AudioControl.h"
#include "app/BackgroundService.h"
#include "app/DocumentStore.h"
#include "app/LoginItem.h"
#include "app/QtTime.h"
#include "app/SoundCatalog.h"
#include "app/StatsStore.h"
#include "app/shell/DesktopEntryApps.h"
#include "engine/AudioEngine.h"
#include "engine/ImportJournal.h"
#include "engine/LatencyTrace.h"
#include "engine/SoundLibrary.h"
#include "engine/SoundRouter.h"
#include "engine/SystemWatchers.h"
#include "engine/linux/FfmpegModule.h"
#include "engine/linux/ModuleAudioFiles.h"
#include "engine/linux/NullAudioOutput.h"
#include "engine/linux/PulseAudioDevices.h"
#include "engine/linux/SoundFolders.h"
#include "engine/linux/SystemLog.h"
#include "engine/linux/SystemSources.h"

namespace tc {

// Members in construction order; they are destroyed in reverse, the model first.
struct AppAssembly::Parts {
    // Off unless $TAPCHIME_LATENCY_TRACE names a file; made first so that it outlives everything it hears.
    std::unique_ptr<LatencyTrace> trace = LatencyTrace::fromEnvironment();
    SystemClock clock;
    QtTimerFactory timers;
    SettingsStatsStore stats;
    DocumentStore documents{DocumentStore::defaultFolder()};
    XdgAutostartLoginItem loginItem;

    std::unique_ptr<SoundServerOutput> output = SystemSources::audioOutput(systemLog);
    NullAudioOutput fallback;
    PulseAudioDevices devices;
    AudioEngine engine{*output, devices,
                       AudioEngine::Options{&fallback, {}, systemLog, std::chrono::milliseconds(1000)}};
    AudioEngineControl audio{engine, &devices}; // a chosen device that comes back is played on again

    // FFmpeg is in memory only while audio files are read or written: at start, and when the user imports or
    // records a sound.
    std::shared_ptr<const FfmpegModule> ffmpeg =
        std::make_shared<FfmpegModule>(FfmpegModule::defaultPath(), std::chrono::seconds(2), systemLog);
    // The imports under way, so that the next start removes what one a crash stopped wrote.
    ImportJournal imports{SoundFolders::userSounds()};
    SoundLibrary library{std::make_shared<ModuleDecoder>(ffmpeg), SoundFolders::userSounds(),
                         SoundFolders::builtinSounds()};
    SoundLibraryCatalog catalog{library};
    SoundRouter router{library, engine};
    std::unique_ptr<OutputVolume> outputVolume = SystemSources::outputVolume();
    std::unique_ptr<RecordingBackend> recording = SystemSources::recordingBackend(ffmpeg);
    // The one way off the main thread. After everything its lanes' tasks use (the library, the devices, the
    // microphone), so it joins them before those go; before everything that posts to it.
    BackgroundService background{timers};
    // The installed applications and the running ones, for the screens that list or pick applications.
    std::unique_ptr<DesktopEntryApps> apps =
        DesktopEntryApps::readInBackground(background, SystemSources::runningApps());

    std::unique_ptr<AppModel> model;
};

AppAssembly::AppAssembly() : parts_(std::make_unique<Parts>()) {
    auto &p = *parts_;
    p.library.setImportJournal(&p.imports); // before the model settles the last run's imports
    if (p.trace) {
        p.trace->mark("assembly");
        p.output->setLatencyTrace(p.trace.get()); // before the model starts the engine
        p.engine.setLatencyTrace(p.trace.get());
        p.router.setLatencyTrace(p.trace.get());
    }
    AppModel::Services services;
    services.clock = &p.clock;
    services.timers = &p.timers;
    services.stats = &p.stats;
    services.documents = &p.documents;
    services.loginItem = &p.loginItem;
    services.audio = &p.audio;
    services.router = &p.router;
    services.library = &p.catalog;
    services.output = p.outputVolume.get();
    services.recording = p.recording.get();
    services.devices = &p.devices;
    services.background = &p.background;
    services.monitor = SystemSources::keyboardMonitor();
    services.watchers = std::make_unique<SystemWatchers>(
        p.timers, SystemSources::frontmostApp(), SystemSources::microphoneActivity(), SystemSources::secureInput());
    services.log = systemLog;
    p.model = std::make_unique<AppModel>(std::move(services));
    if (p.trace) {
        QObject::connect(p.model.get(), &AppModel::soundsReadyChanged, p.model.get(),
                         [trace = p.trace.get()] { trace->mark("soundsReady"); });
    }
}

AppAssembly::~AppAssembly() = default;

AppModel &AppAssembly::model() {
    return *parts_->model;
}

TimerFactory &AppAssembly::timers() {
    return parts_->timers;
}

DesktopApps &AppAssembly::apps() {
    return *parts_->apps;
}

BackgroundService &AppAssembly::background() {
    return parts_->background;
}

} // namespace tc
