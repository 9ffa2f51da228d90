#pragma once

#include "model/TapchimePack.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>

namespace tc {

// Reads a share pack from a stream of its text in two passes, so that a pack near its size bound never has its
// text, its parsed tree or more than a little of its audio in memory: a packed sound's "data" is never kept as
// text, but checked (first pass) or decoded and handed over (second pass) piece by piece as it is read. Both
// passes throw DecodeError as decodePack does, with its messages for its checks; a "data" string that is not
// valid JSON text is refused with a message of its own.

// What the first pass found.
struct PackOutline {
    TapchimePack pack; // as decodePack reads it, except that every sound's data is empty
    // How many "sounds" members the top level holds: the last one counts, as in decodePack.
    std::size_t soundsMembers = 0;
};

// The first pass: the whole text is read and checked (JSON, the pack's shape, every sound's "data" strict
// base64 of at most `maxSoundBytes`), and no audio is kept.
PackOutline readPackOutline(std::istream &in, std::size_t maxSoundBytes = TapchimePack::kMaxSoundBytes);

// Where the second pass puts the audio of the sounds it is asked for, in pack order. For one sound: begin(index),
// then write() with its bytes in pieces, then end(index) once its object has been read. A sound whose object
// holds "data" more than once begins again with each (the last one counts, as in decodePack).
struct PackSoundSink {
    std::function<void(std::size_t index)> begin;
    std::function<void(const std::uint8_t *bytes, std::size_t size)> write;
    std::function<void(std::size_t index)> end;
};

// The second pass over the same text: the audio of each sound of the counting "sounds" member whose index
// `wanted` accepts goes to `sink`. The text is checked again as it goes (it may have changed since the first
// pass): audio that is no longer valid base64, or larger than `maxSoundBytes`, throws DecodeError, possibly
// after some of it was written. An exception from the sink ends the pass and reaches the caller.
void readPackSounds(std::istream &in, const PackOutline &outline, const std::function<bool(std::size_t)> &wanted,
                    const PackSoundSink &sink, std::size_t maxSoundBytes = TapchimePack::kMaxSoundBytes);

} // namespace tc
