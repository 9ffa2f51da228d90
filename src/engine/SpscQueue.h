#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace tc {

// A fixed-size queue between exactly one producer thread and one consumer thread, without locks or
// allocation: push() and pop() never wait. `Capacity` must be a power of two. Several producers must be
// serialised by the caller (the audio engine does it with its lock).
template <typename T, size_t Capacity> class SpscQueue {
    static_assert(Capacity > 0 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

public:
    // Producer side. False when the queue is full (the value is not queued).
    bool push(const T &value) {
        const size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) == Capacity) {
            return false;
        }
        slots_[tail & (Capacity - 1)] = value;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

    // Consumer side. False when the queue is empty.
    bool pop(T &value) {
        const size_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) {
            return false;
        }
        value = slots_[head & (Capacity - 1)];
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

    // Number of queued values as the producer sees it.
    size_t size() const { return tail_.load(std::memory_order_acquire) - head_.load(std::memory_order_acquire); }
    static constexpr size_t capacity() { return Capacity; }

private:
    std::array<T, Capacity> slots_{};
    alignas(64) std::atomic<size_t> head_{0}; // next slot to read, written by the consumer
    alignas(64) std::atomic<size_t> tail_{0}; // next slot to write, written by the producer
};

} // namespace tc
