#include "SnapshotModel.h"

#include "app/AudioControl.h"
#include "app/BackgroundService.h"
#include "app/DocumentStore.h"
#include "app/LoginItem.h"
#include "app/QtTime.h"
#include "app/SoundCatalog.h"
#include "app/StatsStore.h"
#include "engine/AudioDecoder.h"
#include "engine/KeyHandlerSlot.h"
#include "engine/KeyboardMonitor.h"
#include "engine/LoadedSound.h"
#include "engine/OutputVolume.h"
#include "engine/SoundLibrary.h"
#include "engine/SoundRouter.h"
#include "engine/SystemWatchers.h"
#include "engine/WorkQueue.h"
#include "model/Uuid.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QVBoxLayout>
#include <chrono>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace tc::snapshot {

namespace {

class MemoryStats final : public StatsStore {
public:
    std::optional<QString> day() const override { return day_; }
    std::optional<std::int64_t> count() const override { return count_; }
    void setDay(const QString &day) override { day_ = day; }
    void setCount(std::int64_t count) override { count_ = count; }
    void sync() override {}

    std::optional<QString> day_;
    std::optional<std::int64_t> count_;
};

class FixedLoginItem final : public LoginItem {
public:
    std::optional<QString> setEnabled(bool on) override {
        enabled = on;
        return std::nullopt;
    }
    bool isEnabled() const override { return enabled; }
    bool enabled = false;
};

class FixedDevices final : public AudioDevices {
public:
    std::vector<uint32_t> allDeviceIDs() override {
        std::vector<uint32_t> ids;
        for (uint32_t i = 0; i < devices.size(); ++i) {
            ids.push_back(i + 1);
        }
        return ids;
    }
    std::optional<uint32_t> deviceID(const std::string &uid) override {
        for (uint32_t i = 0; i < devices.size(); ++i) {
            if (devices[i].uid == uid) {
                return i + 1;
            }
        }
        return std::nullopt;
    }
    std::vector<AudioDevice> outputDevices() override { return devices; }
    std::optional<AudioDevice> defaultOutput() override {
        return devices.empty() ? std::nullopt : std::optional<AudioDevice>(devices.front());
    }
    int addChangeHandler(ChangeHandler) override { return 1; }
    void removeChangeHandler(int) override {}
    std::vector<AudioDevice> devices; // set before the model asks
};

class SilentAudio final : public AudioControl {
public:
    void play(const AudioBufferPtr &, float, float, float) override {}
    void setVoiceCount(std::int64_t) override {}
    void setLowLatency(bool) override {}
    void setOutputDevice(std::optional<std::string>) override {}
    void start() override {}
    bool isOutputReachable() const override { return true; }
};

// The built-in catalogue with a short silent take for every built-in sound, so the router plays (and
// reports) any of them.
class BuiltinCatalog final : public SoundCatalog {
public:
    BuiltinCatalog() {
        buffer_->left.assign(480, 0.0f);
        buffer_->right.assign(480, 0.0f);
        int index = 0;
        for (SoundItem item : SoundLibrary::builtinItems()) {
            // Lengths as varied as the real sounds', the same in every picture.
            item.duration = 0.08 + 0.37 * static_cast<double>((index++ * 7) % 11) / 10.0;
            LoadedSound::Takes takes;
            takes[SoundSynth::Role::down].push_back(buffer_);
            sounds_[item.id] =
                std::make_shared<const LoadedSound>(item, std::move(takes), std::vector<float>(64, 0.3f));
        }
    }
    LoadedSoundPtr loaded(const std::string &id) const override {
        std::lock_guard guard(lock_); // imports add sounds on the model's worker
        const auto it = sounds_.find(id);
        return it == sounds_.end() ? nullptr : it->second;
    }
    const std::vector<SoundItem> &builtinItems() const override { return SoundLibrary::builtinItems(); }
    void preloadBuiltins() override {}
    LoadedSoundPtr loadUserSound(const SoundItem &) override { return nullptr; }
    // Any file becomes a sound of 0.64 s named after it, except one whose name begins with "broken", which the
    // library cannot read. Nothing is read or copied.
    SoundItem importFile(const std::filesystem::path &path, const std::optional<std::string> &name) override {
        if (path.stem().string().starts_with("broken")) {
            throw AudioDecodeError(AudioDecodeError::Kind::unreadable);
        }
        SoundItem item{"user." + Uuid::random().toString(), name.value_or(path.stem().string()), SoundCategory::mine,
                       "imported" + path.extension().string(), 0.64};
        LoadedSound::Takes takes;
        takes[SoundSynth::Role::down].push_back(buffer_);
        std::lock_guard guard(lock_);
        sounds_[item.id] = std::make_shared<const LoadedSound>(item, std::move(takes), std::vector<float>(64, 0.3f));
        return item;
    }
    void deleteFile(const SoundItem &) override {}
    std::filesystem::path soundsFolder() const override { return {}; }
    // A pack whose name begins with "broken" cannot be read; any other is a profile named after the file, with no
    // keys of its own. Nothing is read.
    ImportedPack importPack(const std::filesystem::path &path, const std::set<std::string> &) override {
        if (path.stem().string().starts_with("broken")) {
            throw std::runtime_error("This .tapchime file couldn't be read.");
        }
        ImportedPack pack;
        pack.profile.id = Uuid::random();
        pack.profile.name = path.stem().string();
        pack.profile.baseSoundID = "synth.blip";
        return pack;
    }
    void exportPack(const Profile &, const std::vector<SoundItem> &, const std::filesystem::path &) override {
        throw std::runtime_error("Exporting is not part of the pictures.");
    }

private:
    std::shared_ptr<AudioBuffer> buffer_ = std::make_shared<AudioBuffer>();
    mutable std::mutex lock_;
    std::map<std::string, LoadedSoundPtr> sounds_;
};

class FixedOutput final : public OutputVolume {
public:
    explicit FixedOutput(bool silent) : silent_(silent) {}
    bool isSilent() const override { return silent_; }

private:
    bool silent_;
};

class ScriptedKeyboard final : public KeyboardMonitor {
public:
    explicit ScriptedKeyboard(bool starts) : starts_(starts) {}
    void setHandler(Handler handler) override { slot_.set(std::move(handler)); }
    bool start() override {
        running_ = running_ || starts_;
        return running_;
    }
    bool isRunning() const override { return running_; }
    void send(const KeyEvent &event) { slot_.dispatch(event); }

private:
    KeyHandlerSlot slot_;
    bool starts_;
    bool running_ = false;
};

// Reports one application in front at start, and any the pictures bring to the front later, each from a
// thread of its own as a real source does.
class FixedFrontmost final : public FrontmostAppSource {
public:
    explicit FixedFrontmost(AppIdentity app) : app_(std::move(app)) {}
    void start(Handler handler) override {
        handler_ = std::move(handler);
        if (!app_.bundleId.empty()) {
            activate(app_);
        }
    }
    void activate(const AppIdentity &app) {
        if (handler_) {
            std::thread([&] { handler_(app); }).join();
        }
    }

private:
    AppIdentity app_;
    Handler handler_;
};

class FixedMicrophone final : public MicrophoneActivitySource {
public:
    explicit FixedMicrophone(bool inUse) : inUse_(inUse) {}
    bool microphoneInUse() const override { return inUse_; }

private:
    bool inUse_;
};

class FixedSecureInput final : public SecureInputSource {
public:
    explicit FixedSecureInput(bool on) : on_(on) {}
    bool secureInputOn() const override { return on_; }

private:
    bool on_;
};

// The system clock, or a moment the pictures set.
class PictureClock final : public Clock {
public:
    QDateTime now() const override { return fixed_.isValid() ? fixed_ : QDateTime::currentDateTime(); }
    void set(const QDateTime &time) { fixed_ = time; }

private:
    QDateTime fixed_;
};

} // namespace

struct SnapshotModel::Parts {
    QTemporaryDir folder;
    PictureClock clock;
    QtTimerFactory timers;
    MemoryStats stats;
    std::unique_ptr<DocumentStore> documents;
    FixedLoginItem login;
    FixedDevices devices;
    SilentAudio audio;
    BuiltinCatalog library;
    std::unique_ptr<FixedOutput> output;
    std::unique_ptr<SoundRouter> router;
    ScriptedKeyboard *keyboard = nullptr;
    FixedFrontmost *frontmost = nullptr;
    BackgroundService background{timers};
    std::unique_ptr<AppModel> model;
};

SnapshotModel::SnapshotModel(Options options) : parts_(std::make_unique<Parts>()) {
    Parts &p = *parts_;
    p.documents = std::make_unique<DocumentStore>(p.folder.path());
    p.output = std::make_unique<FixedOutput>(options.outputSilent);
    p.router = std::make_unique<SoundRouter>(p.library, p.audio);
    p.stats.day_ = p.clock.now().date().toString(QStringLiteral("yyyy-MM-dd"));
    p.stats.count_ = options.pressesToday;
    p.login.enabled = options.launchAtLogin;
    p.devices.devices = options.outputDevices;

    auto keyboard = std::make_unique<ScriptedKeyboard>(options.keyboardAccess);
    p.keyboard = keyboard.get();
    AppModel::Services services;
    services.clock = &p.clock;
    services.timers = &p.timers;
    services.stats = &p.stats;
    services.documents = p.documents.get();
    services.loginItem = &p.login;
    services.audio = &p.audio;
    services.router = p.router.get();
    services.library = &p.library;
    services.output = p.output.get();
    services.devices = &p.devices;
    services.monitor = std::move(keyboard);
    auto frontmost = std::make_unique<FixedFrontmost>(options.frontmost);
    p.frontmost = frontmost.get();
    services.watchers = std::make_unique<SystemWatchers>(p.timers, std::move(frontmost),
                                                         std::make_unique<FixedMicrophone>(options.micInUse),
                                                         std::make_unique<FixedSecureInput>(options.secureInput));
    services.background = &p.background;
    services.log = [](const std::string &) {};
    p.model = std::make_unique<AppModel>(std::move(services));
    p.model->start();
    // The fresh document asks for the first-run sheet, which is pictured on its own. Over a main window it
    // would show that window as a window of its own; taken into a picture afterwards, the window is hidden,
    // drops its page and makes a new one, without the state a picture set on the first.
    p.model->setShowOnboarding(false);
    // The preload lands before any picture is taken.
    while (!p.background.queue(BackgroundService::Lane::model).idle()) {
        QThread::msleep(1);
    }
    settle();
}

SnapshotModel::~SnapshotModel() {
    Parts &p = *parts_;
    p.model.reset();
    p.documents->waitForWrites(std::chrono::seconds(5));
}

AppModel &SnapshotModel::model() {
    return *parts_->model;
}

void SnapshotModel::activate(const AppIdentity &app) {
    parts_->frontmost->activate(app);
    settle();
}

void SnapshotModel::setNow(const QDateTime &time) {
    parts_->clock.set(time);
}

void SnapshotModel::press(std::uint16_t code, const std::string &characters) {
    parts_->keyboard->send(KeyEvent{code, true, false, 0, characters});
    parts_->keyboard->send(KeyEvent{code, false, false, 0, characters});
    settle();
}

void SnapshotModel::hold(std::uint16_t code) {
    parts_->keyboard->send(KeyEvent{code, true, false, 0, {}});
    settle();
}

void SnapshotModel::settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
    }
}

void SnapshotModel::finishWork() {
    QElapsedTimer waited;
    waited.start();
    while (model().isWorking() && waited.elapsed() < 10000) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    settle();
}

void SnapshotModel::waitForPoll() {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < static_cast<qint64>(SystemWatchers::kPollInterval * 1000) + 200) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
}

void SnapshotModel::loadOutputDevices() {
    AppModel &m = model();
    m.refreshOutputDevices();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (m.outputDevices() != parts_->devices.devices && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

ModelHost::ModelHost(std::unique_ptr<SnapshotModel> model, const std::function<QWidget *(SnapshotModel &)> &makeView)
    : model_(std::move(model)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeView(*model_));
}

ModelHost::~ModelHost() {
    // The views read the model until they are gone.
    qDeleteAll(findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly));
}

} // namespace tc::snapshot
