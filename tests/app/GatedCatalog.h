#pragma once

#include "app/SoundCatalog.h"
#include "support/FakeAppServices.h"

#include <condition_variable>
#include <mutex>

namespace tc::test {

// The fake library behind a gate: an import waits inside the library until the test opens the gate, so a
// test can see what the main thread does while a decode is under way.
class GatedCatalog final : public SoundCatalog {
public:
    explicit GatedCatalog(FakeSoundCatalog &inner) : inner_(inner) {}

    void open() {
        {
            std::lock_guard guard(lock_);
            open_ = true;
        }
        changed_.notify_all();
    }
    // Waits until an import is inside the library.
    void waitUntilEntered() {
        std::unique_lock guard(lock_);
        changed_.wait(guard, [this] { return entered_; });
    }

    SoundItem importFile(const std::filesystem::path &path, const std::optional<std::string> &name) override {
        {
            std::unique_lock guard(lock_);
            entered_ = true;
            changed_.notify_all();
            changed_.wait(guard, [this] { return open_; });
        }
        return inner_.importFile(path, name);
    }
    LoadedSoundPtr loaded(const std::string &id) const override { return inner_.loaded(id); }
    const std::vector<SoundItem> &builtinItems() const override { return inner_.builtinItems(); }
    void preloadBuiltins() override { inner_.preloadBuiltins(); }
    LoadedSoundPtr loadUserSound(const SoundItem &item) override { return inner_.loadUserSound(item); }
    void deleteFile(const SoundItem &item) override { inner_.deleteFile(item); }
    std::filesystem::path soundsFolder() const override { return inner_.soundsFolder(); }
    ImportedPack importPack(const std::filesystem::path &path, const std::set<std::string> &names) override {
        return inner_.importPack(path, names);
    }
    void exportPack(const Profile &profile, const std::vector<SoundItem> &sounds,
                    const std::filesystem::path &path) override {
        inner_.exportPack(profile, sounds, path);
    }

private:
    FakeSoundCatalog &inner_;
    std::mutex lock_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool open_ = false;
};

} // namespace tc::test
