// The one way back to the main thread: landings run there in the order delivered, and never once their owner is
// gone.

#include "engine/Landings.h"

#include "support/FakeScheduler.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tc::test {
namespace {

struct LandingsTest : ::testing::Test {
    FakeScheduler mainThread;
    std::unique_ptr<Landings> landings = std::make_unique<Landings>(mainThread);
    std::vector<std::string> landed;
    std::vector<std::thread::id> where;

    Landings::Landing note(std::string what) {
        return [this, what] {
            landed.push_back(what);
            where.push_back(std::this_thread::get_id());
        };
    }
};

TEST_F(LandingsTest, LandOnTheSchedulerThreadInTheOrderDelivered) {
    const auto deliver = landings->deliverer();
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) {
            deliver(note("worker " + std::to_string(i)));
        }
    });
    worker.join();
    landings->deliver(note("main"));
    EXPECT_TRUE(landed.empty()); // nothing runs inside deliver()
    mainThread.runPosted();
    EXPECT_EQ(landed, (std::vector<std::string>{"worker 0", "worker 1", "worker 2", "main"}));
    for (const auto &id : where) {
        EXPECT_EQ(id, std::this_thread::get_id());
    }
}

TEST_F(LandingsTest, LandNowRunsWhatCameInOnceAndTheSchedulerFindsNothingMore) {
    landings->deliver(note("a"));
    landings->deliver(note("b"));
    EXPECT_TRUE(landings->pending());
    landings->landNow();
    EXPECT_EQ(landed, (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(landings->pending());
    mainThread.runPosted();
    EXPECT_EQ(landed.size(), 2u);
}

// Gone before they land, gone in the middle of landing, or delivered afterwards: the owner's landings never run,
// and what they hold is let go.
TEST_F(LandingsTest, NothingLandsOnceTheOwnerIsGone) {
    const auto deliver = landings->deliverer();
    auto held = std::make_shared<int>(0);
    deliver([this, held] { landed.push_back("before"); });
    deliver([this] {
        landed.push_back("ends the owner");
        landings.reset();
    });
    deliver([this, held] { landed.push_back("after the end"); });
    mainThread.runPosted();
    EXPECT_EQ(landed, (std::vector<std::string>{"before", "ends the owner"}));
    EXPECT_EQ(held.use_count(), 1);

    deliver([this, held] { landed.push_back("delivered late"); });
    mainThread.runPosted();
    EXPECT_EQ(landed.size(), 2u);
    EXPECT_EQ(held.use_count(), 1);
}

} // namespace
} // namespace tc::test
