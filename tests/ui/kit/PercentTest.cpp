// Percentages shown from document fractions.

#include "ui/kit/Percent.h"

#include <gtest/gtest.h>
#include <limits>

TEST(Percent, ClampsBeforeConvertingSoHandEditedValuesNeverOverflow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, int> cases[] = {
        {0.8, 80},    {0.0, 0}, {1.0, 100}, {0.29, 28}, {0.999, 99}, {0.06, 6},
        {1e300, 100}, {-5, 0},  {nan, 0},   {inf, 100}, {-inf, 0},   {2.5, 100},
    };
    for (const auto &[fraction, percent] : cases) {
        EXPECT_EQ(tc::percentOf(fraction), percent) << fraction;
    }
    EXPECT_EQ(tc::percentText(0.8), QStringLiteral("80%"));
    EXPECT_EQ(tc::percentText(1e300), QStringLiteral("100%"));
}
