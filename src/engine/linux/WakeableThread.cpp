#include "engine/linux/WakeableThread.h"

#include "engine/linux/ThreadName.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tc {

WakeableThread::WakeableThread() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeableThread::~WakeableThread() {
    stop();
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool WakeableThread::start(std::string name, std::function<void()> loop) {
    if (fd_ < 0 || thread_.joinable()) {
        return false;
    }
    stopping_.store(false, std::memory_order_release);
    thread_ = std::thread([name = std::move(name), loop = std::move(loop)] {
        nameCurrentThread(name.c_str());
        loop();
    });
    return true;
}

void WakeableThread::stop() {
    if (!thread_.joinable()) {
        return;
    }
    stopping_.store(true, std::memory_order_release);
    wake();
    thread_.join();
    takeWake();
}

void WakeableThread::wake() {
    if (fd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = write(fd_, &one, sizeof one);
    }
}

bool WakeableThread::takeWake() {
    std::uint64_t count = 0;
    [[maybe_unused]] auto got = read(fd_, &count, sizeof count);
    return stopRequested();
}

} // namespace tc
