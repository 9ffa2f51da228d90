// Start-up, the runtime configuration, the watchers' reports, the switch log and the silence remedy.

#include "app/AppModel.h"

#include "app/AudioControl.h"
#include "app/KeyReports.h"
#include "app/RuntimeBuilder.h"
#include "app/SilenceDiagnosis.h"
#include "app/SoundCatalog.h"
#include "engine/KeyboardMonitor.h"
#include "engine/Landings.h"
#include "engine/OutputVolume.h"
#include "engine/SoundRouter.h"
#include "engine/SystemWatchers.h"

#include <algorithm>
#include <iterator>
#include <malloc.h>

namespace tc {

std::function<void(std::function<void(AppModel &)>)> AppModel::mainThreadPoster() {
    // The model owns the landings: a report still on its way when the model is gone is dropped.
    return [to = reports_->deliverer(), model = this](std::function<void(AppModel &)> task) {
        to([model, task = std::move(task)] { task(*model); });
    };
}

void AppModel::start() {
    if (started_) {
        return;
    }
    started_ = true;
    startListening();
    if (!data_.settings.hasCompletedOnboarding) {
        setShowOnboarding(true);
    }
    // The default document greets the user as if new; they hear why, once, over the onboarding.
    if (!keptBrokenDocument_.isEmpty()) {
        emit brokenDocumentKept(keptBrokenDocument_);
    }
}

void AppModel::startListening() {
    if (listening_) {
        return;
    }
    listening_ = true;
    const auto &settings = data_.settings;

    // The engine connects to the sound server on its own thread; until then key presses wait in its mixer.
    auto &audio = *services_.audio;
    audio.setLowLatency(settings.lowLatency);
    audio.setOutputDevice(settings.outputDeviceUID);
    audio.setVoiceCount(settings.maxVoices); // whatever a hand-edited document holds: the engine's range applies
    audio.start();

    // Preload on the model's lane, before any import; the library guards its cache. The user sounds are those
    // of now.
    runOnWorker(
        [library = services_.library, userSounds = data_.userSounds](const Deliver &deliver, const WorkQueue &) {
            library->preloadBuiltins();
            for (const auto &item : userSounds) {
                library->loadUserSound(item); // a sound that fails to load is left out
            }
            // Decoding on several threads leaves their freed scratch memory in per-thread heaps; hand it back to
            // the system now that the one burst of start-up work is over (several megabytes of resident memory).
            malloc_trim(0);
            deliver([](AppModel &model) {
                if (!model.soundsReady_) {
                    model.soundsReady_ = true;
                    emit model.soundsReadyChanged();
                }
                ++model.soundsVersion_;
                emit model.soundsVersionChanged();
            });
        });

    // The router reports on the keyboard thread. Key activity and plays go into the lock-free queue and wake the
    // main thread; the rare rest (hotkeys, a play of a sound id too long for the queue) is posted, and takes
    // what the queue holds first, so everything arrives in order.
    auto &router = *services_.router;
    const auto post = mainThreadPoster();
    keyReports_ = std::make_unique<KeyReports>();
    keyReportsWakeup_ = services_.timers->wakeup([this] { takeKeyReports(); });
    router.onKey = [reports = keyReports_.get(), wakeup = keyReportsWakeup_.get()](std::uint16_t code, bool isDown) {
        reports->key(code, isDown);
        wakeup->wake();
    };
    router.onPlayed = [post, reports = keyReports_.get(),
                       wakeup = keyReportsWakeup_.get()](std::uint16_t code, const std::string &soundID) {
        if (soundID.size() <= KeyReports::kMaxSoundID) {
            reports->played(code, soundID);
            wakeup->wake();
            return;
        }
        post([code, soundID](AppModel &model) {
            model.takeKeyReports();
            model.played(code, soundID);
        });
    };
    router.onHotkey = [post](Hotkey hotkey) {
        post([hotkey](AppModel &model) {
            model.takeKeyReports();
            model.handle(hotkey);
        });
    };
    services_.monitor->setHandler([&router](const KeyEvent &event) { router.handle(event); });

    auto &watchers = *services_.watchers;
    watchers.onFrontmostApp = [this](const std::string &bundleID, const std::string &name) {
        frontmostChanged(bundleID, name);
    };
    watchers.onMicChange = [this](bool inUse) {
        setMicInUse(inUse);
        pushRuntime();
    };
    watchers.onSecureInputChange = [this](bool on) {
        setSecureInput(on);
        pushRuntime();
    };
    watchers.onMinuteTick = [this] { minuteTick(); };
    watchers.start();

    startMonitorIfPossible();
    pushRuntime();
    checkMacOutput();
    outputTimer_ = services_.timers->repeat(kOutputSampling, [this] { checkMacOutput(); });
}

void AppModel::startMonitorIfPossible() {
    auto &monitor = *services_.monitor;
    if (!monitor.isRunning()) {
        setTapRunning(monitor.start());
    }
    const bool running = monitor.isRunning();
    setPermissionGranted(running);
    if (!running) {
        if (!permissionTimer_) {
            permissionTimer_ = services_.timers->repeat(kPermissionRetry, [this] { startMonitorIfPossible(); });
        }
    } else {
        permissionTimer_.reset();
    }
}

void AppModel::openInputMonitoringSettings() {
    emit keyboardAccessHelpRequested();
}

void AppModel::pushRuntime() {
    // The pools take ids and categories only: the built-in items are read where they are, not copied with their
    // durations as allSounds() lists them.
    services_.router->setConfig(buildRuntimeConfig(data_, liveState(), services_.library->builtinItems(),
                                                   data_.userSounds, triggerWords_.get()));
}

void AppModel::checkMacOutput() {
    // An output the engine cannot reach (no sound server answers) is as silent as a muted one, but the user is
    // told the real cause; both answers are cached, so this never waits.
    const bool unreachable = !services_.audio->isOutputReachable();
    const bool silent = services_.output->isSilent() || unreachable;
    const bool causeChanged = assignField(outputUnreachable_, unreachable);
    if (assignField(macOutputSilent_, silent)) {
        emit macOutputSilentChanged();
        refreshSilence();
    } else if (causeChanged) {
        refreshSilence();
    }
}

void AppModel::setPermissionGranted(bool granted) {
    if (assignField(permissionGranted_, granted)) {
        emit permissionGrantedChanged();
        refreshSilence();
    }
}

void AppModel::setTapRunning(bool running) {
    if (assignField(tapRunning_, running)) {
        emit tapRunningChanged();
    }
}

void AppModel::setMicInUse(bool inUse) {
    if (assignField(micInUse_, inUse)) {
        emit micInUseChanged();
        refreshSilence();
    }
}

void AppModel::setSecureInput(bool on) {
    if (assignField(secureInput_, on)) {
        emit secureInputChanged();
        refreshSilence();
    }
}

void AppModel::setOwnWindowFocused(bool focused) {
    if (assignField(ownWindowFocused_, focused)) {
        pushRuntime();
    }
}

void AppModel::minuteTick() {
    pushRuntime();
    // Quiet hours begin and end on the clock alone: without this, status surfaces would keep the old state.
    refreshSilence();
    rollOverPressDay();
    // The log is shown as today's switches: once the day turns, yesterday's entries go.
    const QDate today = services_.clock->now().date();
    if (std::erase_if(switchLog_, [&](const SwitchLogEntry &entry) { return entry.date.date() != today; }) > 0) {
        emit switchLogChanged();
    }
}

std::vector<SwitchLogEntry> AppModel::switchLogToday() const {
    const QDate today = services_.clock->now().date();
    std::vector<SwitchLogEntry> entries;
    std::copy_if(switchLog_.begin(), switchLog_.end(), std::back_inserter(entries),
                 [&](const SwitchLogEntry &entry) { return entry.date.date() == today; });
    return entries;
}

void AppModel::frontmostChanged(const std::string &bundleID, const std::string &name) {
    if (assignField(currentAppBundleID_, bundleID)) {
        emit currentAppBundleIDChanged();
    }
    if (assignField(currentAppName_, name)) {
        emit currentAppNameChanged();
    }
    refreshSilence();
    pushRuntime();

    std::optional<Uuid> effective;
    if (!effectiveProfileIsMutedByApp()) {
        effective = effectiveProfile().id;
    }
    if (lastEffectiveProfileID_ && *lastEffectiveProfileID_ == effective) {
        return;
    }
    if (!lastEffectiveProfileID_) {
        lastEffectiveProfileID_ = effective; // the first application after start is not a switch
        return;
    }
    std::string profileName = "Muted";
    if (effective) {
        for (const auto &profile : data_.profiles) {
            if (profile.id == *effective) {
                profileName = profile.name;
                break;
            }
        }
    }
    switchLog_.insert(switchLog_.begin(), SwitchLogEntry{Uuid::random(), services_.clock->now(), name, profileName});
    if (switchLog_.size() > kSwitchLogLength) {
        switchLog_.resize(kSwitchLogLength);
    }
    emit switchLogChanged();
    lastEffectiveProfileID_ = effective;
}

bool AppModel::fixSilence() {
    const auto current = silence();
    return !current || fixSilence(current->kind);
}

bool AppModel::fixSilence(Silence::Kind kind) {
    switch (kind) {
    case Silence::Kind::permission:
        // Linux has no permission prompt: show how to get keyboard access, and look again now.
        openInputMonitoringSettings();
        startMonitorIfPossible();
        return true;
    case Silence::Kind::off:
        commitEdit([](AppData &data) { data.settings.enabled = true; }, settingsPart);
        return true;
    case Silence::Kind::volume:
        commitEdit([](AppData &data) { data.settings.masterVolume = kRestoredMasterVolume; }, settingsPart);
        return true;
    case Silence::Kind::macMuted:
    case Silence::Kind::password:
        return true;
    case Silence::Kind::app:
        setSection(AppSection::apps);
        return false;
    case Silence::Kind::mic:
        commitEdit([](AppData &data) { data.settings.muteWhenMicInUse = false; }, settingsPart);
        return true;
    case Silence::Kind::quiet:
        commitEdit([](AppData &data) { data.settings.quietHoursEnabled = false; }, settingsPart);
        return true;
    }
    return true;
}

} // namespace tc
