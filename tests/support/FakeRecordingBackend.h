#pragma once

#include "engine/RecordingBackend.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tc::test {

// A recording backend a test drives by hand: it answers the permission request, decides whether takes start,
// sets each take's level and time, and ends takes. Records every call.
class FakeRecordingBackend final : public RecordingBackend {
public:
    // What the test sees of one take.
    struct Take {
        std::filesystem::path file;
        bool started = false;
        bool recording = false;
        bool destroyed = false;
        int stops = 0;
        double maxSeconds = 0;
        float powerDb = -160;
        double time = 0;
        std::function<void(bool)> onFinish;

        // Ends the take the way the platform does: recording stops, then the finish report (on any thread).
        void finish(bool successfully) {
            recording = false;
            if (onFinish) {
                auto report = std::move(onFinish);
                onFinish = nullptr;
                report(successfully);
            }
        }
    };

    Authorization status = Authorization::authorized;
    std::optional<std::string> createError; // createTake throws this when set
    RecordingTake::StartResult startResult = RecordingTake::StartResult::started;
    bool finishOnStop = true; // stop() reports the finish at once, from inside stop()

    std::vector<std::shared_ptr<Take>> takes;
    std::vector<std::function<void(bool)>> pendingAnswers;
    int accessRequests = 0;

    Authorization authorization() const override { return status; }
    void requestAccess(std::function<void(bool)> answer) override {
        ++accessRequests;
        pendingAnswers.push_back(std::move(answer));
    }
    std::unique_ptr<RecordingTake> createTake(const std::filesystem::path &file) override;

    // Answers the oldest open permission request.
    void answer(bool granted) {
        auto answerFunction = std::move(pendingAnswers.front());
        pendingAnswers.erase(pendingAnswers.begin());
        answerFunction(granted);
    }
    size_t liveTakes() const {
        size_t live = 0;
        for (const auto &take : takes) {
            live += take->destroyed ? 0 : 1;
        }
        return live;
    }
};

} // namespace tc::test
