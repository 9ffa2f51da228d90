#pragma once

// Builds an application model on fakes: a temporary data folder, a clock the test moves, a keyboard monitor
// the test presses keys on, system sources the test sets, and the real router and watchers. The notices the
// model asks for are recorded.

#include "app/AppModel.h"
#include "app/AtomicFile.h"
#include "app/DocumentStore.h"
#include "engine/SoundRouter.h"
#include "engine/SystemWatchers.h"
#include "support/FakeAppServices.h"
#include "support/FakeAudioDevices.h"
#include "support/FakeKeyboardMonitor.h"
#include "support/FakeSystemSources.h"
#include "support/FakeTime.h"
#include "support/InlineLanes.h"

#include <QByteArray>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tc::test {

struct Harness {
    // Documents written through the store, in the order they reached the disk.
    struct Writes {
        std::mutex mutex;
        std::vector<std::string> documents;
        // Called before each write with its index; a test may block here to make one write slow.
        std::function<void(std::size_t index)> beforeWrite;
        // While set, every write fails with this reason and the file is left alone (a full disk).
        std::optional<QString> failure;
    };

    Harness() : frontmost(std::make_shared<FakeFrontmostAppSource::State>()) {}
    ~Harness() { model.reset(); }

    QString folder() const { return folderOverride.isEmpty() ? dir.path() : folderOverride; }
    QString documentPath() const { return folder() + "/data.json"; }

    void writeDocument(const QByteArray &text) const {
        QFile file(documentPath());
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }
    QByteArray readDocument() const {
        QFile file(documentPath());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    std::size_t writeCount() {
        std::lock_guard guard(writes->mutex);
        return writes->documents.size();
    }

    // Makes the model: loads the document in the folder and restores the press count.
    AppModel &make() {
        auto shared = writes;
        documents = std::make_unique<DocumentStore>(folder(), [shared](const QString &path, const QByteArray &bytes) {
            std::size_t index = 0;
            {
                std::lock_guard guard(shared->mutex);
                index = shared->documents.size();
            }
            if (shared->beforeWrite) {
                shared->beforeWrite(index);
            }
            {
                std::lock_guard guard(shared->mutex);
                if (shared->failure) {
                    return std::optional<QString>(shared->failure);
                }
            }
            auto error = writeFileAtomically(path, bytes);
            std::lock_guard guard(shared->mutex);
            shared->documents.push_back(bytes.toStdString());
            return error;
        });
        auto keyboard = std::make_unique<FakeKeyboardMonitor>();
        keyboard->startSucceeds = monitorStarts;
        monitor = keyboard.get();
        AppModel::Services services;
        services.clock = &time;
        services.timers = &time;
        services.stats = &stats;
        services.documents = documents.get();
        services.loginItem = &login;
        services.audio = &audio;
        services.router = &router;
        services.library = catalog ? catalog : &library;
        services.output = &output;
        services.devices = &devices;
        services.monitor = std::move(keyboard);
        std::unique_ptr<FrontmostAppSource> front =
            makeFrontmost ? makeFrontmost() : std::make_unique<FakeFrontmostAppSource>(frontmost);
        services.watchers = std::make_unique<SystemWatchers>(time, std::move(front),
                                                             std::make_unique<FakeMicrophoneActivitySource>(mic),
                                                             std::make_unique<FakeSecureInputSource>(secure));
        services.background = &lanes;
        services.log = [this](const std::string &line) { logLines.push_back(line); };
        model = std::make_unique<AppModel>(std::move(services));
        QObject::connect(model.get(), &AppModel::noticeRequested, model.get(),
                         [this](const Notice &notice) { notices.push_back(notice); });
        return *model;
    }

    // Makes and starts the model, with the start-up's preload landed and the clock moved past its posted work.
    AppModel &started() {
        make();
        model->start();
        finishWork();
        return *model;
    }

    // The frontmost application changes (reported from the source's thread, delivered on the next turn).
    void activate(const std::string &bundleID, const std::string &name) {
        FakeFrontmostAppSource::activate(*frontmost, AppIdentity{bundleID, name});
        time.runPosted();
    }

    // Lets the model's lane finish every task (the preload too) and lands the results on this (the main)
    // thread, as the event loop would; false when the work did not end within `timeout` (a hang, not a slow
    // machine).
    bool finishWork(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const bool laneIdle = lanes.queue(BackgroundService::Lane::model).idle();
            time.runPosted();
            if (laneIdle && !model->isWorking()) {
                return true;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // The router's reports of one key down and up arrive on the main thread.
    void press(std::uint16_t code, std::uint64_t flags = 0, const std::string &characters = {}) {
        monitor->press(code, flags, characters);
        time.runPosted();
    }

    QTemporaryDir dir;
    QString folderOverride; // when set, the data folder in place of `dir` (a folder another process used)
    FakeTime time;
    FakeStatsStore stats;
    std::vector<Notice> notices; // every noticeRequested(), in order
    FakeLoginItem login;
    FakeAudioDevices devices;
    FakeAudioControl audio;
    FakeSoundCatalog library;
    SoundCatalog *catalog = nullptr; // when set, the model's sound library in place of `library`
    FakeOutputVolume output;
    SoundRouter router{library, audio};
    std::shared_ptr<FakeFrontmostAppSource::State> frontmost;
    std::shared_ptr<std::atomic<bool>> mic = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<bool>> secure = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<Writes> writes = std::make_shared<Writes>();
    bool monitorStarts = true;
    // Makes the frontmost-application source in place of the fake (a rig test's real one); set before make().
    std::function<std::unique_ptr<FrontmostAppSource>()> makeFrontmost;
    std::vector<std::string> logLines;
    // The model's lanes: its own, the microphone's, the devices' and the drawing lane are real threads; the desktop
    // lane (openers, application lists) runs in place. After what their tasks use, so it joins them first.
    InlineLanes lanes{time, {BackgroundService::Lane::desktop}};

    std::unique_ptr<DocumentStore> documents;
    FakeKeyboardMonitor *monitor = nullptr; // owned by the model
    std::unique_ptr<AppModel> model;
};

// The document's change signals a model sends while this lives, in order, as text: "profiles", "keys",
// "triggers", "appRules", "userSounds", "settings" or "data", followed by the ids carried, if any
// ("triggers 1F0C…", "appRules firefox,Zoom").
class DocumentSignals {
public:
    explicit DocumentSignals(AppModel &model) {
        const auto join = [](const std::vector<std::string> &ids) {
            std::string text;
            for (const auto &id : ids) {
                text += (text.empty() ? " " : ",") + id;
            }
            return text;
        };
        const auto uuids = [join](const std::vector<Uuid> &ids) {
            std::vector<std::string> texts;
            for (const auto &id : ids) {
                texts.push_back(id.toString());
            }
            return join(texts);
        };
        QObject::connect(&model, &AppModelSignals::profilesChanged, &context_,
                         [this, uuids](const std::vector<Uuid> &ids) { seen.push_back("profiles" + uuids(ids)); });
        QObject::connect(&model, &AppModelSignals::keysChanged, &context_, [this] { seen.push_back("keys"); });
        QObject::connect(&model, &AppModelSignals::triggersChanged, &context_,
                         [this, uuids](const std::vector<Uuid> &ids) { seen.push_back("triggers" + uuids(ids)); });
        QObject::connect(&model, &AppModelSignals::appRulesChanged, &context_,
                         [this, join](const std::vector<std::string> &ids) { seen.push_back("appRules" + join(ids)); });
        QObject::connect(
            &model, &AppModelSignals::userSoundsChanged, &context_,
            [this, join](const std::vector<std::string> &ids) { seen.push_back("userSounds" + join(ids)); });
        QObject::connect(&model, &AppModelSignals::settingsChanged, &context_, [this] { seen.push_back("settings"); });
    }

    std::vector<std::string> seen;

private:
    QObject context_;
};

// What one edit did: the document before it, the document's change signals, the documents written and
// whether a fresh runtime configuration reached the router.
struct EditOutcome {
    AppData before;
    std::vector<std::string> changes;
    std::size_t writes = 0;
    bool pushed = false;
};

// Runs `edit` on the harness's model once no save is pending, then writes what it left pending.
inline EditOutcome measureEdit(Harness &harness, const std::function<void(AppModel &)> &edit) {
    AppModel &model = *harness.model;
    model.flushPendingSave();
    EditOutcome outcome;
    outcome.before = model.data();
    const std::size_t writes = harness.writeCount();
    const auto config = harness.router.config();
    DocumentSignals changes(model);
    edit(model);
    outcome.changes = changes.seen;
    outcome.pushed = harness.router.config() != config;
    model.flushPendingSave();
    outcome.writes = harness.writeCount() - writes;
    return outcome;
}

// The model's profile with that name; throws when there is none.
inline const Profile &profileNamed(const AppModel &model, const std::string &name) {
    for (const auto &profile : model.data().profiles) {
        if (profile.name == name) {
            return profile;
        }
    }
    throw std::runtime_error("no profile " + name);
}

} // namespace tc::test
