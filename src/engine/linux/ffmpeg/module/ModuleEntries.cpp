#include "engine/linux/ffmpeg/module/ModuleEntries.h"
#include "engine/linux/ffmpeg/AacFileWriter.h"
#include "engine/linux/ffmpeg/FfmpegDecoder.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#define TAPCHIME_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// FFmpeg reports every odd file and every encoder's statistics on standard error; callers report failures
// themselves. Set each time the module is loaded, before either entry runs.
[[maybe_unused]] const bool quiet = (av_log_set_level(AV_LOG_QUIET), true);

} // namespace

TAPCHIME_EXPORT std::int32_t tapchime_module_read(const char *path, tc::AudioBuffer *out) {
    try {
        static const tc::FfmpegDecoder decoder;
        *out = decoder.read(path);
        return kModuleReadOk;
    } catch (const tc::AudioDecodeError &error) {
        return static_cast<std::int32_t>(error.kind()) + 1;
    } catch (const std::bad_alloc &) {
        return kModuleOutOfMemory;
    } catch (...) {
        return static_cast<std::int32_t>(tc::AudioDecodeError::Kind::unreadable) + 1;
    }
}

TAPCHIME_EXPORT std::int32_t tapchime_module_write_aac(const float *samples, std::size_t frames,
                                                       std::int32_t sampleRate, const char *path, char *error,
                                                       std::size_t errorSize) {
    std::string why;
    bool written = false;
    try {
        written = tc::AacFileWriter::write(samples, frames, sampleRate, path, why);
    } catch (const std::exception &e) {
        why = e.what();
    }
    if (!written && error && errorSize > 0) {
        const std::size_t length = std::min(why.size(), errorSize - 1);
        std::memcpy(error, why.data(), length);
        error[length] = '\0';
    }
    return written ? 1 : 0;
}
