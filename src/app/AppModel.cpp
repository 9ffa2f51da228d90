#include "app/AppModel.h"

#include "app/BackgroundService.h"
#include "app/DefaultDocument.h"
#include "app/DocumentParts.h"
#include "app/DocumentStore.h"
#include "app/KeyReports.h"
#include "app/OutputDeviceList.h"
#include "app/PlaybackRules.h"
#include "app/RuntimeBuilder.h"
#include "app/SilenceDiagnosis.h"
#include "app/SoundCatalog.h"
#include "app/StatsStore.h"
#include "engine/KeyboardMonitor.h"
#include "engine/Landings.h"
#include "engine/RecordingBackend.h"
#include "engine/SoundRouter.h"
#include "engine/SystemWatchers.h"

#include <QFile>

#include <chrono>
#include <cstdio>
#include <set>
#include <utility>

namespace tc {

namespace {

// How long quitting waits for the writer to finish; a save is a few kilobytes.
constexpr std::chrono::seconds kQuitWriteTimeout{5};

} // namespace

AppModel::AppModel(Services services, QObject *parent)
    : AppModelSignals(parent), services_(std::move(services)), reports_(services_.background->landings()),
      work_(services_.background->landings()), triggerWords_(std::make_unique<TriggerWords>()) {
    if (!services_.recording) {
        noMicrophone_ = std::make_unique<NullRecordingBackend>();
        services_.recording = noMicrophone_.get();
    }
    if (!services_.log) {
        services_.log = [](const std::string &line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    }
    services_.documents->setLog(services_.log);
    services_.documents->setSaveOutcome([post = mainThreadPoster()](const std::optional<QString> &failure) {
        post([failure](AppModel &model) { model.saveFinished(failure); });
    });
    auto loaded = services_.documents->load(services_.clock->now());
    data_ = std::move(loaded.data);
    settleInterruptedImports(loaded.source != DocumentStore::Source::fallback ||
                             (loaded.keptBrokenFile.isEmpty() && !QFile::exists(services_.documents->documentPath())));
    keptBrokenDocument_ = std::move(loaded.keptBrokenFile);
    restorePressCount();
    lastSilence_ = silence();
}

AppModel::~AppModel() {
    // The keyboard thread and the watchers' sources stop first, so nothing reports into a model half gone.
    services_.monitor.reset();
    services_.watchers.reset();
    if (listening_) {
        // The router outlives the model; its reports must not reach the queue that goes with it.
        services_.router->onKey = nullptr;
        services_.router->onPlayed = nullptr;
        services_.router->onHotkey = nullptr;
    }
    deviceList_.reset();
    // The model's lane finishes the file it is on (and the preload, which fills the library); what it finished
    // lands now, unheard (the views are gone), so the save below keeps it. The files not started are left as
    // they are.
    services_.background->stop(BackgroundService::Lane::model);
    services_.background->stop(BackgroundService::Lane::microphone); // a take still opening its stream is dropped
    blockSignals(true);
    landFinishedWork();
    // The last edits are never lost, whichever way the program ends.
    flushPendingSave();
    services_.documents->setSaveOutcome({});
}

AppData AppModel::makeDefaultData() {
    return tc::makeDefaultData();
}

// --- Observed fields ---------------------------------------------------------------------------------------

void AppModel::commitEdit(const std::function<void(AppData &)> &change, unsigned parts) {
    const DocumentParts before(data_, parts);
    change(data_);
    before.signalChanges(data_, *this);
    finishEdit();
}

void AppModel::finishEdit() {
    refreshSilence();
    scheduleSave();
    pushRuntime();
}

void AppModel::setSection(AppSection section) {
    if (assignField(section_, section)) {
        emit sectionChanged();
    }
}

void AppModel::setSelectedKeys(KeySet keys) {
    if (assignField(selectedKeys_, std::move(keys))) {
        emit selectedKeysChanged();
    }
}

void AppModel::setTool(EditTool tool) {
    if (assignField(tool_, tool)) {
        emit toolChanged();
    }
}

void AppModel::setBrushSoundID(std::string id) {
    if (assignField(brushSoundID_, std::move(id))) {
        emit brushSoundIDChanged();
    }
}

void AppModel::setSoundPicker(std::optional<SoundPickerTarget> target) {
    if (assignField(soundPicker_, std::move(target))) {
        emit soundPickerChanged();
    }
}

void AppModel::setPickerStartsOnRecord(bool on) {
    if (assignField(pickerStartsOnRecord_, on)) {
        emit pickerStartsOnRecordChanged();
    }
}

void AppModel::setShowOnboarding(bool show) {
    if (assignField(showOnboarding_, show)) {
        emit showOnboardingChanged();
    }
}

// --- Document persistence ----------------------------------------------------------------------------------

void AppModel::scheduleSave() {
    // A later call replaces the timer. Every change of `data` is an edit, which calls this, so the document when
    // the timer fires is the one of the last edit.
    savePending_ = true;
    saveTimer_ = services_.timers->singleShot(kSaveDelay, [this] {
        saveTimer_.reset();
        if (savePending_) {
            savePending_ = false;
            services_.documents->save(data_);
        }
    });
}

void AppModel::flushPendingSave() {
    saveTimer_.reset();
    if (savePending_) {
        savePending_ = false;
        services_.documents->save(data_);
    }
    services_.documents->waitForWrites(kQuitWriteTimeout);
}

void AppModel::prepareToQuit() {
    flushPendingSave();
    services_.stats->sync();
}

void AppModel::saveFinished(const std::optional<QString> &failure) {
    if (!failure) {
        saveFailing_ = false;
        // With no save due and none queued, the file holds the document as it is now.
        if (!landedImports_.empty() && !savePending_ &&
            services_.documents->waitForWrites(std::chrono::milliseconds(0))) {
            keepLandedImports();
        }
        return;
    }
    // Every edit saves, so a full disk fails every save: the user hears of it once, until a save succeeds.
    if (!saveFailing_) {
        saveFailing_ = true;
        emit saveFailed(*failure);
    }
}

void AppModel::settleInterruptedImports(bool documentRead) {
    std::set<std::string> listed;
    for (const auto &item : data_.userSounds) {
        if (item.fileName) {
            listed.insert(*item.fileName);
        }
    }
    const auto settled = services_.library->settleInterruptedImports(listed, documentRead);
    if (settled.temporaries + settled.copies > 0) {
        services_.log("Tapchime: removed what interrupted imports left in the sounds folder: " +
                      std::to_string(settled.temporaries) + " partial and " + std::to_string(settled.copies) +
                      " unlisted files");
    }
}

void AppModel::keepLandedImports() {
    if (landedImports_.empty()) {
        return;
    }
    // Ending the imports rewrites their record and flushes it to the disk: on the worker, never in the window's
    // thread. Should the program end first, the next start settles them against the document.
    runOnWorker([fileNames = std::exchange(landedImports_, {}), library = services_.library](
                    const Deliver &, const WorkQueue &) { library->importsLanded(fileNames); });
}

void AppModel::exportBackup(const QString &path) {
    keepLandedImports(); // the backup names them
    try {
        DocumentStore::exportBackup(data_, path);
    } catch (const BackupError &error) {
        services_.log(std::string("Tapchime: backup export failed: ") + error.what());
        throw;
    }
}

void AppModel::restorePressCount() {
    const auto storedDay = services_.stats->day();
    if (storedDay && *storedDay == today()) {
        pressesToday_ = services_.stats->count().value_or(0);
    }
}

QString AppModel::today() const {
    return services_.clock->now().date().toString(QStringLiteral("yyyy-MM-dd"));
}

int AppModel::minuteOfDay() const {
    const auto time = services_.clock->now().time();
    return time.hour() * 60 + time.minute();
}

// --- Derived values ----------------------------------------------------------------------------------------

LiveState AppModel::liveState() const {
    LiveState live;
    live.permissionGranted = permissionGranted_;
    live.macOutputSilent = macOutputSilent_;
    live.outputUnreachable = outputUnreachable_;
    live.currentAppBundleID = currentAppBundleID_;
    live.currentAppName = currentAppName_;
    live.micInUse = micInUse_;
    live.secureInput = secureInput_;
    live.minuteOfDay = minuteOfDay();
    live.ownWindowFocused = ownWindowFocused_;
    return live;
}

const Profile &AppModel::effectiveProfile() const {
    return tc::effectiveProfile(data_, currentAppBundleID_);
}

bool AppModel::effectiveProfileIsMutedByApp() const {
    return isMutedByApp(data_, currentAppBundleID_);
}

bool AppModel::isInQuietHours() const {
    return tc::isInQuietHours(data_.settings, minuteOfDay());
}

std::optional<QString> AppModel::muteReason() const {
    return tc::muteReason(data_, liveState());
}

std::optional<Silence> AppModel::silence() const {
    return diagnoseSilence(data_, liveState());
}

void AppModel::refreshSilence() {
    auto now = silence();
    if (now != lastSilence_) {
        lastSilence_ = std::move(now);
        emit silenceChanged();
    }
}

} // namespace tc
