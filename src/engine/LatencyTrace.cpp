#include "engine/LatencyTrace.h"

#include <chrono>
#include <cstdlib>
#include <pthread.h>
#include <sched.h>

namespace tc {

namespace {

// When the event now being handled on this thread arrived; 0 on threads that handle no key events.
thread_local uint64_t tlsReceived = 0;

// A record whose sound has not been rendered this long after play() is written without a render time.
constexpr uint64_t kUnrenderedAfter = 2'000'000'000;
constexpr auto kPendingPoll = std::chrono::milliseconds(20);

} // namespace

std::unique_ptr<LatencyTrace> LatencyTrace::fromEnvironment() {
    const char *path = std::getenv(kEnvironmentVariable);
    if (!path || !*path) {
        return nullptr;
    }
    std::FILE *file = std::fopen(path, "w");
    if (!file) {
        return nullptr;
    }
    return std::make_unique<LatencyTrace>(file);
}

LatencyTrace::LatencyTrace(std::FILE *file) : file_(file) {
    writer_ = std::thread([this] {
        pthread_setname_np(pthread_self(), "Tapchime.trace");
        // Lowest priority: the writer must never compete with the keyboard or audio thread.
        sched_param parameters{};
        pthread_setschedparam(pthread_self(), SCHED_IDLE, &parameters);
        run();
    });
}

LatencyTrace::~LatencyTrace() {
    quit_.store(true, std::memory_order_release);
    wakeups_.fetch_add(1, std::memory_order_release);
    wakeups_.notify_one();
    writer_.join();
    drain(true);
    std::fclose(file_);
}

uint64_t LatencyTrace::now() noexcept {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

void LatencyTrace::keyReceived() noexcept {
    tlsReceived = now();
}

void LatencyTrace::beginPost(uint64_t serial) noexcept {
    Slot &slot = slots_[serial % kSlots];
    slot.done.store(0, std::memory_order_relaxed);
    slot.received.store(tlsReceived, std::memory_order_relaxed);
    slot.returned.store(0, std::memory_order_relaxed);
    slot.rendered.store(0, std::memory_order_relaxed);
    slot.latency.store(-1, std::memory_order_relaxed);
    slot.serial.store(serial, std::memory_order_release);
}

void LatencyTrace::posted(uint64_t serial) noexcept {
    slots_[serial % kSlots].returned.store(now(), std::memory_order_release);
    lastPosted_.store(serial, std::memory_order_release);
    wakeups_.fetch_add(1, std::memory_order_release);
    wakeups_.notify_one();
}

void LatencyTrace::beginRender(int64_t latencyMicroseconds) noexcept {
    renderTime_ = now();
    renderLatency_ = latencyMicroseconds;
}

void LatencyTrace::applied(uint64_t serial) noexcept {
    // An output that does not report its latency leaves the time of this call and an unknown latency.
    const uint64_t rendered = renderTime_ != 0 ? renderTime_ : now();
    // Commands are applied in serial order, so everything after the last applied one up to `serial` started
    // sounding in this render. Serials that carry no record (stop commands) are skipped by the test below.
    for (uint64_t s = lastApplied_ + 1; s <= serial; ++s) {
        Slot &slot = slots_[s % kSlots];
        if (slot.serial.load(std::memory_order_acquire) != s) {
            continue;
        }
        slot.rendered.store(rendered, std::memory_order_relaxed);
        slot.latency.store(renderLatency_, std::memory_order_relaxed);
        slot.done.store(s, std::memory_order_release);
    }
    if (serial > lastApplied_) {
        lastApplied_ = serial;
    }
    renderTime_ = 0;
    renderLatency_ = -1;
}

void LatencyTrace::mark(const std::string &name) {
    std::lock_guard guard(fileMutex_);
    std::fprintf(file_, "mark %s time=%llu\n", name.c_str(), static_cast<unsigned long long>(now()));
    std::fflush(file_);
}

void LatencyTrace::flush() {
    drain(true);
}

bool LatencyTrace::drain(bool force) {
    std::lock_guard guard(fileMutex_);
    const uint64_t last = lastPosted_.load(std::memory_order_acquire);
    bool wrote = false;
    bool pending = false;
    for (; next_ <= last; ++next_) {
        const Slot &slot = slots_[next_ % kSlots];
        if (slot.serial.load(std::memory_order_acquire) != next_) {
            continue; // a command without a record, or a record already overwritten by a newer one
        }
        const uint64_t received = slot.received.load(std::memory_order_relaxed);
        const uint64_t returned = slot.returned.load(std::memory_order_acquire);
        if (returned == 0) {
            continue; // a command whose post failed; its serial went to the next one
        }
        uint64_t rendered = 0;
        int64_t latency = -1;
        if (slot.done.load(std::memory_order_acquire) == next_) {
            rendered = slot.rendered.load(std::memory_order_relaxed);
            latency = slot.latency.load(std::memory_order_relaxed);
        } else if (!force && now() - returned < kUnrenderedAfter) {
            pending = true;
            break;
        }
        if (slot.serial.load(std::memory_order_acquire) != next_) {
            continue; // overwritten while being read
        }
        std::fprintf(file_, "key serial=%llu received=%llu returned=%llu rendered=%llu latency_us=%lld\n",
                     static_cast<unsigned long long>(next_), static_cast<unsigned long long>(received),
                     static_cast<unsigned long long>(returned), static_cast<unsigned long long>(rendered),
                     static_cast<long long>(latency));
        wrote = true;
    }
    if (wrote) {
        std::fflush(file_);
    }
    return pending;
}

void LatencyTrace::run() {
    while (!quit_.load(std::memory_order_acquire)) {
        const uint32_t seen = wakeups_.load(std::memory_order_acquire);
        if (drain(false)) {
            std::this_thread::sleep_for(kPendingPoll); // a record waits for its render
        } else {
            wakeups_.wait(seen, std::memory_order_acquire); // nothing in flight: sleep until the next record
        }
    }
}

} // namespace tc
