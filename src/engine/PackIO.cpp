#include "engine/PackIO.h"

#include "engine/AtomicFile.h"
#include "engine/ImportFileName.h"
#include "model/Json.h"
#include "model/KeyLayout.h"
#include "model/Names.h"
#include "model/PackStream.h"
#include "model/TapchimePack.h"
#include "model/Uuid.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iostream>
#include <map>
#include <streambuf>
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

// A file read through a stream buffer that stops at `limit` bytes, even when the file grew since it was
// measured; tooLarge() then says so. Read it twice with rewind(); changed() tells whether its size or time of
// change differ from when it was opened.
class BoundedFile final : public std::streambuf {
public:
    BoundedFile(std::filesystem::path path, std::uintmax_t limit) : path_(std::move(path)), limit_(limit) {}

    bool open(std::string &problem) {
        std::error_code error;
        size_ = std::filesystem::file_size(path_, error);
        if (!error) {
            time_ = std::filesystem::last_write_time(path_, error);
        }
        if (error) {
            problem = error.message();
            return false;
        }
        if (size_ > limit_) {
            problem = "larger than " + std::to_string(limit_) + " bytes";
            return false;
        }
        in_.open(path_, std::ios::binary);
        if (!in_) {
            problem = "cannot open the file";
            return false;
        }
        return true;
    }
    bool rewind(std::string &problem) {
        in_.clear();
        in_.seekg(0);
        read_ = 0;
        setg(nullptr, nullptr, nullptr);
        if (!in_) {
            problem = "cannot read the file again";
            return false;
        }
        return true;
    }
    bool tooLarge(std::string &problem) const {
        if (over_) {
            problem = "larger than " + std::to_string(limit_) + " bytes";
        }
        return over_;
    }
    bool changed() const {
        std::error_code error;
        const auto size = std::filesystem::file_size(path_, error);
        const auto time = std::filesystem::last_write_time(path_, error);
        return error || size != size_ || time != time_;
    }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        if (read_ >= limit_) {
            char beyond = 0;
            over_ = over_ || in_.read(&beyond, 1).gcount() > 0;
            return traits_type::eof();
        }
        const auto want = static_cast<std::streamsize>(std::min<std::uintmax_t>(buffer_.size(), limit_ - read_));
        const std::streamsize got = in_.read(buffer_.data(), want).gcount();
        if (got <= 0) {
            return traits_type::eof();
        }
        read_ += static_cast<std::uintmax_t>(got);
        setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
        return traits_type::to_int_type(*gptr());
    }

private:
    std::filesystem::path path_;
    std::uintmax_t limit_;
    std::ifstream in_;
    std::array<char, 64 * 1024> buffer_{};
    std::uintmax_t read_ = 0;
    bool over_ = false;
    std::uintmax_t size_ = 0;
    std::filesystem::file_time_type time_;
};

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

// Removes the files, cache entries and notes of the sounds an import installed before it failed.
void removeInstalled(SoundLibrary &library, const std::vector<SoundItem> &installed) {
    std::vector<std::string> fileNames;
    for (const SoundItem &item : installed) {
        library.deleteFile(item);
        fileNames.push_back(item.fileName.value_or(std::string()));
    }
    library.finishImports(fileNames);
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
    // The text is read twice and never held: the first pass keeps the pack without its audio, the second writes
    // one sound at a time. So a pack at the size bound costs about one packed sound's text and audio at a time.
    std::string problem;
    BoundedFile file(from, kMaxPackBytes);
    if (!file.open(problem)) {
        throw PackError(from.string() + ": " + problem);
    }
    PackOutline outline;
    try {
        std::istream in(&file);
        outline = readPackOutline(in);
    } catch (const std::exception &error) {
        // DecodeError for a wrong shape; anything else from the JSON reader counts the same.
        throw PackError(from.string() + ": " + (file.tooLarge(problem) ? problem : std::string(error.what())));
    }
    if (file.tooLarge(problem)) {
        throw PackError(from.string() + ": " + problem);
    }
    TapchimePack &pack = outline.pack;

    // The sounds to install: of those the profile uses, the last one packed under each id (a later one
    // under the same id would replace the earlier one's place in the profile). Nothing else is written.
    const std::set<std::string> used = usedSoundIDs(pack.profile);
    std::map<std::string, std::size_t> lastOfID;
    for (std::size_t i = 0; i < pack.sounds.size(); ++i) {
        if (used.count(pack.sounds[i].item.id) != 0) {
            lastOfID[pack.sounds[i].item.id] = i;
        }
    }
    std::set<std::size_t> wanted;
    for (const auto &[id, index] : lastOfID) {
        wanted.insert(index);
    }

    // The profile and names join the document, whose size is bounded: so are they.
    std::size_t textBytes = dumpJson(toJson(pack.profile), false).size();
    for (const std::size_t index : wanted) {
        textBytes += pack.sounds[index].item.name.size();
    }
    if (textBytes > kMaxProfileBytes) {
        throw PackError(from.string() + ": the profile and its sound names are larger than " +
                        std::to_string(kMaxProfileBytes) + " bytes");
    }

    std::map<std::string, std::string> newIDs; // old sound id to new
    Imported result;
    // The sound being written: its new catalogue entry and file, open while its audio arrives.
    std::optional<SoundItem> writing;
    std::filesystem::path writingPath;
    SoundFileWriter out = library_.soundFileWriter();
    PackSoundSink sink;
    sink.begin = [&](std::size_t index) {
        const SoundItem &packed = pack.sounds[index].item;
        if (!writing) {
            const ImportFileName made = ImportFileName::make(safeExtension(packed.fileName));
            // Noted first: should the program die before the document lists the pack, the next start removes it.
            library_.beginImport(made.fileName, 1);
            writing = SoundItem{made.id, packed.name, SoundCategory::mine, made.fileName, packed.duration};
            writingPath = library_.soundsFolder() / made.fileName;
        }
        // A new name nobody else uses: a plain write is enough. A later "data" of the same sound starts over.
        out.open(writingPath);
    };
    sink.write = [&](const std::uint8_t *bytes, std::size_t size) {
        out.write(reinterpret_cast<const char *>(bytes), size);
    };
    sink.end = [&](std::size_t index) {
        out.close();
        SoundItem item = std::move(*writing);
        writing.reset();
        // In the sounds folder now, whatever happens next: the cleanup below knows it by the item.
        result.sounds.push_back(item);
        try {
            library_.addUserSound(item);
        } catch (const AudioDecodeError &error) {
            if (error.kind() == AudioDecodeError::Kind::noRoom) {
                throw PackError(from.string() + ": no room in the sound library for \"" + item.name + "\"");
            }
            // A sound whose audio cannot be decoded still arrives; it simply plays nothing.
        }
        newIDs[pack.sounds[index].item.id] = item.id;
    };
    try {
        if (!file.rewind(problem)) {
            throw PackError(from.string() + ": " + problem);
        }
        std::istream in(&file);
        readPackSounds(
            in, outline, [&](std::size_t index) { return wanted.count(index) != 0; }, sink);
        // The same text both times: a pack changed in between is not half installed.
        if (result.sounds.size() != wanted.size() || file.changed()) {
            throw PackError(from.string() + ": the file changed while it was read");
        }
    } catch (const std::exception &error) {
        if (writing) {
            try {
                out.close();
            } catch (const SoundsFolderError &) {
                // going anyway
            }
            std::error_code ignored;
            std::filesystem::remove(writingPath, ignored);
            result.sounds.push_back(*writing); // its note goes with the others
        }
        removeInstalled(library_, result.sounds);
        if (const auto *packError = dynamic_cast<const PackError *>(&error)) {
            throw *packError;
        }
        // The pack was read, and its sounds could not be written: said as such, not as an unreadable pack.
        if (const auto *folderError = dynamic_cast<const SoundsFolderError *>(&error)) {
            throw *folderError;
        }
        throw PackError(from.string() + ": " + error.what());
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
