// The master stage every output's sound passes last, run offline and checked by number.

#include "engine/MasterStage.h"
#include "engine/MasterLimiter.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace tc;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

} // namespace

TEST(MasterStage, FinishStageClampsToUnitRangeAndRemovesNaN) {
    struct Case {
        float in;
        float out;
    };
    const Case cases[] = {{0.3f, 0.3f}, {-0.7f, -0.7f}, {1.0f, 1.0f}, {1.5f, 1.0f},  {-2.0f, -1.0f},
                          {kNaN, 0.0f}, {-kNaN, 0.0f},  {kInf, 1.0f}, {-kInf, -1.0f}};
    for (const Case &c : cases) {
        float left = c.in;
        float right = -c.in;
        finishStage(&left, &right, 1);
        EXPECT_EQ(left, c.out) << "in " << c.in;
        EXPECT_EQ(right, c.out == 0.0f ? 0.0f : -c.out) << "in " << -c.in;
    }
}

// A quiet frame passes as it is; loud, broken and huge ones come out finite, under full scale, with the
// limiter's gain after each frame reported and carried into the next call.
TEST(MasterStage, LimitsThenFinishesAndReportsTheGainOfEachFrame) {
    std::vector<float> left{0.5f, 3.0f, kNaN, 1e30f, -kInf, 0.5f};
    std::vector<float> right{-0.5f, -3.0f, 0.2f, kNaN, 2.0f, 0.5f};
    std::vector<float> gains(left.size(), -1.0f);
    MasterLimiter limiter;
    masterStage(limiter, left.data(), right.data(), left.size(), gains.data());
    EXPECT_EQ(left[0], 0.5f);
    EXPECT_EQ(right[0], -0.5f);
    for (size_t i = 0; i < left.size(); ++i) {
        EXPECT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << "frame " << i;
        EXPECT_LT(std::fabs(left[i]), 1.0f) << "frame " << i;
        EXPECT_LT(std::fabs(right[i]), 1.0f) << "frame " << i;
        EXPECT_GT(gains[i], 0.0f) << "frame " << i;
        EXPECT_LE(gains[i], 1.0f) << "frame " << i;
    }
    EXPECT_EQ(gains[0], 1.0f);
    EXPECT_LT(gains[1], 1.0f) << "the loud frame brings the gain down";
    EXPECT_EQ(limiter.gain(), gains.back());
}
