#pragma once

#include "engine/RecordingBackend.h"
#include "engine/linux/ModuleAudioFiles.h"
#include "engine/linux/PulseContext.h"

#include <chrono>

namespace tc {

// Microphone takes from the PulseAudio server's default source (48 kHz mono float), encoded with FFmpeg's
// AAC encoder (48 kHz, mono) into an MPEG-4 (.m4a) file. Linux has no per-application microphone permission:
// authorization is always `authorized`; a server that refuses the record stream gives `refused`.
// Each take has its own server connection and thread; connecting and opening its stream take at most
// `openTimeout`. The file is encoded when the take ends and written through a temporary file in the same folder.
class PulseRecordingBackend final : public RecordingBackend {
public:
    explicit PulseRecordingBackend(AacWriter writer, std::chrono::milliseconds openTimeout = PulseContext::kTimeout)
        : writer_(std::move(writer)), openTimeout_(openTimeout) {}
    Authorization authorization() const override { return Authorization::authorized; }
    void requestAccess(std::function<void(bool)> answer) override { answer(true); }
    std::unique_ptr<RecordingTake> createTake(const std::filesystem::path &file) override;

private:
    AacWriter writer_;
    std::chrono::milliseconds openTimeout_;
};

} // namespace tc
