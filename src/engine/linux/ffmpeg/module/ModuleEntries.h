#pragma once

// The entries of the FFmpeg module (tapchime-ffmpeg.so), which holds the decoder, the AAC writer and with
// them every library FFmpeg brings. The program loads the module only while it reads or writes audio files
// (see FfmpegModule), so those libraries take no memory the rest of the time. Plain C functions, so that no
// exception or type crosses the module's edge.

#include <cstddef>
#include <cstdint>

namespace tc {
struct AudioBuffer;
}

extern "C" {

// What a read came to: kModuleReadOk for a buffer, else the decode error's kind plus one, or
// kModuleOutOfMemory.
constexpr std::int32_t kModuleReadOk = 0;
constexpr std::int32_t kModuleOutOfMemory = 100;

// Reads the file at `path` (NUL-terminated) into `*out`, as FfmpegDecoder::read does.
using TapchimeModuleRead = std::int32_t (*)(const char *path, tc::AudioBuffer *out);
// Writes mono samples as AacFileWriter::write does; returns 1 when written, else 0 with the reason in `error`
// (NUL-terminated, cut to `errorSize`).
using TapchimeModuleWriteAac = std::int32_t (*)(const float *samples, std::size_t frames, std::int32_t sampleRate,
                                                const char *path, char *error, std::size_t errorSize);

inline constexpr const char *kModuleReadSymbol = "tapchime_module_read";
inline constexpr const char *kModuleWriteAacSymbol = "tapchime_module_write_aac";
}
