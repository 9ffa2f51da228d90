#include "app/SoundCatalog.h"

#include "engine/PackIO.h"
#include "engine/SoundLibrary.h"

namespace tc {

SoundLibraryCatalog::SoundLibraryCatalog(SoundLibrary &library)
    : library_(library), packs_(std::make_unique<PackIO>(library)) {}

SoundLibraryCatalog::~SoundLibraryCatalog() = default;

LoadedSoundPtr SoundLibraryCatalog::loaded(const std::string &id) const {
    return library_.loaded(id);
}

const std::vector<SoundItem> &SoundLibraryCatalog::builtinItems() const {
    return SoundLibrary::builtinItems();
}

void SoundLibraryCatalog::preloadBuiltins() {
    library_.preloadBuiltins();
}

LoadedSoundPtr SoundLibraryCatalog::loadUserSound(const SoundItem &item) {
    return library_.loadUserSound(item);
}

SoundItem SoundLibraryCatalog::importFile(const std::filesystem::path &path, const std::optional<std::string> &name) {
    return library_.importFile(path, name);
}

void SoundLibraryCatalog::deleteFile(const SoundItem &item) {
    library_.deleteFile(item);
}

std::filesystem::path SoundLibraryCatalog::soundsFolder() const {
    return library_.soundsFolder();
}

SoundCatalog::ImportedPack SoundLibraryCatalog::importPack(const std::filesystem::path &path,
                                                           const std::set<std::string> &existingNames) {
    auto imported = packs_->importPack(path, existingNames);
    return {std::move(imported.profile), std::move(imported.sounds)};
}

void SoundLibraryCatalog::exportPack(const Profile &profile, const std::vector<SoundItem> &userSounds,
                                     const std::filesystem::path &path) {
    packs_->exportPack(profile, userSounds, path);
}

void SoundLibraryCatalog::importsLanded(const std::vector<std::string> &fileNames) {
    library_.finishImports(fileNames);
}

ImportJournal::Settled SoundLibraryCatalog::settleInterruptedImports(const std::set<std::string> &listed,
                                                                     bool documentRead) {
    auto *journal = library_.importJournal();
    return journal != nullptr ? journal->settle(listed, documentRead) : ImportJournal::Settled{};
}

} // namespace tc
