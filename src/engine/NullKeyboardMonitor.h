#pragma once

#include "engine/KeyboardMonitor.h"

namespace tc {

// A keyboard monitor that hears nothing, for builds and runs without any keyboard backend: start() always
// fails, so the program reports that it cannot hear the keyboard. Main thread only.
class NullKeyboardMonitor final : public KeyboardMonitor {
public:
    void setHandler(Handler) override {}
    bool start() override { return false; }
    bool isRunning() const override { return false; }
};

} // namespace tc
