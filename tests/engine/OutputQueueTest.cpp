// The queue an output keeps ahead of what is played, and new sounds placed into it, rendered offline with the
// real mixer and checked by number.

#include "engine/OutputQueue.h"
#include "engine/Mixer.h"
#include "support/AudioSignals.h"

#include <gtest/gtest.h>
#include <vector>

using namespace tc;
using namespace tc::test;

namespace {

Mixer::Command play(uint32_t voice, const AudioBufferPtr &buffer) {
    Mixer::Command command;
    command.voice = voice;
    command.buffer = buffer.get();
    command.gains = {1.0f, 1.0f};
    return command;
}

// A stream that takes what the queue writes, including writes over frames written before.
struct Stream {
    std::vector<float> left;
    void append(const std::vector<float> &interleaved, size_t frames) {
        for (size_t i = 0; i < frames; ++i) {
            left.push_back(interleaved[2 * i]);
        }
    }
    void overwrite(const std::vector<float> &interleaved, size_t frames) {
        const size_t from = left.size() - frames;
        for (size_t i = 0; i < frames; ++i) {
            left[from + i] = interleaved[2 * i];
        }
    }
};

} // namespace

TEST(OutputQueue, NewSoundStartsTheChosenDistanceBeforeTheEndAndContinuesWithoutAGap) {
    struct Case {
        size_t written; // frames queued before the sound comes
        size_t back;    // how far back it is asked to start
        size_t placed;  // how far back it starts
    };
    const Case cases[] = {{500, 200, 200}, {500, 0, 0}, {100, 300, 100}, {20000, 9000, OutputQueue::kHistoryFrames}};
    for (const Case &c : cases) {
        Mixer mixer;
        OutputQueue queue(mixer);
        std::vector<float> out(2 * OutputQueue::kHistoryFrames);
        Stream stream;
        for (size_t done = 0; done < c.written;) {
            const size_t chunk = std::min<size_t>(c.written - done, 1000);
            queue.append(out.data(), chunk);
            stream.append(out, chunk);
            done += chunk;
        }
        ASSERT_EQ(queue.written(), c.written);

        // A ramp, so that every frame of the sound is told apart.
        auto ramp = std::make_shared<AudioBuffer>();
        for (int i = 1; i <= 2000; ++i) {
            ramp->left.push_back(static_cast<float>(i) / 4000.0f);
            ramp->right.push_back(0.0f);
        }
        mixer.post(play(0, ramp));
        const size_t placed = queue.placeNewSounds(c.back, out.data());
        EXPECT_EQ(placed, c.placed) << "back " << c.back;
        stream.overwrite(out, placed);
        EXPECT_EQ(queue.written(), c.written) << "rewriting does not move the end";
        queue.append(out.data(), 3000);
        stream.append(out, 3000);

        const size_t start = c.written - c.placed;
        EXPECT_EQ(stream.left[start - (start > 0 ? 1 : 0)], start > 0 ? 0.0f : 1.0f / 4000.0f) << "back " << c.back;
        for (size_t i = 0; i < 2000; ++i) {
            ASSERT_FLOAT_EQ(stream.left[start + i], static_cast<float>(i + 1) / 4000.0f) << "frame " << i;
        }
        EXPECT_EQ(stream.left[start + 2000], 0.0f);
    }
}

TEST(OutputQueue, PlacedSoundIsMixedIntoWhatWasQueuedAndTheQueueRemembersTheSum) {
    Mixer mixer;
    OutputQueue queue(mixer);
    std::vector<float> out(2 * OutputQueue::kHistoryFrames);
    Stream stream;
    const auto quiet = constantBuffer(4000, 0.25f, 0.25f);
    const auto loud = constantBuffer(4000, 0.5f, 0.5f); // the mixer reads buffers its caller keeps alive
    mixer.post(play(0, quiet));
    mixer.renderNewSounds(out.data(), out.data() + 1, 0); // starts at the very beginning
    queue.append(out.data(), 1000);
    stream.append(out, 1000);

    mixer.post(play(1, loud));
    stream.overwrite(out, queue.placeNewSounds(600, out.data()));
    EXPECT_FLOAT_EQ(stream.left[399], 0.25f);
    EXPECT_FLOAT_EQ(stream.left[400], 0.75f);
    EXPECT_FLOAT_EQ(stream.left[999], 0.75f);

    // A third sound over part of the same place adds to the sum already there (1.25), which the master stage
    // brings under full scale; the frames appended next go on with the gain the rewrite left.
    mixer.post(play(2, loud));
    stream.overwrite(out, queue.placeNewSounds(100, out.data()));
    EXPECT_FLOAT_EQ(stream.left[899], 0.75f);
    EXPECT_GT(stream.left[900], 0.95f);
    EXPECT_LT(stream.left[900], 1.0f);
    EXPECT_NEAR(stream.left[999], MasterLimiter::kThreshold, 0.01f);
    queue.append(out.data(), 10);
    stream.append(out, 10);
    EXPECT_NEAR(stream.left[1000], stream.left[999], 5e-4f);
}

TEST(OutputQueue, ResetForgetsTheQueue) {
    Mixer mixer;
    OutputQueue queue(mixer);
    std::vector<float> out(2 * OutputQueue::kHistoryFrames);
    const auto sound = constantBuffer(4000, 0.5f, 0.5f);
    mixer.post(play(0, sound));
    queue.placeNewSounds(0, out.data());
    queue.append(out.data(), 500);
    queue.reset();
    EXPECT_EQ(queue.written(), 0u);
    mixer.post(play(1, sound));
    EXPECT_EQ(queue.placeNewSounds(100, out.data()), 0u) << "nothing queued to start in";
}

TEST(OutputQueue, ASoundPlacedIntoTheQueueIsLimitedAsIfItHadStartedThere) {
    struct Case {
        size_t written; // frames queued before the sound comes
        size_t back;    // how far back it starts
    };
    // Loud voices that the limiter holds down already, and a loud sound placed among them: before the end of an
    // earlier rewrite, across a stretch boundary, as far back as the queue keeps.
    const Case cases[] = {{3000, 700}, {3000, 1}, {5000, 2500}, {20000, OutputQueue::kHistoryFrames}};
    const auto hum = toneBuffer(1.0, 220.0, 0.6f);
    const auto buzz = toneBuffer(1.0, 331.0, 0.6f);
    const auto onset = constantBuffer(600, 0.9f, -0.9f);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "written " << c.written << " back " << c.back);
        const size_t start = c.written - c.back;
        const size_t total = c.written + 2000;

        Mixer mixer;
        OutputQueue queue(mixer);
        std::vector<float> out(2 * OutputQueue::kHistoryFrames);
        Stream stream;
        mixer.post(play(0, hum));
        mixer.post(play(1, buzz));
        mixer.renderNewSounds(out.data(), out.data() + 1, 0);
        for (size_t done = 0; done < c.written; done += 1000) {
            queue.append(out.data(), std::min<size_t>(1000, c.written - done));
            stream.append(out, std::min<size_t>(1000, c.written - done));
        }
        mixer.post(play(2, onset));
        stream.overwrite(out, queue.placeNewSounds(c.back, out.data()));
        queue.append(out.data(), total - c.written);
        stream.append(out, total - c.written);

        // The same sounds rendered straight through, the third started at its place.
        Mixer straight;
        straight.post(play(0, hum));
        straight.post(play(1, buzz));
        std::vector<float> left(total), right(total);
        straight.render(left.data(), right.data(), start);
        straight.post(play(2, onset));
        straight.render(left.data() + start, right.data() + start, total - start);

        ASSERT_EQ(stream.left.size(), total);
        for (size_t i = 0; i < total; ++i) {
            ASSERT_EQ(stream.left[i], left[i]) << "frame " << i;
        }
        EXPECT_LT(peak(stream.left), 1.0f);
        EXPECT_GT(peak(stream.left), MasterLimiter::kThreshold);
    }
}
