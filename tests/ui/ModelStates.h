#pragma once

// Views on a real application model built on fakes (the application tests' harness), and a way to bring that
// model into each kind of silence.

#include "app/AppModelHarness.h"
#include "ui/ShellTestApp.h"

#include <QCoreApplication>
#include <QEvent>

namespace tc::test {

// Deletes the widgets whose deletion was deferred (views drop replaced parts with deleteLater()).
inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Lets the debounced save run and waits until it is on disk.
inline void letSaveRun(Harness &harness) {
    harness.time.advance(AppModel::kSaveDelay);
    harness.documents->waitForWrites(std::chrono::seconds(5));
}

inline constexpr Silence::Kind allSilenceKinds[] = {
    Silence::Kind::permission, Silence::Kind::off, Silence::Kind::volume,   Silence::Kind::macMuted,
    Silence::Kind::app,        Silence::Kind::mic, Silence::Kind::password, Silence::Kind::quiet,
};

// Makes and starts the harness's model in the state whose silence is `kind` (nothing else silent).
inline AppModel &startSilent(Harness &harness, Silence::Kind kind) {
    harness.monitorStarts = kind != Silence::Kind::permission;
    AppModel &model = harness.started();
    switch (kind) {
    case Silence::Kind::permission:
        break;
    case Silence::Kind::off:
        model.setSetting(&AppSettings::enabled, false);
        break;
    case Silence::Kind::volume:
        model.setSetting(&AppSettings::masterVolume, 0.0);
        break;
    case Silence::Kind::macMuted:
        harness.output.muted = true;
        harness.time.advance(AppModel::kOutputSampling);
        break;
    case Silence::Kind::app:
        harness.activate("Zoom", "Zoom"); // silenced by a default app rule
        break;
    case Silence::Kind::mic:
        *harness.mic = true;
        harness.time.advance(SystemWatchers::kPollInterval);
        break;
    case Silence::Kind::password:
        *harness.secure = true;
        harness.time.advance(SystemWatchers::kPollInterval);
        break;
    case Silence::Kind::quiet:
        model.commitEdit([](AppData &data) {
            data.settings.quietHoursEnabled = true;
            data.settings.quietStartMinutes = 0;
            data.settings.quietEndMinutes = 1439;
        });
        break;
    }
    return model;
}

} // namespace tc::test
