#include "engine/RecordingBackend.h"

namespace tc {

namespace {

// A take on a system without a sound server: it never starts.
class NullTake final : public RecordingTake {
public:
    StartResult record(double, std::function<void(bool)>) override { return StartResult::unavailable; }
    void stop() override {}
    bool isRecording() const override { return false; }
    float averagePowerDb() override { return -160; }
    double currentTime() const override { return 0; }
};

} // namespace

std::unique_ptr<RecordingTake> NullRecordingBackend::createTake(const std::filesystem::path &) {
    return std::make_unique<NullTake>();
}

} // namespace tc
