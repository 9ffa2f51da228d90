#pragma once

#include "app/Timers.h"

namespace tc {

// Timers on the Qt event loop of the main thread (QTimer, precise timer type).
class QtTimers final : public Timers {
public:
    std::unique_ptr<Pending> after(double seconds, std::function<void()> task) override;
};

} // namespace tc
