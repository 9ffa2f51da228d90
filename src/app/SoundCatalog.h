#pragma once

#include "engine/ImportJournal.h"
#include "engine/SoundLookup.h"
#include "model/Profile.h"
#include "model/SoundItem.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tc {

class PackIO;
class SoundLibrary;

// What the application model does with the sound library: list the built-in sounds, fill the cache at
// start-up, import and delete user sounds, read and write share packs, and look sounds up. The program
// passes the real library (SoundLibraryCatalog); tests pass a fake.
//
// Thread: preloadBuiltins() and loadUserSound() run on a background thread; importFile(), importPack(),
// exportPack() and importsLanded() on the model's worker (the synchronous edits call the first three on the main
// thread); loaded() on any thread; the rest on the main thread. Any of them may run at the same time as the
// others: implementations guard their cache themselves.
class SoundCatalog : public SoundLookup {
public:
    // The built-in sounds in listing order (synthesized first, then the recordings), duration 0.
    virtual const std::vector<SoundItem> &builtinItems() const = 0;
    // Caches every built-in sound not cached yet.
    virtual void preloadBuiltins() = 0;
    // Decodes a user sound's file and caches it; null when it has no file or does not decode.
    virtual LoadedSoundPtr loadUserSound(const SoundItem &item) = 0;
    // Imports an audio file as a new user sound (copied into the sounds folder, cached) named `name`, else
    // after the file. Throws SoundsFolderError when the sounds folder cannot take the file (the model words it),
    // else an exception whose what() is the message for the user; nothing is kept then.
    virtual SoundItem importFile(const std::filesystem::path &path, const std::optional<std::string> &name) = 0;
    // Removes a user sound's file and its cache entry.
    virtual void deleteFile(const SoundItem &item) = 0;
    virtual std::filesystem::path soundsFolder() const = 0;

    // A share pack's profile (new id, name unique among `existingNames`) and its sounds, already installed
    // as user sounds. Throws SoundsFolderError when the pack was read and its sounds could not be written, else
    // an exception for a pack that cannot be read (the user reads one fixed message for it).
    struct ImportedPack {
        Profile profile;
        std::vector<SoundItem> sounds;
    };
    virtual ImportedPack importPack(const std::filesystem::path &path, const std::set<std::string> &existingNames) = 0;
    // Writes the profile with the user sounds it uses as a share pack. Throws on failure.
    virtual void exportPack(const Profile &profile, const std::vector<SoundItem> &userSounds,
                            const std::filesystem::path &path) = 0;

    // An import's file stays noted as under way until the document on disk lists its sound (see ImportJournal):
    // the document on disk, or a backup, now lists these files. Writes to the disk: the model calls it on its
    // worker.
    virtual void importsLanded(const std::vector<std::string> & /*fileNames*/) {}
    // At start, before any import: removes what imports stopped by a crash left in the sounds folder.
    // `listed`: the files the document names; `documentRead`: whether nothing else may name them (see
    // ImportJournal::settle).
    virtual ImportJournal::Settled settleInterruptedImports(const std::set<std::string> & /*listed*/,
                                                            bool /*documentRead*/) {
        return {};
    }
};

// The program's sound library and share-pack reader/writer behind SoundCatalog. The library must outlive it.
class SoundLibraryCatalog final : public SoundCatalog {
public:
    explicit SoundLibraryCatalog(SoundLibrary &library);
    ~SoundLibraryCatalog() override;

    LoadedSoundPtr loaded(const std::string &id) const override;
    const std::vector<SoundItem> &builtinItems() const override;
    void preloadBuiltins() override;
    LoadedSoundPtr loadUserSound(const SoundItem &item) override;
    SoundItem importFile(const std::filesystem::path &path, const std::optional<std::string> &name) override;
    void deleteFile(const SoundItem &item) override;
    std::filesystem::path soundsFolder() const override;
    ImportedPack importPack(const std::filesystem::path &path, const std::set<std::string> &existingNames) override;
    void exportPack(const Profile &profile, const std::vector<SoundItem> &userSounds,
                    const std::filesystem::path &path) override;
    void importsLanded(const std::vector<std::string> &fileNames) override;
    ImportJournal::Settled settleInterruptedImports(const std::set<std::string> &listed, bool documentRead) override;

private:
    SoundLibrary &library_;
    std::unique_ptr<PackIO> packs_;
};

} // namespace tc
