#pragma once

#include "engine/FrontmostAppSource.h"
#include "engine/MicrophoneActivitySource.h"
#include "engine/OutputVolume.h"
#include "engine/RunningAppsSource.h"
#include "engine/SecureInputSource.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tc::test {

// Fakes of the system-state sources. A test keeps a State handle after handing the fake to its owner and
// changes what the fake says through it.

class FakeFrontmostAppSource final : public FrontmostAppSource {
public:
    struct State {
        std::mutex lock;
        Handler handler;
        int starts = 0;
    };

    explicit FakeFrontmostAppSource(std::shared_ptr<State> state) : state_(std::move(state)) {}
    void start(Handler handler) override {
        std::lock_guard guard(state_->lock);
        state_->handler = std::move(handler);
        ++state_->starts;
    }

    // Reports an activation the way a real source does: from a thread of its own.
    static void activate(State &state, AppIdentity app) {
        Handler handler;
        {
            std::lock_guard guard(state.lock);
            handler = state.handler;
        }
        if (handler) {
            std::thread([&handler, &app] { handler(app); }).join();
        }
    }

private:
    std::shared_ptr<State> state_;
};

class FakeMicrophoneActivitySource final : public MicrophoneActivitySource {
public:
    explicit FakeMicrophoneActivitySource(std::shared_ptr<std::atomic<bool>> inUse) : inUse_(std::move(inUse)) {}
    bool microphoneInUse() const override { return *inUse_; }

private:
    std::shared_ptr<std::atomic<bool>> inUse_;
};

class FakeSecureInputSource final : public SecureInputSource {
public:
    explicit FakeSecureInputSource(std::shared_ptr<std::atomic<bool>> on) : on_(std::move(on)) {}
    bool secureInputOn() const override { return *on_; }

private:
    std::shared_ptr<std::atomic<bool>> on_;
};

class FakeOutputVolume final : public OutputVolume {
public:
    std::atomic<bool> muted = false;
    std::atomic<double> loudest = 1.0;
    bool isSilent() const override { return silentFor(muted, loudest); }
};

// Lists what the test put in `apps`, counting the calls (the namer is not asked).
class FakeRunningAppsSource final : public RunningAppsSource {
public:
    std::vector<AppIdentity> list(const Namer &) override {
        ++calls;
        return apps;
    }

    std::vector<AppIdentity> apps;
    int calls = 0;
};

} // namespace tc::test
