#include "engine/SoundLibrary.h"

#include "engine/ImportFileName.h"
#include "engine/RecordedSounds.h"
#include "engine/SoundSynth.h"

#include <utf8proc.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <thread>
#include <utility>

namespace tc {

namespace {

using SoundSynth::Role;
using Kind = AudioDecodeError::Kind;

constexpr int kPeakBins = 64;

// Takes rendered per role for a switch recipe.
int switchTakes(std::string_view id, Role role) {
    switch (role) {
    case Role::down:
        return 5;
    case Role::enter:
        return id == "synth.typewriter" ? 1 : 3;
    default:
        return 3;
    }
}

std::string lowerCased(const std::string &text) {
    std::string result;
    result.reserve(text.size());
    const auto *bytes = reinterpret_cast<const utf8proc_uint8_t *>(text.data());
    utf8proc_ssize_t offset = 0;
    const auto size = static_cast<utf8proc_ssize_t>(text.size());
    while (offset < size) {
        utf8proc_int32_t codepoint = 0;
        const utf8proc_ssize_t length = utf8proc_iterate(bytes + offset, size - offset, &codepoint);
        if (length <= 0) {
            result.push_back(text[static_cast<std::size_t>(offset)]); // not UTF-8: keep the byte
            ++offset;
            continue;
        }
        utf8proc_uint8_t encoded[4];
        const utf8proc_ssize_t written = utf8proc_encode_char(utf8proc_tolower(codepoint), encoded);
        result.append(reinterpret_cast<const char *>(encoded), static_cast<std::size_t>(written));
        offset += length;
    }
    return result;
}

// A name that stays inside the folder it is joined to.
bool isPlainFileName(const std::string &name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// What a sound's samples take in memory.
std::size_t decodedBytes(const LoadedSound &sound) {
    std::size_t bytes = 0;
    for (const auto &[role, buffers] : sound.takes()) {
        for (const auto &buffer : buffers) {
            bytes += (buffer->left.size() + buffer->right.size()) * sizeof(float);
        }
    }
    return bytes;
}

// User sounds are the ones with a file; only they count against the bound.
std::size_t userBytes(const LoadedSoundPtr &sound) {
    return sound && sound->item().fileName ? decodedBytes(*sound) : 0;
}

LoadedSoundPtr makeLoaded(SoundItem item, AudioBuffer buffer) {
    auto shared = std::make_shared<const AudioBuffer>(std::move(buffer));
    item.duration = shared->seconds();
    std::vector<float> waveform = SoundLibrary::peaks(*shared, kPeakBins);
    LoadedSound::Takes takes;
    takes[Role::down] = {std::move(shared)};
    return std::make_shared<const LoadedSound>(std::move(item), std::move(takes), std::move(waveform));
}

} // namespace

SoundLibrary::SoundLibrary(std::shared_ptr<const AudioDecoder> decoder, std::filesystem::path soundsFolder,
                           std::filesystem::path builtinFolder, std::size_t userSoundBytes)
    : decoder_(std::move(decoder)), soundsFolder_(std::move(soundsFolder)), builtinFolder_(std::move(builtinFolder)),
      userSoundLimit_(userSoundBytes) {
    std::error_code ignored;
    std::filesystem::create_directories(soundsFolder_, ignored);
}

const std::vector<SoundItem> &SoundLibrary::builtinItems() {
    static const std::vector<SoundItem> kItems = [] {
        std::vector<SoundItem> list;
        list.reserve(SoundSynth::recipes.size() + RecordedSounds::kAll.size());
        for (const auto &recipe : SoundSynth::recipes) {
            list.push_back(SoundItem{std::string(recipe.id), std::string(recipe.name), recipe.category, {}, 0.0});
        }
        for (const auto &recording : RecordedSounds::kAll) {
            list.push_back(
                SoundItem{std::string(recording.id), std::string(recording.name), recording.category, {}, 0.0});
        }
        return list;
    }();
    return kItems;
}

// ---- the cache -------------------------------------------------------------------------------------

LoadedSoundPtr SoundLibrary::loaded(const std::string &id) const {
    std::lock_guard guard(lock_);
    const auto it = cache_.find(id);
    return it == cache_.end() ? nullptr : it->second;
}

bool SoundLibrary::isCached(const std::string &id) const {
    std::lock_guard guard(lock_);
    return cache_.count(id) != 0;
}

void SoundLibrary::store(LoadedSoundPtr sound) {
    std::string id = sound->item().id;
    const std::size_t bytes = userBytes(sound);
    LoadedSoundPtr replaced;
    {
        std::lock_guard guard(lock_);
        auto &slot = cache_[std::move(id)];
        userSoundBytes_ = userSoundBytes_ - userBytes(slot) + bytes;
        replaced = std::move(slot);
        slot = std::move(sound);
    }
    // `replaced` is released here, outside the lock.
}

bool SoundLibrary::storeUserSound(LoadedSoundPtr sound) {
    const std::size_t bytes = userBytes(sound);
    LoadedSoundPtr replaced;
    {
        std::lock_guard guard(lock_);
        const auto it = cache_.find(sound->item().id);
        const std::size_t others = userSoundBytes_ - (it == cache_.end() ? 0 : userBytes(it->second));
        if (others > userSoundLimit_ || bytes > userSoundLimit_ - others) {
            return false;
        }
        userSoundBytes_ = others + bytes;
        if (it == cache_.end()) {
            cache_.emplace(sound->item().id, std::move(sound));
        } else {
            replaced = std::exchange(it->second, std::move(sound));
        }
    }
    // `replaced` is released here, outside the lock.
    return true;
}

bool SoundLibrary::hasRoomFor(std::size_t bytes) const {
    std::lock_guard guard(lock_);
    return userSoundBytes_ < userSoundLimit_ && bytes <= userSoundLimit_ - userSoundBytes_;
}

std::size_t SoundLibrary::userSoundBytes() const {
    std::lock_guard guard(lock_);
    return userSoundBytes_;
}

// ---- built-ins -------------------------------------------------------------------------------------

void SoundLibrary::preloadBuiltins(unsigned threads) {
    const std::size_t recordings = RecordedSounds::kAll.size();
    const std::size_t jobs = recordings + SoundSynth::recipes.size();
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t job = next++; job < jobs; job = next++) {
            // A sound that cannot be made is left out; the others still load.
            try {
                if (job < recordings) {
                    preloadRecording(job);
                } else {
                    preloadRecipe(job - recordings);
                }
            } catch (const std::exception &) {
            }
        }
    };

    if (threads == 0) {
        threads = std::max(1u, std::thread::hardware_concurrency());
    }
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < std::min<std::size_t>(threads, jobs); ++i) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error &) {
            break; // fewer threads only make it slower
        }
    }
    work();
    for (auto &helper : helpers) {
        helper.join();
    }
}

void SoundLibrary::preloadRecording(std::size_t row) {
    const auto &recording = RecordedSounds::kAll[row];
    const std::string id(recording.id);
    if (isCached(id)) {
        return;
    }
    const std::filesystem::path file = builtinFolder_ / (std::string(recording.file) + ".m4a");
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return;
    }
    AudioBuffer buffer;
    try {
        buffer = decode(file);
    } catch (const AudioDecodeError &) {
        return;
    }
    matchLoudness(buffer, 0.2f, 0.1f);
    store(makeLoaded(SoundItem{id, std::string(recording.name), recording.category, {}, 0.0}, std::move(buffer)));
}

void SoundLibrary::preloadRecipe(std::size_t row) {
    const auto &recipe = SoundSynth::recipes[row];
    const std::string id(recipe.id);
    if (isCached(id)) {
        return;
    }
    LoadedSound::Takes takes;
    if (recipe.isSwitch) {
        for (Role role : SoundSynth::kAllRoles) {
            std::vector<AudioBufferPtr> list;
            const int count = switchTakes(recipe.id, role);
            for (int variant = 0; variant < count; ++variant) {
                if (auto buffer = makeBuffer(SoundSynth::render(recipe.id, role, variant))) {
                    list.push_back(std::move(buffer));
                }
            }
            takes[role] = std::move(list);
        }
    } else {
        std::vector<AudioBufferPtr> list;
        if (auto buffer = makeBuffer(SoundSynth::render(recipe.id, Role::down, 0))) {
            list.push_back(std::move(buffer));
        }
        takes[Role::down] = std::move(list);
    }
    const auto down = takes.find(Role::down);
    if (down == takes.end() || down->second.empty()) {
        return;
    }
    const AudioBuffer &first = *down->second.front();
    SoundItem item{id, std::string(recipe.name), recipe.category, {}, first.seconds()};
    std::vector<float> waveform = peaks(first, kPeakBins);
    store(std::make_shared<const LoadedSound>(std::move(item), std::move(takes), std::move(waveform)));
}

// ---- user sounds -----------------------------------------------------------------------------------

std::optional<std::filesystem::path> SoundLibrary::userFile(const SoundItem &item) const {
    // The file name comes from the document, which may have been edited by hand: never let it point
    // outside the sounds folder.
    if (!item.fileName || !isPlainFileName(*item.fileName)) {
        return std::nullopt;
    }
    return soundsFolder_ / *item.fileName;
}

LoadedSoundPtr SoundLibrary::loadUserSound(const SoundItem &item) {
    try {
        return addUserSound(item);
    } catch (const AudioDecodeError &) {
        return nullptr;
    }
}

LoadedSoundPtr SoundLibrary::addUserSound(const SoundItem &item) {
    const auto file = userFile(item);
    if (!file) {
        throw AudioDecodeError(Kind::unreadable);
    }
    // Once the bound is reached, the rest of a long list of sounds is not even decoded.
    if (!hasRoomFor(1)) {
        throw AudioDecodeError(Kind::noRoom);
    }
    LoadedSoundPtr sound = makeLoaded(item, decode(*file));
    if (!storeUserSound(sound)) {
        throw AudioDecodeError(Kind::noRoom);
    }
    return sound;
}

SoundItem SoundLibrary::importFile(const std::filesystem::path &path, const std::optional<std::string> &name) {
    AudioBuffer buffer = decode(path);

    std::string extension = path.extension().string();
    extension = extension.size() > 1 ? lowerCased(extension.substr(1)) : "m4a";
    const ImportFileName made = ImportFileName::make(extension);
    const std::string &fileName = made.fileName;
    LoadedSoundPtr sound = makeLoaded(
        SoundItem{made.id, name ? *name : path.stem().string(), SoundCategory::mine, fileName, 0.0}, std::move(buffer));
    if (!hasRoomFor(userBytes(sound))) {
        throw AudioDecodeError(Kind::noRoom); // before anything is copied
    }

    // Copy under a temporary name first, so the sounds folder never holds half a file under a sound's name.
    // Noted first: should the program die before the document lists the sound, the next start removes the copy.
    std::error_code sizeError;
    const std::uintmax_t bytes = std::filesystem::file_size(path, sizeError);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        checkReadable(path); // tells why, when it can
        throw AudioDecodeError(Kind::unreadable);
    }
    beginImport(fileName, sizeError ? 1 : bytes);
    const std::filesystem::path target = soundsFolder_ / fileName;
    const std::filesystem::path partial = soundsFolder_ / ImportFileName::partialName(fileName);
    const auto abandon = [&] {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        finishImports({fileName});
    };
    try {
        SoundFileWriter out = soundFileWriter();
        out.open(partial);
        std::vector<char> chunk(64 * 1024);
        while (in) {
            in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            out.write(chunk.data(), static_cast<std::size_t>(in.gcount()));
        }
        if (in.bad()) {
            throw AudioDecodeError(Kind::unreadable);
        }
        out.close();
        std::error_code renamed;
        std::filesystem::rename(partial, target, renamed);
        if (renamed) {
            throw soundsFolderError(renamed, soundsFolder_, 1, disk_,
                                    "cannot rename the sound file: " + renamed.message() + " [" + partial.string() +
                                        "]");
        }
    } catch (...) {
        abandon();
        throw;
    }

    SoundItem item = sound->item();
    if (!storeUserSound(std::move(sound))) {
        // The start-up loading, on its own thread, took the room in the meantime.
        std::error_code ignored;
        std::filesystem::remove(target, ignored);
        finishImports({fileName});
        throw AudioDecodeError(Kind::noRoom);
    }
    return item;
}

void SoundLibrary::beginImport(const std::string &fileName, std::uintmax_t bytes) {
    try {
        std::filesystem::create_directories(soundsFolder_);
        if (journal_ != nullptr) {
            journal_->begin(fileName);
        }
    } catch (const std::filesystem::filesystem_error &error) {
        throw soundsFolderError(error.code(), soundsFolder_, bytes, disk_, error.what());
    }
}

void SoundLibrary::finishImports(const std::vector<std::string> &fileNames) {
    if (journal_ != nullptr) {
        journal_->finish(fileNames);
    }
}

void SoundLibrary::deleteFile(const SoundItem &item) {
    if (!item.fileName) {
        return;
    }
    if (const auto file = userFile(item)) {
        std::error_code ignored;
        std::filesystem::remove(*file, ignored);
    }
    LoadedSoundPtr removed;
    {
        std::lock_guard guard(lock_);
        const auto it = cache_.find(item.id);
        if (it != cache_.end()) {
            userSoundBytes_ -= userBytes(it->second);
            removed = std::move(it->second);
            cache_.erase(it);
        }
    }
}

// ---- decoding and analysis -------------------------------------------------------------------------

AudioBuffer SoundLibrary::decode(const std::filesystem::path &path) const {
    // What is wrong with the file itself is told apart before the decoder sees it, which would call all of it
    // "not audio".
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        throw AudioDecodeError(Kind::missing);
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        throw AudioDecodeError(error == std::errc::permission_denied ? Kind::notAllowed : Kind::unreadable);
    }
    if (size == 0) {
        throw AudioDecodeError(Kind::emptyFile);
    }
    if (size > kMaxFileBytes) {
        throw AudioDecodeError(Kind::tooLarge);
    }
    checkReadable(path);
    return trimAndNormalize(decoder_->read(path));
}

void SoundLibrary::checkReadable(const std::filesystem::path &path) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) {
        std::fclose(file);
        return;
    }
    const int why = errno;
    if (why == EACCES || why == EPERM) {
        throw AudioDecodeError(Kind::notAllowed);
    }
    if (why == ENOENT) {
        throw AudioDecodeError(Kind::missing); // gone since it was looked at
    }
    throw AudioDecodeError(Kind::unreadable);
}

AudioBuffer SoundLibrary::trimAndNormalize(const AudioBuffer &buffer) {
    if (!buffer.isMono() && buffer.right.size() != buffer.left.size()) {
        throw AudioDecodeError(Kind::unreadable);
    }
    const std::size_t frames = buffer.frames();
    if (frames == 0) {
        throw AudioDecodeError(Kind::empty);
    }
    // For a mono buffer both are its one channel.
    const std::vector<float> &first = buffer.channel(0);
    const std::vector<float> &second = buffer.channel(1);
    // A sample that is not a number counts as silence.
    auto sample = [](float s) { return std::isfinite(s) ? s : 0.0f; };
    auto loudness = [&](std::size_t i) { return std::max(std::fabs(sample(first[i])), std::fabs(sample(second[i]))); };

    float peak = 0.0f;
    for (std::size_t i = 0; i < frames; ++i) {
        peak = std::max(peak, loudness(i));
    }
    if (peak <= 0.001f) {
        // A read that reached its bound stopped before the rest of the file: the sound may well come later.
        constexpr std::size_t boundFrames =
            static_cast<std::size_t>(AudioDecoder::kMaxReadSeconds) * AudioBuffer::kSampleRate;
        throw AudioDecodeError(frames + kBoundSlackFrames >= boundFrames ? Kind::silentStart : Kind::empty);
    }

    const float threshold = 0.02f * peak;
    std::size_t start = 0;
    while (loudness(start) < threshold) {
        ++start; // the peak frame itself is loud, so this stops
    }
    std::size_t end = start;
    for (std::size_t i = frames - 1; i > start; --i) {
        if (loudness(i) >= threshold) {
            end = i;
            break;
        }
    }

    const std::size_t from = start > 192 ? start - 192 : 0;
    const std::size_t to = std::min(end + 960, frames - 1);
    const std::size_t n = std::min(to - from + 1, kMaxFrames);

    // Two channels that hold the same samples (a mono recording saved as stereo) are kept once.
    bool same = true;
    for (std::size_t i = from; i < from + n && same; ++i) {
        same = sample(first[i]) == sample(second[i]);
    }

    const double gain = 0.9 / peak;
    const std::size_t fadeOut = std::min<std::size_t>(n / 4, 384);
    auto fill = [&](const std::vector<float> &input) {
        std::vector<float> output(n);
        for (std::size_t i = 0; i < n; ++i) {
            double scale = gain;
            if (i < 48) {
                scale = scale * static_cast<double>(i) / 48.0;
            }
            if (i >= n - fadeOut) {
                scale = scale * static_cast<double>(n - i) / static_cast<double>(fadeOut);
            }
            output[i] = static_cast<float>(scale * sample(input[from + i]));
        }
        return output;
    };
    return same ? AudioBuffer::mono(fill(first)) : AudioBuffer::stereo(fill(first), fill(second));
}

void SoundLibrary::matchLoudness(AudioBuffer &buffer, float targetRMS, float floorRMS) {
    const std::size_t frames = buffer.frames();
    if (frames == 0) {
        return;
    }
    double sumSquares = 0.0;
    for (float s : buffer.left) {
        sumSquares += static_cast<double>(s) * s;
    }
    const double rms = std::sqrt(sumSquares / static_cast<double>(frames));
    if (!(rms > 0.0)) {
        return;
    }
    double gain = 1.0;
    if (rms > targetRMS) {
        gain = targetRMS / rms;
    } else {
        const double raise = floorRMS / rms;
        if (raise < 1.0) {
            return;
        }
        gain = std::min(raise, 2.0);
    }
    if (gain == 1.0) {
        return;
    }
    auto apply = [gain](std::vector<float> &channel) {
        for (float &s : channel) {
            // Raising may push peaks over the top: clip softly, never beyond 0.95.
            s = gain > 1.0 ? static_cast<float>(0.95 * std::tanh(gain * s / 0.95)) : static_cast<float>(s * gain);
        }
    };
    apply(buffer.left);
    apply(buffer.right); // nothing for a mono buffer
}

std::vector<float> SoundLibrary::peaks(const AudioBuffer &buffer, int bins) {
    const std::size_t frames = buffer.frames();
    if (frames == 0 || bins <= 0) {
        return {};
    }
    const std::size_t count = static_cast<std::size_t>(bins);
    const std::size_t size = std::max<std::size_t>(frames / count, 1);
    std::vector<float> result(count, 0.0f);
    for (std::size_t b = 0; b < count; ++b) {
        const std::size_t begin = b * size;
        if (begin >= frames) {
            break;
        }
        const std::size_t stop = std::min((b + 1) * size, frames);
        float largest = 0.0f;
        for (std::size_t i = begin; i < stop; ++i) {
            largest = std::max(largest, std::fabs(buffer.left[i]));
        }
        result[b] = largest;
    }
    const float m = *std::max_element(result.begin(), result.end());
    if (m > 0.0f) {
        for (float &value : result) {
            value /= m;
        }
    }
    return result;
}

AudioBufferPtr SoundLibrary::makeBuffer(const std::vector<float> &samples) {
    if (samples.empty()) {
        return nullptr;
    }
    return std::make_shared<const AudioBuffer>(AudioBuffer::mono(samples));
}

} // namespace tc
