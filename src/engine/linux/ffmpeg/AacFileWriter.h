#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace tc {

// Encodes mono float samples with FFmpeg's AAC encoder into an MPEG-4 audio file (.m4a), written to a
// temporary file in the same folder and renamed over `file` once complete. Any thread; no shared state.
struct AacFileWriter {
    static constexpr long kBitRate = 96000; // bits per second: clear speech and clicks from one channel

    // Returns whether the file was written; on failure `error` says why and no file is left behind.
    static bool write(const float *samples, size_t frames, int sampleRate, const std::filesystem::path &file,
                      std::string &error);
};

} // namespace tc
