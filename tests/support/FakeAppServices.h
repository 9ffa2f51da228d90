#pragma once

// Header-only fakes of the application model's collaborators (they need Qt, and only the application tests
// link Qt).

#include "app/AudioControl.h"
#include "app/LoginItem.h"
#include "app/SoundCatalog.h"
#include "app/StatsStore.h"
#include "engine/LoadedSound.h"
#include "engine/SoundFileWriter.h"
#include "support/FakeSoundLookup.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tc::test {

class FakeStatsStore final : public StatsStore {
public:
    std::optional<QString> day() const override { return storedDay; }
    std::optional<std::int64_t> count() const override { return storedCount; }
    void setDay(const QString &value) override {
        storedDay = value;
        ++dayWrites;
    }
    void setCount(std::int64_t value) override {
        storedCount = value;
        ++countWrites;
    }
    void sync() override { ++syncs; }

    std::optional<QString> storedDay;
    std::optional<std::int64_t> storedCount;
    int dayWrites = 0;
    int countWrites = 0;
    int syncs = 0;
};

class FakeLoginItem final : public LoginItem {
public:
    std::optional<QString> setEnabled(bool on) override {
        calls.push_back(on);
        if (failure) {
            return failure;
        }
        enabled = on;
        return std::nullopt;
    }
    bool isEnabled() const override { return enabled; }

    bool enabled = false;
    std::optional<QString> failure; // answered by setEnabled when set
    std::vector<bool> calls;
};

// Records every request to the engine in order ("setVoiceCount(12)"), and reports the output as reachable
// while `reachable` is true.
class FakeAudioControl final : public AudioControl {
public:
    struct Play {
        AudioBufferPtr buffer;
        float volume = 0;
        float rate = 0;
        float pan = 0;
    };

    void play(const AudioBufferPtr &buffer, float volume, float rate, float pan) override {
        plays.push_back({buffer, volume, rate, pan});
    }
    void setVoiceCount(std::int64_t count) override { calls.push_back("setVoiceCount(" + std::to_string(count) + ")"); }
    void setLowLatency(bool on) override {
        calls.push_back("setLowLatency(" + std::string(on ? "true" : "false") + ")");
    }
    void setOutputDevice(std::optional<std::string> uid) override {
        calls.push_back("setOutputDevice(" + uid.value_or("default") + ")");
    }
    void start() override { calls.push_back("start"); }
    bool isOutputReachable() const override { return reachable; }

    std::vector<std::string> calls;
    std::vector<Play> plays;
    std::atomic<bool> reachable = true;
};

// A sound library over a fixed list of built-ins. preloadBuiltins() caches them all; importFile() makes a user
// sound from any path whose file name does not start with "bad", and throws for the others.
class FakeSoundCatalog final : public SoundCatalog {
public:
    FakeSoundCatalog() {
        builtins_ = {
            {"synth.cream", "Cream", SoundCategory::mechanical, std::nullopt, 0},
            {"synth.blue", "Blue", SoundCategory::mechanical, std::nullopt, 0},
            {"synth.meow", "Meow", SoundCategory::animals, std::nullopt, 0},
            {"synth.boing", "Boing", SoundCategory::memes, std::nullopt, 0},
            {"synth.coin", "Coin", SoundCategory::retro, std::nullopt, 0},
            {"rec.bell", "Bell", SoundCategory::everyday, std::nullopt, 0},
            {"rec.bark", "Bark", SoundCategory::animals, std::nullopt, 0},
        };
    }

    const std::vector<SoundItem> &builtinItems() const override { return builtins_; }
    void preloadBuiltins() override {
        ++preloads;
        for (const auto &item : builtins_) {
            lookup.addSound(item.id, item.category);
        }
    }
    LoadedSoundPtr loadUserSound(const SoundItem &item) override {
        std::lock_guard guard(mutex_);
        userLoads.push_back(item.id);
        if (!item.fileName) {
            return nullptr;
        }
        return lookup.addSound(item.id, item.category);
    }
    LoadedSoundPtr loaded(const std::string &id) const override { return lookup.loaded(id); }
    SoundItem importFile(const std::filesystem::path &path, const std::optional<std::string> &name) override {
        const auto stem = path.stem().string();
        if (importFailure) {
            throw std::runtime_error(*importFailure);
        }
        if (folderFailure) {
            throw *folderFailure;
        }
        if (stem.starts_with("bad")) {
            throw std::runtime_error("This file isn't an audio format Tapchime can read.");
        }
        SoundItem item;
        item.id = "user." + Uuid::random().toString();
        item.name = name.value_or(stem);
        item.category = SoundCategory::mine;
        item.fileName = item.id + path.extension().string();
        item.duration = 1.5;
        imports.push_back(item);
        lookup.addSound(item.id, item.category);
        return item;
    }
    void deleteFile(const SoundItem &item) override {
        deletes.push_back(item.id);
        lookup.remove(item.id);
    }
    std::filesystem::path soundsFolder() const override { return folder; }
    // A pack named "bad…" is unreadable; any other gives the profile "Shared" (made unique) with one sound.
    ImportedPack importPack(const std::filesystem::path &path, const std::set<std::string> &existingNames) override {
        if (path.stem().string().starts_with("bad")) {
            throw std::runtime_error("This .tapchime file couldn't be read.");
        }
        if (folderFailure) {
            throw *folderFailure;
        }
        ImportedPack pack;
        pack.sounds.push_back({"user." + Uuid::random().toString(), "Packed", SoundCategory::mine, "packed.m4a", 1.0});
        lookup.addSound(pack.sounds[0].id, SoundCategory::mine);
        pack.profile.id = Uuid::random();
        pack.profile.name = "Shared";
        for (int n = 2; existingNames.contains(pack.profile.name); ++n) {
            pack.profile.name = "Shared " + std::to_string(n);
        }
        pack.profile.baseSoundID = "none";
        pack.profile.keys["49"] = KeyAssignment{.soundID = pack.sounds[0].id};
        return pack;
    }
    void exportPack(const Profile &profile, const std::vector<SoundItem> &userSounds,
                    const std::filesystem::path &path) override {
        if (path.stem().string().starts_with("bad")) {
            throw std::runtime_error("cannot write");
        }
        exports.push_back({profile, userSounds});
    }

    void importsLanded(const std::vector<std::string> &fileNames) override {
        {
            std::lock_guard guard(mutex_);
            landed.insert(landed.end(), fileNames.begin(), fileNames.end());
            landedOn.push_back(std::this_thread::get_id());
        }
        landedChanged_.notify_all();
    }
    // Waits until importsLanded() has been told of `count` files in all; false after `timeout`.
    bool waitForLanded(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        std::unique_lock guard(mutex_);
        return landedChanged_.wait_for(guard, timeout, [&] { return landed.size() >= count; });
    }
    ImportJournal::Settled settleInterruptedImports(const std::set<std::string> &listed, bool documentRead) override {
        settles.emplace_back(listed, documentRead);
        return settled;
    }

    FakeSoundLookup lookup;
    std::optional<std::string> importFailure;       // every importFile() throws this while set
    std::optional<SoundsFolderError> folderFailure; // every importFile() and good importPack() throws this while set
    std::filesystem::path folder = "/nonexistent/Sounds";
    int preloads = 0;
    std::vector<std::string> userLoads;
    std::vector<SoundItem> imports;
    std::vector<std::string> deletes;
    std::vector<std::pair<Profile, std::vector<SoundItem>>> exports;
    std::vector<std::string> landed;                             // every importsLanded() file, in order
    std::vector<std::thread::id> landedOn;                       // the thread of every importsLanded()
    std::vector<std::pair<std::set<std::string>, bool>> settles; // every settleInterruptedImports()
    ImportJournal::Settled settled;                              // what settleInterruptedImports() reports

private:
    std::vector<SoundItem> builtins_;
    std::mutex mutex_;
    std::condition_variable landedChanged_;
};

} // namespace tc::test
