#pragma once

#include <functional>
#include <memory>

namespace tc {

// Delayed calls on the main thread. The program uses QtTimers; tests use a fake whose clock they advance, so
// timed behaviour (the notice panel's 1.8 s and 6.0 s, its fades) is tested without waiting.
class Timers {
public:
    // One scheduled call. Destroying the handle cancels the call; that is harmless after it ran, and allowed
    // from inside the call itself.
    class Pending {
    public:
        virtual ~Pending() = default;
    };

    virtual ~Timers() = default;

    // Runs task once, `seconds` from now, on the main thread. Called on the main thread.
    [[nodiscard]] virtual std::unique_ptr<Pending> after(double seconds, std::function<void()> task) = 0;
};

} // namespace tc
