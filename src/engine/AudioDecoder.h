#pragma once

#include "engine/AudioBuffer.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace tc {

// An audio file could not be made into a sound. what() is the sentence shown to the user.
class AudioDecodeError : public std::runtime_error {
public:
    enum class Kind {
        unreadable,  // not an audio format the program can read
        empty,       // nothing audible in it
        tooLarge,    // larger than an imported sound may be
        noRoom,      // the user's sounds already hold as much audio as the program keeps
        emptyFile,   // a file of no bytes at all
        notAllowed,  // the user may not read the file
        missing,     // no file by that name (any more)
        silentStart, // the part the program reads (the first kMaxReadSeconds) is silent; the sound comes later
    };
    // The last kind, for code that passes a kind as a number.
    static constexpr Kind kLastKind = Kind::silentStart;

    explicit AudioDecodeError(Kind kind) : std::runtime_error(message(kind)), kind_(kind) {}

    Kind kind() const { return kind_; }

    static std::string message(Kind kind) {
        switch (kind) {
        case Kind::unreadable:
            break;
        case Kind::empty:
            return "This file is silent.";
        case Kind::tooLarge:
            return "This file is too large to use as a sound.";
        case Kind::noRoom:
            return "There's no room for more sounds. Delete some of your own sounds first.";
        case Kind::emptyFile:
            return "This file is empty.";
        case Kind::notAllowed:
            return "Tapchime isn't allowed to read this file.";
        case Kind::missing:
            return "This file isn't there any more.";
        case Kind::silentStart:
            return "This file is silent in its first 12 seconds, and Tapchime reads no further.";
        }
        return "This file isn't an audio format Tapchime can read.";
    }

private:
    Kind kind_;
};

// Reads the start of an audio file into the shared format. The one place where audio files are opened;
// the sound library trims and normalizes what it returns.
// Thread: any; implementations keep no state between calls, so calls may run in parallel.
class AudioDecoder {
public:
    // The most a sound may take from the start of a file, in seconds of the file's own timeline.
    static constexpr int kMaxReadSeconds = 12;
    // The lowest sample rate of a sound; a file below it is unreadable.
    static constexpr int kMinSampleRate = 8000;

    virtual ~AudioDecoder() = default;

    // At most the first 12 s of the file's first audio stream, converted to 48 kHz float: a mono buffer for
    // a mono file, stereo for anything else (more channels mixed down to two). Throws AudioDecodeError:
    // `unreadable` when the file cannot be opened, holds no audio stream the decoder knows or is below
    // kMinSampleRate, `empty` when it decodes to no frames.
    virtual AudioBuffer read(const std::filesystem::path &path) const = 0;
};

static_assert(AudioDecoder::kMaxReadSeconds == 12, "the message of a silent start names the seconds read");

// Used where no decoder is available: every file is unreadable.
class NullAudioDecoder final : public AudioDecoder {
public:
    AudioBuffer read(const std::filesystem::path &) const override {
        throw AudioDecodeError(AudioDecodeError::Kind::unreadable);
    }
};

} // namespace tc
