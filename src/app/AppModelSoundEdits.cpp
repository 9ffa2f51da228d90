// The sound catalogue as the views see it and the edit operations on the user's own sounds.

#include "app/AppModel.h"

#include "app/AudioControl.h"
#include "app/BackgroundService.h"
#include "app/SoundCatalog.h"
#include "engine/LoadedSound.h"
#include "engine/Recorder.h"
#include "model/Levels.h"
#include "model/Names.h"

#include <algorithm>
#include <system_error>

namespace tc {

namespace {

constexpr float kMinPreviewVolume = 0.4f; // previews stay audible at a low master volume

} // namespace

std::vector<SoundItem> AppModel::allSounds() const {
    const auto &library = *services_.library;
    std::vector<SoundItem> items;
    items.reserve(library.builtinItems().size() + data_.userSounds.size());
    for (auto item : library.builtinItems()) {
        const auto loaded = library.loaded(item.id);
        item.duration = loaded ? loaded->item().duration : 0.0;
        items.push_back(std::move(item));
    }
    items.insert(items.end(), data_.userSounds.begin(), data_.userSounds.end());
    return items;
}

std::optional<SoundItem> AppModel::sound(const std::string &id) const {
    if (id == "none") {
        return SoundItem{"none", "Silent", SoundCategory::mechanical, std::nullopt, 0.0};
    }
    for (const auto &item : data_.userSounds) {
        if (item.id == id) {
            return item;
        }
    }
    // The built-in one as allSounds() lists it, without copying the whole catalogue for one item.
    const auto &library = *services_.library;
    for (const auto &builtin : library.builtinItems()) {
        if (builtin.id == id) {
            SoundItem item = builtin;
            const auto loaded = library.loaded(item.id);
            item.duration = loaded ? loaded->item().duration : 0.0;
            return item;
        }
    }
    return std::nullopt;
}

std::vector<float> AppModel::peaks(const std::string &soundID) const {
    const auto loaded = services_.library->loaded(soundID);
    return loaded ? loaded->peaks() : std::vector<float>();
}

void AppModel::preview(const std::string &soundID) {
    const auto loaded = services_.library->loaded(soundID);
    if (!loaded) {
        return;
    }
    if (auto buffer = loaded->buffer(SoundSynth::Role::down)) {
        const auto volume =
            std::max(static_cast<float>(playableVolume(data_.settings.masterVolume)), kMinPreviewVolume);
        services_.audio->play(buffer, volume, 1.0f, 0.0f);
    }
}

SoundItem AppModel::importSound(const std::filesystem::path &path) {
    auto item = services_.library->importFile(path, std::nullopt);
    landSound(item);
    return item;
}

SoundItem AppModel::addRecording(const std::filesystem::path &path) {
    auto item = services_.library->importFile(path, nextRecordingName());
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    landSound(item);
    return item;
}

void AppModel::landSound(const SoundItem &item) {
    if (item.fileName) {
        landedImports_.push_back(*item.fileName);
    }
    commitEdit([&](AppData &data) { data.userSounds.push_back(item); }, userSoundsPart);
    ++soundsVersion_;
    emit soundsVersionChanged();
}

std::string AppModel::nextRecordingName() const {
    const auto recordings = std::count_if(data_.userSounds.begin(), data_.userSounds.end(),
                                          [](const SoundItem &item) { return item.name.starts_with("Recording"); });
    return "Recording " + std::to_string(recordings + 1);
}

std::unique_ptr<Recorder> AppModel::makeRecorder() {
    // Opening the microphone's stream may wait for the sound server: it runs on a lane of its own, so neither
    // the window nor a take waits behind an import on the model's lane.
    return std::make_unique<Recorder>(*services_.timers, *services_.recording,
                                      [lanes = services_.background](std::function<void()> start) {
                                          lanes->post(BackgroundService::Lane::microphone, std::move(start));
                                      });
}

void AppModel::renameSound(const std::string &id, const std::string &name) {
    auto trimmed = trimmedName(name);
    if (trimmed.empty()) {
        return;
    }
    commitEdit(
        [&](AppData &data) {
            for (auto &item : data.userSounds) {
                if (item.id == id) {
                    item.name = std::move(trimmed);
                    return;
                }
            }
        },
        userSoundsPart);
}

void AppModel::deleteUserSound(const SoundItem &item) {
    services_.library->deleteFile(item);
    commitEdit(
        [&](AppData &data) {
            std::erase_if(data.userSounds, [&](const SoundItem &sound) { return sound.id == item.id; });
            for (auto &profile : data.profiles) {
                std::erase_if(profile.keys, [&](const auto &entry) { return entry.second.soundID == item.id; });
            }
            std::erase_if(data.triggers, [&](const Trigger &trigger) { return trigger.soundID == item.id; });
        },
        userSoundsPart | profilesPart | triggersPart);
    if (brushSoundID_ == item.id) {
        setBrushSoundID(kDefaultBrushSoundID);
    }
    ++soundsVersion_;
    emit soundsVersionChanged();
}

void AppModel::importPack(const std::filesystem::path &path) {
    auto imported = services_.library->importPack(path, {});
    landPack(std::move(imported.profile), std::move(imported.sounds));
}

void AppModel::landPack(Profile profile, std::vector<SoundItem> sounds) {
    profile.name = uniqueProfileName(profile.name);
    for (const auto &item : sounds) {
        if (item.fileName) {
            landedImports_.push_back(*item.fileName);
        }
    }
    commitEdit(
        [&](AppData &data) {
            data.userSounds.insert(data.userSounds.end(), sounds.begin(), sounds.end());
            data.activeProfileID = profile.id;
            data.profiles.push_back(std::move(profile));
        },
        userSoundsPart | profilesPart);
    ++soundsVersion_;
    emit soundsVersionChanged();
}

bool AppModel::exportPack(const std::filesystem::path &path) const {
    try {
        services_.library->exportPack(data_.activeProfile(), data_.userSounds, path);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace tc
