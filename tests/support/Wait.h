#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace tc::test {

// Waits until `done` holds, checking every few milliseconds; returns whether it held within `timeout`.
inline bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace tc::test
