#pragma once

#include "engine/KeyHandlerSlot.h"
#include "engine/KeyboardMonitor.h"

#include <cstdint>
#include <string>

namespace tc::test {

// A keyboard monitor that tests press keys on. start() answers what the test says and counts its calls;
// the key methods call the handler at once on the calling thread, which stands for the monitor's thread.
class FakeKeyboardMonitor final : public KeyboardMonitor {
public:
    void setHandler(Handler handler) override {
        ++setHandlerCalls;
        slot_.set(std::move(handler));
    }
    bool start() override {
        ++startCalls;
        running_ = running_ || startSucceeds;
        return running_;
    }
    bool isRunning() const override { return running_; }

    bool hasHandler() const { return slot_.hasHandler(); }

    // Delivers one event as it is.
    void send(const KeyEvent &event) { slot_.dispatch(event); }
    void down(std::uint16_t code, std::uint64_t flags = 0, std::string characters = {}, bool isRepeat = false) {
        send(KeyEvent{code, true, isRepeat, flags, std::move(characters)});
    }
    void up(std::uint16_t code, std::uint64_t flags = 0, std::string characters = {}) {
        send(KeyEvent{code, false, false, flags, std::move(characters)});
    }
    // A key down followed by its key up.
    void press(std::uint16_t code, std::uint64_t flags = 0, const std::string &characters = {}) {
        down(code, flags, characters);
        up(code, flags, characters);
    }

    bool startSucceeds = true; // what start() answers while it has not yet succeeded
    int startCalls = 0;
    int setHandlerCalls = 0;

private:
    KeyHandlerSlot slot_;
    bool running_ = false;
};

} // namespace tc::test
