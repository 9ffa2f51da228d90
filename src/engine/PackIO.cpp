#include "engine/PackIO.h"

#include "engine/AtomicFile.h"
#include "model/Json.h"
#include "model/Names.h"
#include "model/TapchimePack.h"
#include "model/Uuid.h"

#include <fstream>
#include <iostream>
#include <map>
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

bool isLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
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
    if (extension.empty() || extension.size() > 10) {
        return fallback;
    }
    for (char c : extension) {
        if (!isLetterOrDigit(c)) {
            return fallback;
        }
    }
    return extension;
}

std::string PackIO::uniqueName(const std::string &name, const std::set<std::string> &existing) {
    return tc::uniqueName(name, [&](const std::string &candidate) { return existing.count(candidate) != 0; });
}

void PackIO::exportPack(const Profile &profile, const std::vector<SoundItem> &userSounds,
                        const std::filesystem::path &to) const {
    std::set<std::string> used{profile.baseSoundID};
    for (const auto &[code, assignment] : profile.keys) {
        used.insert(assignment.soundID);
    }

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

    std::map<std::string, std::string> newIDs; // old sound id to new
    Imported result;
    for (const auto &sound : pack.sounds) {
        const std::string id = "user." + Uuid::random().toString();
        const std::string fileName = id + "." + safeExtension(sound.item.fileName);
        const std::filesystem::path file = library_.soundsFolder() / fileName;
        {
            // A new name nobody else uses: a plain write is enough.
            std::error_code ignored;
            std::filesystem::create_directories(library_.soundsFolder(), ignored);
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char *>(sound.data.data()),
                      static_cast<std::streamsize>(sound.data.size()));
            out.close();
            if (!out) {
                throw PackError(file.string() + ": cannot write the sound file");
            }
        }
        SoundItem item{id, sound.item.name, SoundCategory::mine, fileName, sound.item.duration};
        newIDs[sound.item.id] = id;
        result.sounds.push_back(item);
        // A sound whose audio cannot be decoded still arrives; it simply plays nothing.
        library_.loadUserSound(item);
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
