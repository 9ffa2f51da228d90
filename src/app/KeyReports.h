#pragma once

#include "engine/SpscQueue.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tc {

// The keyboard thread's reports to the main thread: each key down and up, and each sound played, for the held
// keys and the day's count. The keyboard thread (the one producer) adds a report without a lock or an
// allocation, into a bounded queue; the main thread takes every waiting report, in order, when it is woken.
//
// A queue the main thread leaves full (a window frozen for a thousand key events) loses the reports that do
// not fit; take() then ends with one `lost` report that counts them, so the owner can let every key go and
// still count the presses.
class KeyReports {
public:
    // The longest sound id a report carries ("user." and a UUID need 41 characters).
    static constexpr std::size_t kMaxSoundID = 63;
    static constexpr std::size_t kCapacity = 1024;

    struct Report {
        enum class Kind : std::uint8_t { down, up, played, lost };
        Kind kind = Kind::down;
        std::uint16_t code = 0;
        std::uint8_t idLength = 0;
        std::array<char, kMaxSoundID> id{}; // the sound played (`played`)
        std::uint32_t lostPlays = 0;        // the plays among the lost reports (`lost`)

        std::string_view soundID() const { return {id.data(), idLength}; }
    };

    // Keyboard thread. False when the report did not fit (it is counted as lost).
    bool key(std::uint16_t code, bool isDown) {
        Report report;
        report.kind = isDown ? Report::Kind::down : Report::Kind::up;
        report.code = code;
        return add(report, false);
    }
    // Keyboard thread. A sound id longer than kMaxSoundID is not taken: false, and nothing is queued (the caller
    // reports it another way).
    bool played(std::uint16_t code, std::string_view soundID) {
        if (soundID.size() > kMaxSoundID) {
            return false;
        }
        Report report;
        report.kind = Report::Kind::played;
        report.code = code;
        report.idLength = static_cast<std::uint8_t>(soundID.size());
        soundID.copy(report.id.data(), soundID.size());
        return add(report, true);
    }

    // Main thread: hands every waiting report to `handle`, in order, then the `lost` report when some were lost.
    template <typename Handle> void take(Handle &&handle) {
        Report report;
        while (queue_.pop(report)) {
            handle(static_cast<const Report &>(report));
        }
        const std::uint32_t lost = lost_.exchange(0);
        if (lost > 0) {
            Report summary;
            summary.kind = Report::Kind::lost;
            summary.lostPlays = lostPlays_.exchange(0);
            handle(static_cast<const Report &>(summary));
        }
    }

private:
    bool add(const Report &report, bool play) {
        if (queue_.push(report)) {
            return true;
        }
        if (play) {
            lostPlays_.fetch_add(1);
        }
        lost_.fetch_add(1);
        return false;
    }

    SpscQueue<Report, kCapacity> queue_;
    std::atomic<std::uint32_t> lost_{0};
    std::atomic<std::uint32_t> lostPlays_{0};
};

} // namespace tc
