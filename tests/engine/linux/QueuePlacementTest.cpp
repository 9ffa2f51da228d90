// The output's placement strategy follows what the server says it is, and the read clock learns from the
// server's timing reports where the graph will read next, never placing a sound where it has read already.

#include "engine/linux/QueuePlacement.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace tc;

namespace {

// A graph that jumps its read position by `quantum` frames every quantum, the first jump at `startUs`.
struct Graph {
    uint64_t quantum;
    int64_t startUs;
    uint64_t readAt(int64_t timeUs) const {
        if (timeUs < startUs) {
            return 0;
        }
        const auto frames = static_cast<uint64_t>((timeUs - startUs) * 48'000 / 1'000'000);
        return (frames / quantum + 1) * quantum;
    }
};

// Moments 100 to 300 ms apart, as the output's report timer makes them.
std::vector<int64_t> reportMoments(int64_t fromUs, size_t count, uint32_t seed) {
    std::vector<int64_t> moments;
    int64_t at = fromUs;
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        at += 100'000 + static_cast<int64_t>((seed >> 8) % 200'000);
        moments.push_back(at);
    }
    return moments;
}

} // namespace

TEST(QueuePlacement, StrategyFollowsTheServersNameAndVersion) {
    struct Case {
        const char *name;
        const char *version;
        PlacementStrategy expected;
    };
    const Case cases[] = {
        {"pulseaudio", "16.1", PlacementStrategy::sinkLatency},
        {"pulseaudio", "15.99.1", PlacementStrategy::sinkLatency},
        // pipewire-pulse gives a PulseAudio version of its own; the name says what runs.
        {"PulseAudio (on PipeWire 0.3.65)", "15.0.0", PlacementStrategy::serverQuantum},
        {"PulseAudio (on PipeWire 0.3.48)", "15.0.0", PlacementStrategy::serverQuantum},
        {"PulseAudio (on PipeWire 1.2.7)", "15.0.0", PlacementStrategy::serverQuantum},
        // A server that does not say what it is: the PulseAudio API taken at its word.
        {"", "", PlacementStrategy::sinkLatency},
        {"some other server", "1.0", PlacementStrategy::sinkLatency},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(placementStrategyFor(c.name, c.version), c.expected) << c.name << " " << c.version;
    }
}

TEST(QueuePlacement, QuantumIsLearnedFromTheReadPositionsOfVariedReports) {
    struct Case {
        const char *what;
        std::vector<uint64_t> reads; // about 120 ms apart
        uint32_t expected;           // 0: unknown
    };
    const Case cases[] = {
        {"nothing yet", {}, 0},
        {"one report", {5888}, 0},
        {"256 frames", {0, 5632, 11520, 17152, 23040}, 256},
        {"1024 frames", {1024, 6144, 12288, 17408}, 1024},
        {"repeated report", {2560, 2560, 8192, 8192, 14080}, 256},
        // Reports that all come at one moment of the cycle (with the refills) say nothing.
        {"equal steps", {0, 6144, 12288, 18432}, 0},
        // A step that is no whole quantum (the server read part of one) is not trusted.
        {"partial read", {0, 5632, 5640, 11264}, 0},
        // A read position that goes back is a new stream: only what follows counts.
        {"new stream", {40960, 46080, 0, 5632, 11520}, 256},
    };
    for (const Case &c : cases) {
        ServerReadClock clock;
        int64_t at = 0;
        for (size_t i = 0; i < c.reads.size(); ++i) {
            // Each report a little after the jump to its read position.
            at = static_cast<int64_t>(1'000'000 + (c.reads[i] + 10 + 3 * i) * 1'000'000 / 48'000);
            clock.addReport(at, c.reads[i]);
        }
        EXPECT_EQ(clock.quantumFrames(), c.expected == 0 ? ServerReadClock::kUnknownFrames : c.expected) << c.what;
        if (c.expected == 0) {
            EXPECT_FALSE(clock.firstUntakenFrame(at).has_value()) << c.what;
        }
    }
}

TEST(QueuePlacement, FirstUntakenFrameIsNeverOneTheGraphHasReadAndMostlyTheNextItReads) {
    for (const uint64_t quantum : {256u, 1024u}) {
        const Graph graph{quantum, 2'000'000};
        ServerReadClock clock;
        const std::vector<int64_t> moments = reportMoments(graph.startUs + 1000, 40, 7);
        size_t asked = 0;
        size_t next = 0;
        for (size_t i = 0; i < moments.size(); ++i) {
            // Now and then the server is late for a cycle by a sixteenth of a quantum: the report still sees
            // the position before the jump.
            const int64_t late = i % 5 == 3 ? static_cast<int64_t>(quantum * 1'000'000 / 48'000 / 16) : 0;
            clock.addReport(moments[i], graph.readAt(moments[i] - late));
            if (i + 1 < ServerReadClock::kTimedReports) {
                EXPECT_FALSE(clock.firstUntakenFrame(moments[i] + 1).has_value()) << "report " << i;
                continue; // still learning
            }
            ASSERT_EQ(clock.quantumFrames(), quantum) << "report " << i;
            // Moments between this report and the next, 0.3 ms apart.
            const int64_t until = i + 1 < moments.size() ? moments[i + 1] : moments[i] + 100'000;
            for (int64_t at = moments[i] + 1; at < until; at += 300) {
                const auto untaken = clock.firstUntakenFrame(at);
                ASSERT_TRUE(untaken.has_value());
                const uint64_t read = graph.readAt(at);
                ASSERT_GE(*untaken, read) << "quantum " << quantum << " at " << at;
                ASSERT_LE(*untaken, read + quantum) << "quantum " << quantum << " at " << at;
                ++asked;
                next += *untaken == read ? 1 : 0;
            }
        }
        // A jump counted too soon costs one cycle, and only in the eighth of a quantum before a jump (and the
        // earliest report's distance from its jump).
        EXPECT_GT(static_cast<double>(next) / static_cast<double>(asked), 0.65) << "quantum " << quantum;
    }
}

TEST(QueuePlacement, AStreamThatStalledOrAChangedQuantumIsFollowedSafely) {
    // Every moment from `from` on, 0.3 ms apart: the frame given is one the graph has not read yet.
    auto checkSafe = [](const ServerReadClock &clock, const std::function<uint64_t(int64_t)> &readAt, int64_t from,
                        const char *what) {
        for (int64_t at = from; at < from + 60'000; at += 300) {
            if (const auto untaken = clock.firstUntakenFrame(at)) {
                ASSERT_GE(*untaken, readAt(at)) << what << " at " << at;
            }
        }
    };
    const Graph graph{256, 0};
    const std::vector<int64_t> moments = reportMoments(1000, 12, 3);
    ServerReadClock clock;
    for (int64_t at : moments) {
        clock.addReport(at, graph.readAt(at));
    }
    ASSERT_EQ(clock.quantumFrames(), 256u);

    // The stream ran dry and missed ten cycles before it went on: its positions lag the pace from then on.
    const auto lagging = [&](int64_t at) { return graph.readAt(at) - 10 * 256; };
    for (int64_t at : reportMoments(moments.back(), 6, 5)) {
        clock.addReport(at, lagging(at));
        EXPECT_EQ(clock.quantumFrames(), 256u) << "the quantum stays";
        checkSafe(clock, lagging, at + 1, "after the wait");
    }

    // The graph changes to 1024-frame quanta: learned from the reports that follow, and safe from then on.
    ServerReadClock changed;
    for (int64_t at : moments) {
        changed.addReport(at, graph.readAt(at));
    }
    const Graph larger{1024, moments.back() + 3000};
    const uint64_t base = graph.readAt(moments.back());
    const auto afterChange = [&](int64_t at) { return base + larger.readAt(at); };
    for (int64_t at : reportMoments(larger.startUs, 24, 11)) {
        changed.addReport(at, afterChange(at));
        if (changed.quantumFrames() == 1024u) {
            checkSafe(changed, afterChange, at + 1, "after the change");
        }
    }
    EXPECT_EQ(changed.quantumFrames(), 1024u);
}

// Where the stream plays, from the last timing report: never before where it may have got to. A stream the server
// reported stopped (a fresh one, or one PipeWire stopped to move it to another sink) may have started again on
// its own since; only one the output corked itself stays where it stopped.
TEST(FramePlayedAt, NeverLiesBeforeWhereTheStreamMayHaveGotTo) {
    constexpr int64_t kReportUs = 5'000'000;
    struct Case {
        const char *what;
        ReportedPlay report;
        int64_t nowUs;
        bool held;
        int64_t resumedUs;
        uint64_t expected;
    };
    const Case cases[] = {
        {"playing, 10 ms on", {9600, 480, true, kReportUs}, kReportUs + 10'000, false, 0, 9600 - 480 + 480},
        {"playing, the sink holding more than was read", {100, 480, true, kReportUs}, kReportUs, false, 0, 0},
        {"corked here a second ago", {9600, 0, false, kReportUs}, kReportUs + 1'000'000, true, 0, 9600},
        {"stopped by the server 75 ms ago", {6144, 0, false, kReportUs}, kReportUs + 75'000, false, 0, 6144 + 3600},
        {"uncorked 20 ms ago after two seconds corked",
         {9600, 0, false, kReportUs},
         kReportUs + 2'000'000,
         false,
         kReportUs + 1'980'000,
         9600 + 960},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(framePlayedAt(c.report, c.nowUs, c.held, c.resumedUs), c.expected);
    }
}
