#include "engine/linux/ModuleAudioFiles.h"

#include <array>
#include <new>

namespace tc {

AudioBuffer ModuleDecoder::read(const std::filesystem::path &path) const {
    AudioBuffer buffer;
    std::int32_t result = kModuleReadOk;
    if (!module_->with([&](const FfmpegModule::Entries &entries) { result = entries.read(path.c_str(), &buffer); })) {
        throw AudioDecodeError(AudioDecodeError::Kind::unreadable);
    }
    if (result == kModuleOutOfMemory) {
        throw std::bad_alloc();
    }
    if (result != kModuleReadOk) {
        using Kind = AudioDecodeError::Kind;
        const std::int32_t kind = result - 1;
        const bool known = kind >= static_cast<std::int32_t>(Kind::unreadable) &&
                           kind <= static_cast<std::int32_t>(AudioDecodeError::kLastKind);
        throw AudioDecodeError(known ? static_cast<Kind>(kind) : Kind::unreadable);
    }
    return buffer;
}

AacWriter moduleAacWriter(std::shared_ptr<const FfmpegModule> module) {
    return [module = std::move(module)](const float *samples, size_t frames, int sampleRate,
                                        const std::filesystem::path &file, std::string &error) {
        std::array<char, 512> why{};
        std::int32_t written = 0;
        if (!module->with([&](const FfmpegModule::Entries &entries) {
                written = entries.writeAac(samples, frames, sampleRate, file.c_str(), why.data(), why.size());
            })) {
            error = "the audio encoder could not be loaded";
            return false;
        }
        if (!written) {
            error = why.data();
        }
        return written != 0;
    };
}

} // namespace tc
