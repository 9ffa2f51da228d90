// libFuzzer target: the one way audio enters the program (FFmpeg decoding, trimming, normalizing) on
// arbitrary bytes. A file is a sound within the shared format's bounds, or a DecodeError.

#include "FuzzFolder.h"
#include "engine/SoundLibrary.h"
#include "engine/linux/ffmpeg/FfmpegDecoder.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace tc;
    static SoundLibrary library(std::make_shared<FfmpegDecoder>(), fuzz::folder() / "Sounds",
                                fuzz::folder() / "resources");
    const auto file = fuzz::folder() / "sound";
    fuzz::writeFile(file, std::string_view(reinterpret_cast<const char *>(data), size));

    AudioBuffer buffer;
    try {
        buffer = library.decode(file);
    } catch (const AudioDecodeError &) {
        return 0;
    }
    if (buffer.frames() == 0 || buffer.frames() > SoundLibrary::kMaxFrames ||
        (!buffer.isMono() && buffer.right.size() != buffer.frames())) {
        fuzz::fail("a decoded sound has a length out of bounds");
    }
    for (int channel = 0; channel < buffer.channels(); ++channel) {
        for (float sample : buffer.channel(channel)) {
            if (!std::isfinite(sample) || std::fabs(sample) > 0.9f + 1e-4f) {
                fuzz::fail("a decoded sound has a sample out of bounds");
            }
        }
    }
    return 0;
}
