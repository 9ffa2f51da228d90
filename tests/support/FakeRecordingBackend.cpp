#include "support/FakeRecordingBackend.h"

namespace tc::test {

namespace {

class FakeTake final : public RecordingTake {
public:
    FakeTake(std::shared_ptr<FakeRecordingBackend::Take> take, const FakeRecordingBackend &backend)
        : take_(std::move(take)), backend_(backend) {}
    ~FakeTake() override {
        take_->destroyed = true;
        take_->recording = false;
        take_->onFinish = nullptr;
    }

    StartResult record(double maxSeconds, std::function<void(bool)> onFinish) override {
        take_->maxSeconds = maxSeconds;
        if (backend_.startResult != StartResult::started) {
            return backend_.startResult;
        }
        take_->started = true;
        take_->recording = true;
        take_->onFinish = std::move(onFinish);
        return StartResult::started;
    }
    void stop() override {
        ++take_->stops;
        if (take_->recording && backend_.finishOnStop) {
            take_->finish(true);
        }
    }
    bool isRecording() const override { return take_->recording; }
    float averagePowerDb() override { return take_->powerDb; }
    double currentTime() const override { return take_->time; }

private:
    std::shared_ptr<FakeRecordingBackend::Take> take_;
    const FakeRecordingBackend &backend_;
};

} // namespace

std::unique_ptr<RecordingTake> FakeRecordingBackend::createTake(const std::filesystem::path &file) {
    if (createError) {
        throw RecordingError(*createError);
    }
    auto take = std::make_shared<Take>();
    take->file = file;
    takes.push_back(take);
    return std::make_unique<FakeTake>(take, *this);
}

} // namespace tc::test
