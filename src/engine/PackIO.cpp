#include "engine/PackIO.h"

#include "engine/AtomicFile.h"
#include "model/Json.h"
#include "model/KeyLayout.h"
#include "model/Names.h"
#include "model/TapchimePack.h"
#include "model/Uuid.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iostream>
#include <map>
#include <string_view>
#include <system_error>

namespace tc {

static_assert(TapchimePack::kMaxSoundBytes == SoundLibrary::kMaxFileBytes,
              "a packed sound and an imported file share one size limit");

namespace {

void logLine(const std::string &text) {
    std::cerr << "Tapchime: " << text << std::endl;
}

// The whole file, or nullopt when it cannot be read or is larger than `limit` bytes; `problem` says why.
std::optional<std::string> readFile(const std::filesystem::path &path, std::uintmax_t limit, std::string &problem) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        problem = error.message();
        return std::nullopt;
    }
    if (size > limit) {
        problem = "larger than " + std::to_string(limit) + " bytes";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = "cannot open the file";
        return std::nullopt;
    }
    // Read no more than the limit allows, even if the file grew since it was measured.
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad() || bytes.size() != size) {
        problem = "cannot read the whole file";
        return std::nullopt;
    }
    if (in.peek() != std::char_traits<char>::eof()) {
        problem = "the file changed while it was read";
        return std::nullopt;
    }
    return bytes;
}

// The extensions a packed sound's file may keep: the audio containers people share sounds in.
constexpr std::array<std::string_view, 17> kAudioExtensions = {
    "aac", "aif", "aifc", "aiff", "caf", "flac", "m4a",  "mka", "mp3",
    "mp4", "oga", "ogg",  "opus", "wav", "wave", "webm", "wma",
};

std::string asciiLowerCased(std::string text) {
    for (char &c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// Removes the files and cache entries of the sounds an import installed before it failed.
void removeInstalled(SoundLibrary &library, const std::vector<SoundItem> &installed) {
    for (const SoundItem &item : installed) {
        library.deleteFile(item);
    }
}

} // namespace

std::string PackIO::safeExtension(const std::optional<std::string> &fileName) {
    const std::string fallback = "m4a";
    if (!fileName) {
        return fallback;
    }
    const std::string &name = *fileName;
    const std::size_t slash = name.find_last_of('/');
    const std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    const std::size_t point = last.find_last_of('.');
    // No point, or only a leading one (a hidden name such as ".wav" has no extension).
    if (point == std::string::npos || point == 0) {
        return fallback;
    }
    const std::string extension = last.substr(point + 1);
    const std::string lower = asciiLowerCased(extension);
    const bool known = std::find(kAudioExtensions.begin(), kAudioExtensions.end(), lower) != kAudioExtensions.end();
    return known ? extension : fallback;
}

std::set<std::string> PackIO::usedSoundIDs(const Profile &profile) {
    std::set<std::string> used{profile.baseSoundID};
    // Only the keys the keyboard has: a profile cannot make a pack carry more sounds than there are keys.
    for (const auto &[code, key] : KeyLayout::byCode()) {
        if (const auto it = profile.keys.find(std::to_string(code)); it != profile.keys.end()) {
            used.insert(it->second.soundID);
        }
    }
    return used;
}

std::string PackIO::uniqueName(const std::string &name, const std::set<std::string> &existing) {
    return tc::uniqueName(name, [&](const std::string &candidate) { return existing.count(candidate) != 0; });
}

void PackIO::exportPack(const Profile &profile, const std::vector<SoundItem> &userSounds,
                        const std::filesystem::path &to) const {
    const std::set<std::string> used = usedSoundIDs(profile);

    TapchimePack pack;
    pack.version = 1;
    pack.profile = profile;
    for (const SoundItem &item : userSounds) {
        if (used.count(item.id) == 0 || !item.fileName) {
            continue;
        }
        std::string problem;
        std::optional<std::string> bytes;
        if (item.fileName->find('/') != std::string::npos || *item.fileName == "." || *item.fileName == "..") {
            problem = "its file name is not a plain file name";
        } else {
            bytes = readFile(library_.soundsFolder() / *item.fileName, TapchimePack::kMaxSoundBytes, problem);
        }
        if (!bytes) {
            // The pack is still useful without it; the key then keeps an id the importer does not have.
            logLine("share pack \"" + profile.name + "\" left out the sound \"" + item.name + "\" (" + item.id + ", " +
                    *item.fileName + "): " + problem);
            continue;
        }
        pack.sounds.push_back(TapchimePack::PackSound{item, std::vector<std::uint8_t>(bytes->begin(), bytes->end())});
    }

    writeFileAtomically(to, encodePack(pack));
}

PackIO::Imported PackIO::importPack(const std::filesystem::path &from,
                                    const std::set<std::string> &existingNames) const {
    std::string problem;
    const std::optional<std::string> text = readFile(from, kMaxPackBytes, problem);
    if (!text) {
        throw PackError(from.string() + ": " + problem);
    }
    TapchimePack pack;
    try {
        pack = decodePack(*text);
    } catch (const std::exception &error) {
        // DecodeError for a wrong shape; anything else from the JSON reader counts the same.
        throw PackError(from.string() + ": " + error.what());
    }

    // The sounds to install: of those the profile uses, the last one packed under each id (a later one
    // under the same id would replace the earlier one's place in the profile). Nothing else is written.
    const std::set<std::string> used = usedSoundIDs(pack.profile);
    std::map<std::string, std::size_t> lastOfID;
    for (std::size_t i = 0; i < pack.sounds.size(); ++i) {
        if (used.count(pack.sounds[i].item.id) != 0) {
            lastOfID[pack.sounds[i].item.id] = i;
        }
    }
    std::vector<const TapchimePack::PackSound *> wanted;
    for (std::size_t i = 0; i < pack.sounds.size(); ++i) {
        const auto it = lastOfID.find(pack.sounds[i].item.id);
        if (it != lastOfID.end() && it->second == i) {
            wanted.push_back(&pack.sounds[i]);
        }
    }

    // The profile and names join the document, whose size is bounded: so are they.
    std::size_t textBytes = dumpJson(toJson(pack.profile), false).size();
    for (const auto *sound : wanted) {
        textBytes += sound->item.name.size();
    }
    if (textBytes > kMaxProfileBytes) {
        throw PackError(from.string() + ": the profile and its sound names are larger than " +
                        std::to_string(kMaxProfileBytes) + " bytes");
    }

    std::map<std::string, std::string> newIDs; // old sound id to new
    Imported result;
    for (const auto *sound : wanted) {
        const std::string id = "user." + Uuid::random().toString();
        const std::string fileName = id + "." + safeExtension(sound->item.fileName);
        const std::filesystem::path file = library_.soundsFolder() / fileName;
        SoundItem item{id, sound->item.name, SoundCategory::mine, fileName, sound->item.duration};
        {
            // A new name nobody else uses: a plain write is enough.
            std::error_code ignored;
            std::filesystem::create_directories(library_.soundsFolder(), ignored);
            // Noted first: should the program die before the document lists the pack, the next start removes it.
            bool written = library_.noteImport(fileName);
            if (written) {
                std::ofstream out(file, std::ios::binary | std::ios::trunc);
                out.write(reinterpret_cast<const char *>(sound->data.data()),
                          static_cast<std::streamsize>(sound->data.size()));
                out.close();
                written = static_cast<bool>(out);
            }
            if (!written) {
                std::filesystem::remove(file, ignored);
                removeInstalled(library_, result.sounds);
                throw PackError(file.string() + ": cannot write the sound file");
            }
        }
        try {
            library_.addUserSound(item);
        } catch (const AudioDecodeError &error) {
            if (error.kind() == AudioDecodeError::Kind::noRoom) {
                result.sounds.push_back(item);
                removeInstalled(library_, result.sounds);
                throw PackError(from.string() + ": no room in the sound library for \"" + item.name + "\"");
            }
            // A sound whose audio cannot be decoded still arrives; it simply plays nothing.
        }
        newIDs[sound->item.id] = id;
        result.sounds.push_back(std::move(item));
    }

    auto remap = [&](std::string &soundID) {
        if (const auto it = newIDs.find(soundID); it != newIDs.end()) {
            soundID = it->second;
        }
    };
    result.profile = std::move(pack.profile);
    result.profile.id = Uuid::random();
    result.profile.name = uniqueName(result.profile.name, existingNames);
    remap(result.profile.baseSoundID);
    for (auto &[code, assignment] : result.profile.keys) {
        remap(assignment.soundID);
    }
    return result;
}

} // namespace tc
