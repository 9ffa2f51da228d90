#pragma once

#include "engine/SoundLibrary.h"
#include "model/Profile.h"
#include "model/SoundItem.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace tc {

// A share pack could not be imported. what() is the one sentence the program shows for every such pack;
// detail() says what was wrong, for logs and tests.
class PackError : public std::runtime_error {
public:
    static constexpr const char *kMessage = "This .tapchime file couldn't be read.";

    explicit PackError(std::string detail) : std::runtime_error(kMessage), detail_(std::move(detail)) {}
    const std::string &detail() const { return detail_; }

private:
    std::string detail_;
};

// Writes and reads share packs (".tapchime" files): one profile with the user's own sounds it uses. Built-in
// sounds never travel; a profile refers to them by id.
// Thread: any (the model runs both on its worker); both block for their file I/O, and calls may run at the
// same time as each other and as the library's other users. Uses the sound library's sounds folder and
// caches imported sounds in it.
class PackIO {
public:
    // The largest pack file read. Above the size of a pack of a few of the largest sounds.
    static constexpr std::uintmax_t kMaxPackBytes = 256u * 1024u * 1024u;
    // The most text a pack may add to the document: its profile as JSON and the names of its sounds. Far
    // above any profile of the keyboard's keys.
    static constexpr std::size_t kMaxProfileBytes = 1024u * 1024u;

    explicit PackIO(SoundLibrary &library) : library_(library) {}

    // Writes the profile with the sounds of `userSounds` it uses (usedSoundIDs) to `to`, atomically. A
    // used sound whose file cannot be read is left out with a log line. Throws EncodeError or
    // std::filesystem::filesystem_error.
    void exportPack(const Profile &profile, const std::vector<SoundItem> &userSounds,
                    const std::filesystem::path &to) const;

    struct Imported {
        Profile profile;               // new id, unique name, sound ids remapped
        std::vector<SoundItem> sounds; // the new user sounds, in pack order
    };

    // Installs the pack's sounds that its profile uses (usedSoundIDs; the last one packed under an id) as
    // new user sounds (new ids, new files in the sounds folder, loaded into the library) and returns the
    // profile to append, named uniquely among `existingNames`. Other packed sounds are ignored, so a pack
    // installs at most one sound per key of the keyboard and one base sound. The document is not touched.
    // Throws SoundsFolderError when a sound file cannot be written into the sounds folder, and PackError for any
    // other failure: nothing is written when the file is unreadable, too large or not a valid pack; when a sound
    // file cannot be written, or the library has no room for a sound's audio, the files, cache entries and
    // journal notes this import made are removed again.
    Imported importPack(const std::filesystem::path &from, const std::set<std::string> &existingNames) const;

    // The sounds a profile plays: its base sound and the sound of every key of the keyboard (KeyLayout)
    // that has an assignment. Sounds reached through random-within-category are not included, nor those
    // of assignments under texts that name no key of the keyboard.
    static std::set<std::string> usedSoundIDs(const Profile &profile);

    // The extension a packed sound's file gets: that of the last path component of its packed file name
    // when it names a common audio container (m4a, mp3, wav, flac, ogg, ...; compared ignoring case, kept
    // as written), else "m4a". Nothing from outside reaches a path but this.
    static std::string safeExtension(const std::optional<std::string> &fileName);

    // `name` when `existing` lacks it, else the first of "name 2", "name 3", ... that it lacks.
    static std::string uniqueName(const std::string &name, const std::set<std::string> &existing);

private:
    SoundLibrary &library_;
};

} // namespace tc
