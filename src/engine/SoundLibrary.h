#pragma once

#include "engine/AudioBuffer.h"
#include "engine/AudioDecoder.h"
#include "engine/ImportJournal.h"
#include "engine/LoadedSound.h"
#include "engine/SoundFileWriter.h"
#include "engine/SoundLookup.h"
#include "model/SoundItem.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tc {

// Every sound the program can play, ready to play: built-in recordings decoded and brought to a common
// loudness, synthesized sounds rendered (switches as several takes per key role), user sounds decoded from
// the sounds folder. One cache keyed by sound id; the key path only looks sounds up. Also imports audio
// files as user sounds and deletes them.
//
// One instance for the life of the process, made by the composition root and passed to its users.
// Threads: every member may be called from any thread, also at the same time as the others:
// - `loaded` from the key thread for every key, and from the main thread for previews and listings;
// - `preloadBuiltins` and `loadUserSound` from the start-up preload's background thread;
// - `importFile`, `addUserSound`, `decode` and `deleteFile` from the model's worker (imports, share packs)
//   and the main thread (deletes).
// A mutex guards the cache and the count of its user sounds' audio only: decoding, rendering, analysis and
// file copies run outside it, and a LoadedSound never changes once stored. The room for user sounds is
// checked again under the mutex as a sound is stored, so two imports at once never take it past its bound.
// Each import makes a file and an id of its own, so imports at once never touch the same file.
class SoundLibrary final : public SoundLookup {
public:
    using DecodeError = AudioDecodeError;

    // The largest audio file the program reads: imports, user sounds and sounds inside share packs.
    // Far above any 12-second clip, and it bounds what one file can make the program copy or pack.
    static constexpr std::uintmax_t kMaxFileBytes = 64u * 1024u * 1024u;
    // The longest sound kept after trimming: 10 s.
    static constexpr std::size_t kMaxFrames = 480000;
    // The most decoded audio the cache keeps for user sounds, in bytes of samples: about 70 stereo sounds of
    // the longest kind (140 mono). What a file costs is its decoded length, not its size, so that is counted.
    static constexpr std::size_t kMaxUserSoundBytes = 256u * 1024u * 1024u;

    // `soundsFolder` holds the user's sound files and is created now (errors ignored); `builtinFolder`
    // holds the built-in recordings ("rec_meow.m4a", ...). The decoder may be called from several threads
    // at once during the preload. `userSoundBytes` bounds the user sounds' decoded audio (tests pass less).
    SoundLibrary(std::shared_ptr<const AudioDecoder> decoder, std::filesystem::path soundsFolder,
                 std::filesystem::path builtinFolder, std::size_t userSoundBytes = kMaxUserSoundBytes);

    // The built-in sounds in listing order: the 20 synthesized recipes, then the 43 recordings; no file
    // names, duration 0.
    static const std::vector<SoundItem> &builtinItems();

    // Caches every built-in not cached yet. Slow (decodes and renders everything), so run it off the
    // main thread; it spreads the work over `threads` threads (0: one per core).
    void preloadBuiltins(unsigned threads = 0);

    // Decodes a user sound's file from the sounds folder and caches it (replacing an entry of the same
    // id). Null when the item has no usable file name, decoding fails or the user sounds are at their bound
    // (then the file is not even decoded).
    LoadedSoundPtr loadUserSound(const SoundItem &item);
    // The same, but says why nothing was cached: throws DecodeError, `noRoom` when the sound would take the
    // user sounds' decoded audio past its bound, `unreadable` for an item without a usable file name.
    LoadedSoundPtr addUserSound(const SoundItem &item);

    LoadedSoundPtr loaded(const std::string &id) const override;

    // Imports an audio file as a new user sound: decodes it (a failure is thrown as DecodeError and
    // nothing is copied), copies the file itself to the sounds folder as "user.<UUID>.<extension>", caches
    // it and returns its item (category mine; named `name`, else the file's name without extension).
    // A sound that would take the user sounds past their bound is refused with DecodeError `noRoom`.
    // A failure to write into the sounds folder is thrown as SoundsFolderError. With an import journal the file is
    // noted there before it is written; the note stays until the caller reports the sound landed (see
    // ImportJournal).
    SoundItem importFile(const std::filesystem::path &path, const std::optional<std::string> &name);

    // Removes a user sound's file and its cache entry; an item without a file name is left alone. A note of its
    // import stays: the caller ends the import (finishImports) once nothing lists the sound any more.
    void deleteFile(const SoundItem &item);

    // Where importFile and the share-pack import note each file before they write it, so that the next start can
    // remove what an import stopped by a crash wrote (the program's library has one; none by default). Set it
    // before the first import; it must outlive the library.
    void setImportJournal(ImportJournal *journal) { journal_ = journal; }
    ImportJournal *importJournal() const { return journal_; }
    // Before an import writes `fileName` (of about `bytes` bytes) into the sounds folder: makes the folder and
    // notes the file in the journal, if there is one. Throws SoundsFolderError when either fails (the file must
    // not be written then).
    void beginImport(const std::string &fileName, std::uintmax_t bytes);
    // The imports of these files are over (their files are gone, or listed where they are kept): their notes go.
    void finishImports(const std::vector<std::string> &fileNames);

    // The disk calls that imports' writes go through (SoundFileDisk::real() unless a test puts in others). Set
    // it before the first import.
    void setDisk(SoundFileDisk disk) { disk_ = std::move(disk); }
    // A writer of new files into the sounds folder.
    SoundFileWriter soundFileWriter() const { return SoundFileWriter(disk_, soundsFolder_); }

    // The decoded audio of the user sounds in the cache, in bytes of samples.
    std::size_t userSoundBytes() const;

    const std::filesystem::path &soundsFolder() const { return soundsFolder_; }
    const std::filesystem::path &builtinFolder() const { return builtinFolder_; }

    // The one way audio files enter the program: at most 12 s read, converted, trimmed, capped at 10 s
    // and peak-normalized. Throws DecodeError: also `missing`, `notAllowed`, `emptyFile` (no bytes) and
    // `tooLarge` (over kMaxFileBytes) for the file itself, before the decoder reads it.
    AudioBuffer decode(const std::filesystem::path &path) const;

    // Cuts the silence before and after the sound (keeping 4 ms before and 20 ms after it), caps it at
    // 10 s, scales the peak to 0.9 and fades 1 ms in and up to 8 ms out. A mono buffer stays mono, and so
    // does a stereo one whose channels hold the same samples; any other stereo buffer stays stereo.
    // Throws DecodeError `empty` when the peak is at most 0.001 (`silentStart` when the buffer is as long as
    // a decoder reads, give or take kBoundSlackFrames: the file goes on), `unreadable` for channels of unequal
    // length.
    static AudioBuffer trimAndNormalize(const AudioBuffer &buffer);
    // How far short of AudioDecoder::kMaxReadSeconds a read that reached its bound may end (the resampler's
    // last frames).
    static constexpr std::size_t kBoundSlackFrames = 480;

    // Brings channel 0's RMS down to `targetRMS`, or up towards `floorRMS` (at most doubled, with a soft
    // clip that never exceeds 0.95), with the same gain on both channels of a stereo buffer. Changes the
    // buffer in place.
    static void matchLoudness(AudioBuffer &buffer, float targetRMS, float floorRMS);

    // The waveform of channel 0: the largest magnitude in each of `bins` equal slices, scaled so the
    // largest is 1 (all zeros for silence). Empty for an empty buffer.
    static std::vector<float> peaks(const AudioBuffer &buffer, int bins);

    // Mono samples as a mono buffer; null for no samples.
    static AudioBufferPtr makeBuffer(const std::vector<float> &samples);

private:
    // Throws DecodeError `notAllowed` or `missing` when the file cannot be opened for reading.
    static void checkReadable(const std::filesystem::path &path);
    void store(LoadedSoundPtr sound);
    // Stores a user sound unless it would take the user sounds past their bound; false then.
    bool storeUserSound(LoadedSoundPtr sound);
    // Whether `bytes` more of user sounds fit.
    bool hasRoomFor(std::size_t bytes) const;
    bool isCached(const std::string &id) const;
    void preloadRecording(std::size_t row);
    void preloadRecipe(std::size_t row);
    // The path of a user sound file, or nullopt for a name that is not a plain file name.
    std::optional<std::filesystem::path> userFile(const SoundItem &item) const;

    std::shared_ptr<const AudioDecoder> decoder_;
    std::filesystem::path soundsFolder_;
    std::filesystem::path builtinFolder_;

    std::size_t userSoundLimit_;
    ImportJournal *journal_ = nullptr;
    SoundFileDisk disk_ = SoundFileDisk::real();

    mutable std::mutex lock_; // guards cache_ and userSoundBytes_
    std::unordered_map<std::string, LoadedSoundPtr> cache_;
    std::size_t userSoundBytes_ = 0; // of the entries with a file name
};

} // namespace tc
