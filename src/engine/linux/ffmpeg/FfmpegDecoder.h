#pragma once

#include "engine/AudioDecoder.h"

namespace tc {

// The audio decoder on FFmpeg: any local file in a common audio or media container whose first audio
// stream FFmpeg can decode; conversion to 48 kHz float planar with libswresample. Only local files are
// opened (no network or nested playlists), and only well-known audio and media containers are probed, so
// a file from outside cannot make FFmpeg reach anything but itself. Nothing but audio is ever decoded: other
// streams are dropped before the (bounded) probe, which may open audio decoders only, and only the best
// audio stream is read.
// Thread: any; every call builds and frees its own FFmpeg contexts, so calls may run in parallel.
class FfmpegDecoder final : public AudioDecoder {
public:
    FfmpegDecoder();
    AudioBuffer read(const std::filesystem::path &path) const override;
};

} // namespace tc
