#pragma once

// Glossary. Some names in the model, the shell and the views keep their macOS wording; on Linux they mean:
// - `bundleID` (`bundleId`, `appBundleIDs`, `currentAppBundleID`): an application's desktop-entry id, the
//   .desktop file name without its extension ("org.gnome.Terminal", "firefox").
// - "menu bar": the system tray. `MenuBarIcon` draws the tray icon, `MenuBarPopup` is the panel that opens
//   from it and `MenuBarView` (with `MenuBarParts`) is that panel's content. The window's own menus are
//   `AppMenus`.
// - "Input Monitoring" (`openInputMonitoringSettings`), `permissionGranted`: keyboard access, that is, the
//   keyboard monitor could start (it can read the keyboard devices or listen on the X display). There is no
//   settings pane to open: the keyboard-access help is shown instead.
// - "tap" (`tapRunning`): the keyboard monitor.
// - `macMuted`, `macOutputSilent`, `checkMacOutput`: the computer's sound output (the default PulseAudio
//   output) is muted or nearly silent, or the audio engine cannot reach it (no sound server answers).
// - `secureInput`: a password field has the keyboard focus, or the screen is locked (seen over AT-SPI and
//   the screen saver's D-Bus service).
// - Option and Command (`Modifiers::kOption` 0x80000, `Modifiers::kCommand` 0x100000, the flags the document
//   stores; key ids "optL", "cmdL"): the Alt and Super keys. Every text names keys and shortcuts as a PC
//   keyboard and the desktop's menus do ("Ctrl+Alt+K", "Backspace", "Enter"), through ShortcutFormatter.
// - Key codes (Space 49, Q 12, Caps Lock 57): macOS virtual key codes, which the document stores;
//   KeyTranslation maps the kernel's evdev codes to them.
// - Login item, "launch at login" (`LoginItem`): the XDG autostart entry.
// - `NoticeHUD`: the notice panel, a small floating capsule at the top of the screen.
// - Appcast (`Appcast`, `Updater`): the update feed, an RSS feed with Sparkle's version fields.

#include "app/AppModelSignals.h"
#include "app/AppTypes.h"
#include "app/BackgroundWork.h"
#include "app/Clock.h"
#include "app/PlaybackRules.h"
#include "app/Silence.h"
#include "engine/AudioDevices.h"
#include "engine/Hotkey.h"
#include "model/AppData.h"
#include "model/KeyCodes.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace tc {

class AudioControl;
class BackgroundService;
class KeyReports;
class Landings;
class OutputDeviceList;
class DocumentStore;
class KeyboardMonitor;
class LoginItem;
class OutputVolume;
class Recorder;
class RecordingBackend;
class TriggerWords;
class SoundCatalog;
class SoundRouter;
class StatsStore;
class SystemWatchers;
class WorkQueue;

// The one application model: owns the document and the view state every screen observes and edits, derives
// the sound router's configuration, works out why key presses are silent, counts the day's presses, keeps
// the switch log and offers every edit operation.
//
// Observation: each observed field has its own change signal, so a view updates in place. A setter compares
// first and signals only on a real change. The document signals per part (profiles, the active profile's
// keys, triggers, app rules, user sounds, settings; see AppModelSignals), again only on a real change, so an
// edit that changes nothing signals nothing. The document is loaded whole only before any view exists.
// `silence` is derived; silenceChanged() fires whenever its value changes (also when quiet hours begin or end).
//
// Writers of the document: `data` changes through commitEdit(change), or editTrigger for one trigger (it compares
// that trigger alone, so typing a word copies no other). Each applies the change, signals what differs (and
// silenceChanged() when the silence moved), schedules the debounced save and then pushes a fresh runtime
// configuration to the router, always in that order: save, then push; the save and the push happen also when
// nothing differed. Both end in finishEdit, and the model's own operations all go through one of them, so no
// writer can forget the save or the push. Views call only the named operations below (they carry the
// document's rules); commitEdit is for the model itself and for tests that set up a document.
//
// Notices: the on/off hotkey and typing while inaudible ask for a notice with noticeRequested(); the shell
// shows it on the notice panel. Nothing is shown while nobody listens.
//
// Thread: the main thread only. Long work runs on the background service's lanes and lands through Landings;
// collaborators report from their threads the same way, except the keyboard thread's key activity, which goes
// through a lock-free queue (KeyReports) and a wake-up, so that no key press takes a lock or allocates on its way
// to the counters. The services must outlive the model. There is one
// model for the life of the process.
class AppModel final : public AppModelSignals {
public:
    // What the model works with. Every pointer is required; the model owns the monitor and the watchers
    // (whose scheduler must be `timers`), and the rest must outlive it.
    struct Services {
        Clock *clock = nullptr;
        TimerFactory *timers = nullptr;
        StatsStore *stats = nullptr;
        DocumentStore *documents = nullptr;
        LoginItem *loginItem = nullptr;
        AudioControl *audio = nullptr;
        SoundRouter *router = nullptr;
        SoundCatalog *library = nullptr;
        OutputVolume *output = nullptr;
        // The microphone for the sound picker's recorders; optional (without one no take ever starts).
        RecordingBackend *recording = nullptr;
        // The output devices the settings screen offers; optional (without it the list stays empty).
        AudioDevices *devices = nullptr;
        std::unique_ptr<KeyboardMonitor> monitor;
        std::unique_ptr<SystemWatchers> watchers;
        // The lanes off the main thread: the model's own (the start-up preload, imports, exports), the
        // microphone's and the device queries'; its main thread must be `timers`. Screens reach it through
        // background().
        BackgroundService *background = nullptr;
        // One line to the system log (default: standard error; the program passes the system log). Called on
        // the main thread and, for a failed save, on the document writer's thread.
        std::function<void(const std::string &)> log;
    };

    static constexpr double kSaveDelay = 0.4;            // seconds from the last edit to the write
    static constexpr double kPermissionRetry = 1.5;      // seconds between tries to start the keyboard monitor
    static constexpr double kOutputSampling = 2.0;       // seconds between looks at the output and its reach
    static constexpr double kCapsLockHighlight = 0.15;   // seconds
    static constexpr int kSilentPressesForNotice = 12;   // key downs while inaudible …
    static constexpr double kSilentPressWindow = 6.0;    // … within this many seconds …
    static constexpr double kSilenceNoticeSpacing = 600; // … show the notice, at most once per this many seconds
    static constexpr int kPressCountStoreEvery = 10;
    static constexpr std::size_t kSwitchLogLength = 8;
    static constexpr int kMinutesPerDay = 24 * 60;
    static constexpr const char *kDefaultBrushSoundID = "synth.meow"; // the paint tool's sound at launch

    // Loads the document (with its upgrade) and restores the day's press count; starts nothing.
    explicit AppModel(Services services, QObject *parent = nullptr);
    ~AppModel() override;

    // The default document of a first launch.
    static AppData makeDefaultData();

    // --- Observed fields -----------------------------------------------------------------------------------

    const AppData &data() const { return data_; }
    // The parts of the document, for an edit that says which it may change.
    enum Part : unsigned {
        profilesPart = 1u << 0, // the profiles (the active profile's keys included) and the active profile
        triggersPart = 1u << 1,
        appRulesPart = 1u << 2,
        userSoundsPart = 1u << 3,
        settingsPart = 1u << 4,
        allParts = (1u << 5) - 1,
    };
    // The parts of the document a view follows, for observe().
    enum Change : unsigned {
        profilesChange = 1u << 0, // profilesChanged()
        keysChange = 1u << 1,     // keysChanged()
        triggersChange = 1u << 2,
        appRulesChange = 1u << 3,
        userSoundsChange = 1u << 4,
        settingsChange = 1u << 5,
    };
    // Calls `slot` (without arguments) after every change of the named parts of the document, while `context`
    // lives: for a view that reads its parts afresh rather than by the ids the signals carry.
    template <typename Slot> void observe(unsigned changes, const QObject *context, Slot slot) {
        if (changes & profilesChange) {
            connect(this, &AppModelSignals::profilesChanged, context, slot);
        }
        if (changes & keysChange) {
            connect(this, &AppModelSignals::keysChanged, context, slot);
        }
        if (changes & triggersChange) {
            connect(this, &AppModelSignals::triggersChanged, context, slot);
        }
        if (changes & appRulesChange) {
            connect(this, &AppModelSignals::appRulesChanged, context, slot);
        }
        if (changes & userSoundsChange) {
            connect(this, &AppModelSignals::userSoundsChanged, context, slot);
        }
        if (changes & settingsChange) {
            connect(this, &AppModelSignals::settingsChanged, context, slot);
        }
    }

    // The edit path of the document: calls change(data) in place, signals each part that differs and
    // silenceChanged() when the silence moved, then scheduleSave(), then pushRuntime(). `parts` names the parts
    // the change may touch: only those are copied and compared.
    void commitEdit(const std::function<void(AppData &)> &change, unsigned parts = allParts);

    AppSection section() const { return section_; }
    void setSection(AppSection section);
    const KeySet &selectedKeys() const { return selectedKeys_; }
    void setSelectedKeys(KeySet keys);
    EditTool tool() const { return tool_; }
    void setTool(EditTool tool);
    const std::string &brushSoundID() const { return brushSoundID_; }
    void setBrushSoundID(std::string id);
    const std::optional<SoundPickerTarget> &soundPicker() const { return soundPicker_; }
    void setSoundPicker(std::optional<SoundPickerTarget> target);
    bool pickerStartsOnRecord() const { return pickerStartsOnRecord_; }
    void setPickerStartsOnRecord(bool on);
    bool showOnboarding() const { return showOnboarding_; }
    void setShowOnboarding(bool show);

    // Written only by the model itself.
    const KeySet &pressedKeys() const { return pressedKeys_; }
    const std::optional<std::string> &lastPlayedSoundID() const { return lastPlayedSoundID_; }
    std::optional<std::uint16_t> lastPlayedKey() const { return lastPlayedKey_; }
    std::int64_t pressesToday() const { return pressesToday_; }
    bool permissionGranted() const { return permissionGranted_; }
    bool tapRunning() const { return tapRunning_; }
    const std::string &currentAppBundleID() const { return currentAppBundleID_; }
    const std::string &currentAppName() const { return currentAppName_; }
    bool micInUse() const { return micInUse_; }
    bool secureInput() const { return secureInput_; }
    bool macOutputSilent() const { return macOutputSilent_; }
    const std::vector<SwitchLogEntry> &switchLog() const { return switchLog_; }
    // The entries of the switch log made today (local time), newest first. switchLogChanged() also fires when
    // the day turns and yesterday's entries leave the log.
    std::vector<SwitchLogEntry> switchLogToday() const;
    bool soundsReady() const { return soundsReady_; }
    std::int64_t soundsVersion() const { return soundsVersion_; }

    // Whether one of the program's own windows has the keyboard focus (the shell reports it). While it has,
    // no app rule applies to key sounds: typing into the program plays the active profile, as its screens
    // show. The application in front, the right-now card and the switch log are not affected.
    bool ownWindowFocused() const { return ownWindowFocused_; }
    void setOwnWindowFocused(bool focused);

    // While the user records a trigger's shortcut, the program's hotkeys (Ctrl+Alt+K, Ctrl+Alt+P) do nothing: the
    // recorder refuses them with its hint, and the chord must not also turn sounds off or switch the profile.
    void setShortcutRecording(bool recording) { shortcutRecording_ = recording; }
    bool shortcutRecording() const { return shortcutRecording_; }

    // --- Start-up and runtime -----------------------------------------------------------------------------

    // Brings the engine, the preload, the router callbacks, the monitor, the watchers and the timers up
    // (startListening()), then asks for the first-run sheet when it was never completed and tells of a broken
    // document set aside at load. Runs once; later calls do nothing.
    void start();
    // The part of start() that hears the keyboard: once it returns, a key press reaches the router and a hotkey
    // the model. The shell calls it before it shows a window, so a hotkey pressed the moment the window appears
    // is not lost. Runs once; later calls (start()'s too) do nothing.
    void startListening();
    // Starts the keyboard monitor when it is not running; while it cannot start, retries every 1.5 s.
    void startMonitorIfPossible();
    // The keyboard-access help in place of a settings pane: asks the shell to show it.
    void openInputMonitoringSettings();

    // --- Document persistence ------------------------------------------------------------------------------

    // Writes a pending save now and waits (bounded) until every save is on disk. The shell calls it on Quit,
    // the panel's power button, SIGTERM and the end of the session, through prepareToQuit().
    void flushPendingSave();
    // Where load() kept a saved document it could not read; empty when there was none (see brokenDocumentKept).
    const QString &keptBrokenDocument() const { return keptBrokenDocument_; }
    // Everything that must reach the disk before the process ends: the pending save and the press count.
    void prepareToQuit();
    // The document as pretty-printed JSON with sorted keys, written atomically into an existing folder.
    // Throws BackupError, after logging it.
    void exportBackup(const QString &path);

    // --- Derived values ------------------------------------------------------------------------------------

    // The profile that plays now: that of the first app rule for the frontmost application when its profile
    // exists, else the active profile.
    const Profile &effectiveProfile() const;
    // The first app rule for the frontmost application silences it.
    bool effectiveProfileIsMutedByApp() const;
    bool isInQuietHours() const;
    // Why the router is muted now (app rule, microphone, password field, quiet hours), or nothing.
    std::optional<QString> muteReason() const;
    // Why key presses are silent now, or nothing.
    std::optional<Silence> silence() const;
    // Removes the silence's cause where the program can. False only when the caller must show the App rules
    // section (the model already switched to it).
    bool fixSilence();
    // The remedy of one kind of silence, whatever the current silence is: a notice's button fixes the silence
    // it was shown for, even when another cause has come first since.
    bool fixSilence(Silence::Kind kind);

    // --- Edits of sounds and keys --------------------------------------------------------------------------

    // Every built-in sound (with its duration once loaded), then the user's sounds.
    std::vector<SoundItem> allSounds() const;
    // "none" gives the item "Silent"; else the user sound, else the built-in with that id; else nothing.
    std::optional<SoundItem> sound(const std::string &id) const;
    // The waveform peaks of a loaded sound (0 to 1); empty when the sound is not loaded.
    std::vector<float> peaks(const std::string &soundID) const;
    // Plays one key-down take of the sound at max(master volume, 0.4), rate 1, centred. Nothing when the
    // sound is not loaded.
    void preview(const std::string &soundID);
    // Imports an audio file as a user sound. Throws the library's error (what() is for the user).
    SoundItem importSound(const std::filesystem::path &path);
    // Imports a finished recording as "Recording N" and removes its file. Throws like importSound; the file
    // stays where it is then.
    SoundItem addRecording(const std::filesystem::path &path);
    // A new microphone recorder on the model's timers and the program's microphone, for one sound picker.
    // It must not outlive the model.
    std::unique_ptr<Recorder> makeRecorder();
    void renameSound(const std::string &id, const std::string &name);
    // Removes the sound's file, the sound, and every key assignment and trigger that plays it. When it is the
    // paint brush's sound, the brush goes back to its default sound, so painting never assigns a deleted id.
    void deleteUserSound(const SoundItem &item);
    // Adds a share pack's sounds and profile and makes the profile active. Throws with the one message for
    // an unreadable pack; the document is untouched then.
    void importPack(const std::filesystem::path &path);
    // Writes the active profile with the user sounds it uses as a share pack. False when it failed (such a
    // failure is not shown).
    bool exportPack(const std::filesystem::path &path) const;

    // --- Long work off the main thread ---------------------------------------------------------------------

    // The same imports and exports on the model's worker, one task after another in the order asked, so the
    // window never waits for a decode, a copy or a write. Each returns the task's number at once; the
    // document edits happen on the main thread through commitEdit as each file lands, and the result comes
    // by signal (importProgress after each file, then importFinished; exportFinished). The model lands every
    // task once whoever is still listening, so a view that is closed meanwhile only misses the signal; work
    // done when the model goes is landed (and saved) by its destructor, work not started is dropped.

    // Imports the files in order: sounds and recordings as importSound() and addRecording() do (a
    // recording's take is removed either way, and it is named "Recording N" as it lands), packs as
    // importPack() does (named uniquely among the profiles as it lands, made active). A failure of one file
    // does not stop the others.
    int importFilesAsync(std::vector<ImportRequest> files);
    // Writes the active profile of now, with the user sounds it uses, as a share pack.
    int exportPackAsync(const std::filesystem::path &path);
    // Writes the document of now as exportBackup() does; a failure is logged.
    int exportBackupAsync(const QString &path);
    // Whether a task is running or waiting on the worker; workingChanged() follows each change.
    bool isWorking() const { return tasksRunning_ > 0; }

    // The key labels of the active profile that play `soundID`; ["Base sound"] when it is the base sound.
    std::vector<std::string> keysUsing(const std::string &soundID) const;
    void assign(const std::string &soundID, const KeySet &codes);
    void resetKeys(const KeySet &codes);
    void editAssignments(const KeySet &codes, const std::function<void(KeyAssignment &)> &change);
    void setBaseSound(const std::string &soundID);
    void advanceCoach(int step);
    // Hides the coach card for good.
    void dismissCoach();

    // --- Edits of profiles, triggers, rules and settings ---------------------------------------------------

    void setActiveProfile(const Uuid &id);
    void addProfile(const std::string &name);
    void duplicateProfile(const Uuid &id);
    void renameProfile(const Uuid &id, const std::string &name);
    void setProfileColor(const Uuid &id, ProfileColor color);
    void deleteProfile(const Uuid &id);
    Uuid addTrigger(Trigger::Kind kind, const std::string &soundID);
    void deleteTrigger(const Uuid &id);
    // The first trigger with the id, or null. Good until the next edit of the document.
    const Trigger *trigger(const Uuid &id) const;
    // The edits of one trigger's fields. Each changes the first trigger with the id (a document edited by hand
    // may hold two) and then saves and pushes, also when no trigger has the id (it was deleted meanwhile).
    void setTriggerEnabled(const Uuid &id, bool on);
    void setTriggerKind(const Uuid &id, Trigger::Kind kind);
    // Makes it a word trigger on what was typed, as word triggers store it: lower-cased, only its letters and
    // numbers kept. Typing that keeps nothing changes nothing and saves nothing (the trigger keeps its word).
    void setTriggerWord(const Uuid &id, const std::string &typed);
    void setTriggerSound(const Uuid &id, const std::string &soundID);
    // Restricts the trigger to one more application: appended at the end unless the trigger holds it already.
    void addTriggerApp(const Uuid &id, const std::string &bundleID);
    // Removes every occurrence of the application, keeping the others in order.
    void removeTriggerApp(const Uuid &id, const std::string &bundleID);
    // Lets the trigger play in every application again (an empty list).
    void allowTriggerInEveryApp(const Uuid &id);
    void setRule(const std::string &bundleID, const std::string &name, std::optional<Uuid> profileID);
    void removeRule(const std::string &bundleID);
    // A new rule that silences the application, unless it has a rule already, which then stays exactly as it
    // is. Returns whether a rule was added.
    bool addRule(const std::string &bundleID, const std::string &name);
    void completeOnboarding();
    // Turns sounds off when they are on and on when they are off. Shows no notice (the hotkey adds its own).
    void toggleSounds();
    // The tip banners the user dismissed, by id ("apps", "sounds", "triggers"). Marking a tip that is seen
    // already changes nothing and saves nothing.
    bool isTipSeen(const std::string &id) const;
    void markTipSeen(const std::string &id);

    // Audio settings: stored, saved, pushed, then handed to the engine, which applies them on its own thread.
    void setMaxVoices(int count);
    void setLowLatency(bool on);
    void setOutputDevice(std::optional<std::string> uid);
    // Registers or unregisters the login item (the XDG autostart entry); not stored in the document. A
    // failure is logged. launchAtLoginChanged() follows either way, so the settings screen reads the status
    // again.
    void setLaunchAtLogin(bool on);
    // Whether the login item is registered now, read back from the system (a small file read).
    bool launchAtLogin() const;
    // The folder of the user's sound files, created with its parents when missing (a failure is ignored).
    std::filesystem::path soundsFolder() const;
    // The program's lanes off the main thread, for the screens' own slow work (drawing, opening links).
    BackgroundService &background() const { return *services_.background; }

    // The output devices last read from the system, in its order (empty until the first refresh, and without
    // a device service). refreshOutputDevices() asks for a fresh list and returns at once: the query runs off
    // the main thread, and outputDevicesChanged() follows when the list differs. From the first refresh on,
    // devices plugged in or removed refresh the list by themselves.
    const std::vector<AudioDevice> &outputDevices() const { return outputDevices_; }
    void refreshOutputDevices();

    // The update check: whether there is an update feed to check (the shell sets it from the update
    // component), and the request to check now, which the shell hands to that component.
    bool canCheckForUpdates() const { return canCheckForUpdates_; }
    void setCanCheckForUpdates(bool canCheck);
    // Emits updateCheckRequested() when an update check is possible; does nothing otherwise.
    void checkForUpdates();

    // The settings screen's two-way binding of one plain settings field: reading returns the field, writing
    // stores it through commitEdit (so it saves and pushes). No validation.
    template <typename T> T setting(T AppSettings::*field) const { return data_.settings.*field; }
    template <typename T> void setSetting(T AppSettings::*field, std::type_identity_t<T> value) {
        commitEdit([&](AppData &data) { data.settings.*field = std::move(value); }, settingsPart);
    }

    // The same as a value a control can hold: reads and writes one settings field through the model.
    template <typename T> struct SettingBinding {
        AppModel *model;
        T AppSettings::*field;
        T get() const { return model->setting(field); }
        void set(T value) const { model->setSetting(field, std::move(value)); }
    };
    template <typename T> SettingBinding<T> binding(T AppSettings::*field) { return {this, field}; }

private:
    // Debounced save: `data` is written 0.4 s from now unless another call replaces it. The snapshot is taken
    // when the write is due, so a burst of edits (typing in a field) copies the document once.
    void scheduleSave();
    // What follows every edit, whether or not it changed anything: the silence, the save, the push.
    void finishEdit();
    // Builds and installs a fresh runtime configuration: after every edit, and on every change of the live
    // state the configuration depends on (frontmost application, microphone, password field, clock tick).
    void pushRuntime();
    // The active profile for key edits: the one named by activeProfileID, or null.
    Profile *activeProfileForEdit(AppData &data) const;
    std::string uniqueProfileName(const std::string &name) const;
    // The edit path of one trigger: changes the first trigger with the id, signals it when it differs, then
    // finishEdit() as commitEdit does; saves and pushes also when none has it.
    void editTrigger(const Uuid &id, const std::function<void(Trigger &)> &change);

    // The long work's landings on the main thread (AppModelBackgroundWork.cpp).
    // Hands a landing from the worker to the main thread; callable on the worker only.
    using Deliver = std::function<void(std::function<void(AppModel &)>)>;
    // Runs `work` on the model's lane; it hands what must happen on the main thread to its Deliver, and may
    // end early once the queue is stopping (the model is going).
    void runOnWorker(std::function<void(const Deliver &, const WorkQueue &)> work);
    // Runs the landings the worker has delivered, in order.
    void landFinishedWork();
    // One file of an import: adds what came in (a pack's profile and sounds, or a sound) to the document.
    void landImport(int task, int total, ImportOutcome outcome, std::optional<Profile> packProfile,
                    std::vector<SoundItem> packSounds);
    void finishImport(int task);
    void finishExport(int task, bool succeeded, const QString &failure);
    int beginTask();
    void endTask();
    // Adds an imported sound to the document.
    void landSound(const SoundItem &item);
    // Adds an imported pack's sounds and its profile, named apart from the profiles there are now, and makes
    // the profile active.
    void landPack(Profile profile, std::vector<SoundItem> sounds);
    // "Recording N" for the next recording.
    std::string nextRecordingName() const;
    // At start: removes what imports stopped by a crash left in the sounds folder, and logs it. `documentRead`:
    // the document came from the file, or there was none (nothing set aside may name a sound file).
    void settleInterruptedImports(bool documentRead);
    // The landed imports' files are listed where they can no longer be taken for leftovers (the document on
    // disk, a backup): their imports are over.
    void keepLandedImports();

    // Reports from the router, on the main thread.
    void keyActivity(std::uint16_t code, bool isDown);
    void played(std::uint16_t code, const std::string &soundID);
    // Takes every key report the keyboard thread queued, in order.
    void takeKeyReports();
    // Reports the queue could not hold: every key is let go and the plays among them are counted.
    void keyReportsLost(std::uint32_t plays);
    void handle(Hotkey hotkey);
    void noteKeyWhileSilent();
    // The writer's outcome of one save, on the main thread: the first failure after a success (or the start)
    // emits saveFailed().
    void saveFinished(const std::optional<QString> &failure);
    // Reports from the watchers and the output sampling.
    void frontmostChanged(const std::string &bundleID, const std::string &name);
    void setMicInUse(bool inUse);
    void setSecureInput(bool on);
    void minuteTick();
    void checkMacOutput();
    void setPermissionGranted(bool granted);
    void setTapRunning(bool running);
    // Starts a new day's count when the stored day is not today.
    void rollOverPressDay();
    // A function, callable from any thread, that runs a task on the model on the main thread, in order with the
    // other reports, unless the model is gone by then.
    std::function<void(std::function<void(AppModel &)>)> mainThreadPoster();

    LiveState liveState() const;
    void restorePressCount();
    QString today() const;
    // Recomputes `silence` and signals when it differs from the last value.
    void refreshSilence();
    int minuteOfDay() const;

    template <typename T> bool assignField(T &field, T value) {
        if (field == value) {
            return false;
        }
        field = std::move(value);
        return true;
    }

    Services services_;

    AppData data_;
    AppSection section_ = AppSection::keyboard;
    KeySet selectedKeys_ = {KeyCodes::kSpace};
    EditTool tool_ = EditTool::select;
    std::string brushSoundID_ = kDefaultBrushSoundID;
    std::optional<SoundPickerTarget> soundPicker_;
    bool pickerStartsOnRecord_ = false;
    bool showOnboarding_ = false;
    KeySet pressedKeys_;
    std::optional<std::string> lastPlayedSoundID_;
    std::optional<std::uint16_t> lastPlayedKey_;
    std::int64_t pressesToday_ = 0;
    bool permissionGranted_ = false;
    bool tapRunning_ = false;
    std::string currentAppBundleID_;
    std::string currentAppName_;
    bool micInUse_ = false;
    bool secureInput_ = false;
    bool ownWindowFocused_ = false;
    bool shortcutRecording_ = false;
    bool saveFailing_ = false; // the last save failed; the user was told
    bool macOutputSilent_ = false;
    QString keptBrokenDocument_;
    bool outputUnreachable_ = false; // the reason macOutputSilent_ holds, when no sound server answers
    std::vector<SwitchLogEntry> switchLog_;
    bool soundsReady_ = false;
    std::int64_t soundsVersion_ = 0;

    bool started_ = false;
    bool listening_ = false;
    // The effective profile last recorded for the switch log: outer absent = nothing recorded yet, inner
    // absent = the application was silenced by an app rule.
    std::optional<std::optional<Uuid>> lastEffectiveProfileID_;
    std::vector<QDateTime> silentPresses_; // key downs while inaudible, within the window
    std::optional<QDateTime> lastSilenceNotice_;
    std::unique_ptr<TimerFactory::Timer> permissionTimer_;
    std::unique_ptr<TimerFactory::Timer> outputTimer_;
    std::unique_ptr<TimerFactory::Timer> capsLockTimer_;
    // The reports of collaborators' threads (keyboard, save writer) on their way: dropped when the model goes.
    std::unique_ptr<Landings> reports_;
    std::vector<AudioDevice> outputDevices_;
    std::unique_ptr<OutputDeviceList> deviceList_; // made by the first refresh
    bool canCheckForUpdates_ = false;

    std::unique_ptr<RecordingBackend> noMicrophone_;         // stands in when no recording backend was given
    std::unique_ptr<KeyReports> keyReports_;                 // made by start()
    std::unique_ptr<TimerFactory::Wakeup> keyReportsWakeup_; // brings the main thread to them

    // The long work: the tasks not landed yet, the imports' outcomes so far, the lane's deliveries (landed by
    // the destructor, so that the last save keeps them).
    int lastTask_ = 0;
    int tasksRunning_ = 0;
    std::map<int, ImportResult> imports_;
    std::unique_ptr<Landings> work_;

    std::unique_ptr<TriggerWords> triggerWords_; // the lower-cased trigger words of the last push

    std::unique_ptr<TimerFactory::Timer> saveTimer_; // the pending debounced save
    bool savePending_ = false;                       // a save is due (written by the timer or a flush)
    std::vector<std::string> landedImports_;         // files of imports in the document but maybe not yet on disk
    std::optional<Silence> lastSilence_;             // the value silenceChanged() last reported
};

} // namespace tc
