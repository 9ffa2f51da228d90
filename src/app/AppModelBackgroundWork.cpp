// The long work off the main thread: imports of sounds, recordings and share packs, share-pack and backup
// exports. The worker does the slow part (decode, trim, normalise, copy, write); what changes the document
// lands on the main thread, through the same edit path as every other change.

#include "app/AppModel.h"

#include "app/BackgroundService.h"
#include "app/DocumentStore.h"
#include "app/FailureText.h"
#include "app/SoundCatalog.h"
#include "engine/Landings.h"
#include "engine/PackIO.h"
#include "engine/WorkQueue.h"

#include <QFile>

#include <algorithm>
#include <exception>
#include <malloc.h>
#include <system_error>

namespace tc {

namespace {

// The name a take is imported under; it gets its number ("Recording 3") as it lands.
constexpr const char *kRecordingName = "Recording";

} // namespace

int AppModel::beginTask() {
    if (++tasksRunning_ == 1) {
        emit workingChanged();
    }
    return ++lastTask_;
}

void AppModel::endTask() {
    if (--tasksRunning_ == 0) {
        emit workingChanged();
    }
}

void AppModel::runOnWorker(std::function<void(const Deliver &, const WorkQueue &)> work) {
    // The landings reach the model only while it lives: it owns them.
    Deliver deliver = [to = work_->deliverer(), model = this](std::function<void(AppModel &)> landing) {
        to([model, landing = std::move(landing)] { landing(*model); });
    };
    auto &lanes = *services_.background;
    lanes.post(BackgroundService::Lane::model, [work = std::move(work), deliver = std::move(deliver), &lanes] {
        work(deliver, lanes.queue(BackgroundService::Lane::model));
    });
}

void AppModel::landFinishedWork() {
    work_->landNow();
}

// ---- imports -------------------------------------------------------------------------------------------

int AppModel::importFilesAsync(std::vector<ImportRequest> files) {
    const int task = beginTask();
    const int total = static_cast<int>(files.size());
    SoundCatalog *library = services_.library;
    runOnWorker([task, total, files = std::move(files), library](const Deliver &deliver, const WorkQueue &queue) {
        for (const ImportRequest &request : files) {
            if (queue.stopping()) {
                return; // the model is going: the files not started stay where they are
            }
            ImportOutcome outcome{request.path, request.kind, std::nullopt, std::nullopt, std::nullopt};
            std::optional<Profile> profile;
            std::vector<SoundItem> sounds;
            try {
                switch (request.kind) {
                case ImportKind::sound:
                    outcome.sound = library->importFile(request.path, std::nullopt);
                    break;
                case ImportKind::recording:
                    outcome.sound = library->importFile(request.path, kRecordingName);
                    break;
                case ImportKind::pack: {
                    // Named as it lands, among the profiles of then: the pack's own name for now.
                    auto imported = library->importPack(request.path, {});
                    profile = std::move(imported.profile);
                    sounds = std::move(imported.sounds);
                    // A pack near its bound went through this thread's heap a sound at a time: hand the heap it
                    // freed back to the system rather than keep a sound's worth of it resident.
                    malloc_trim(0);
                    break;
                }
                }
            } catch (const SoundsFolderError &error) {
                // The file was fine; the sounds folder could not take it.
                const auto thing = request.kind == ImportKind::pack ? ImportedThing::pack : ImportedThing::sound;
                outcome.error = importFailureMessage(error.kind(), thing, QFile::decodeName(error.folder().c_str()),
                                                     QString::fromStdString(error.what()))
                                    .toStdString();
            } catch (const std::exception &error) {
                // Whatever else went wrong with a pack, the user hears one sentence about the file.
                outcome.error = request.kind == ImportKind::pack ? std::string(PackError::kMessage) : error.what();
            }
            if (request.kind == ImportKind::recording) {
                // The take was copied into the sounds folder, or it is of no use: either way it goes.
                std::error_code ignored;
                std::filesystem::remove(request.path, ignored);
            }
            deliver([task, total, outcome = std::move(outcome), profile = std::move(profile),
                     sounds = std::move(sounds)](AppModel &model) mutable {
                model.landImport(task, total, std::move(outcome), std::move(profile), std::move(sounds));
            });
        }
        deliver([task](AppModel &model) { model.finishImport(task); });
    });
    return task;
}

void AppModel::landImport(int task, int total, ImportOutcome outcome, std::optional<Profile> packProfile,
                          std::vector<SoundItem> packSounds) {
    if (outcome.succeeded()) {
        if (packProfile) {
            // Named among the profiles as they are now: others may have come or gone since the task began.
            outcome.profileID = packProfile->id;
            landPack(std::move(*packProfile), std::move(packSounds));
        } else if (outcome.sound) {
            if (outcome.kind == ImportKind::recording) {
                outcome.sound->name = nextRecordingName();
            }
            landSound(*outcome.sound);
        }
    }
    auto &result = imports_[task];
    result.task = task;
    result.files.push_back(std::move(outcome));
    emit importProgress(task, static_cast<int>(result.files.size()), total);
}

void AppModel::finishImport(int task) {
    ImportResult result;
    if (const auto found = imports_.find(task); found != imports_.end()) {
        result = std::move(found->second);
        imports_.erase(found);
    }
    result.task = task;
    endTask();
    emit importFinished(result);
}

// ---- exports -------------------------------------------------------------------------------------------

int AppModel::exportPackAsync(const std::filesystem::path &path) {
    const int task = beginTask();
    SoundCatalog *library = services_.library;
    runOnWorker([task, path, profile = data_.activeProfile(), sounds = data_.userSounds,
                 library](const Deliver &deliver, const WorkQueue &) {
        bool succeeded = true;
        try {
            library->exportPack(profile, sounds, path);
        } catch (const std::exception &) {
            succeeded = false; // such a failure is not shown
        }
        deliver([task, succeeded](AppModel &model) { model.finishExport(task, succeeded, {}); });
    });
    return task;
}

int AppModel::exportBackupAsync(const QString &path) {
    keepLandedImports(); // the backup names them
    const int task = beginTask();
    runOnWorker([task, path, data = data_](const Deliver &deliver, const WorkQueue &) {
        std::optional<std::string> failure;
        try {
            DocumentStore::exportBackup(data, path);
        } catch (const BackupError &error) {
            failure = error.what();
        }
        deliver([task, failure](AppModel &model) {
            if (failure) {
                model.services_.log("Tapchime: backup export failed: " + *failure);
            }
            model.finishExport(task, !failure, failure ? QString::fromStdString(*failure) : QString());
        });
    });
    return task;
}

void AppModel::finishExport(int task, bool succeeded, const QString &failure) {
    endTask();
    emit exportFinished(task, succeeded, failure);
}

} // namespace tc
