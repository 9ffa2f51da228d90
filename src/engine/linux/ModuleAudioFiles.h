#pragma once

#include "engine/AudioDecoder.h"
#include "engine/linux/FfmpegModule.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace tc {

// The program's audio decoder: FfmpegDecoder, reached through the FFmpeg module while it reads. A module that
// cannot be loaded makes every file unreadable. Thread: any.
class ModuleDecoder final : public AudioDecoder {
public:
    explicit ModuleDecoder(std::shared_ptr<const FfmpegModule> module) : module_(std::move(module)) {}
    AudioBuffer read(const std::filesystem::path &path) const override;

private:
    std::shared_ptr<const FfmpegModule> module_;
};

// Writes a take's mono samples to an AAC file, as AacFileWriter::write does: whether it was written, and why not.
using AacWriter = std::function<bool(const float *samples, size_t frames, int sampleRate,
                                     const std::filesystem::path &file, std::string &error)>;

// AacFileWriter, reached through the FFmpeg module while it writes.
AacWriter moduleAacWriter(std::shared_ptr<const FfmpegModule> module);

} // namespace tc
