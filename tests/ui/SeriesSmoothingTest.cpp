#include "ui/SeriesSmoothing.h"

#include <gtest/gtest.h>

using namespace zel;

TEST(SeriesSmoothing, SeedsFromTheSecondValueAndLeavesTheLastAlone)
{
    const struct
    {
        QVector<double> values;
        int level;
        QVector<double> expected;
    } cases[] = {
        { { 10, 20, 30, 40 }, 3, { 17, 17.9, 21.53, 40 } },
        { { 10, 20, 30, 40 }, 1, { 19, 19.1, 20.19, 40 } },
        { { 5, 9 }, 2, { 8.2, 9 } },
        { { 7 }, 3, { 7 } }, // no second value to start from
        { {}, 3, {} },
    };
    for (const auto &c : cases) {
        QVector<double> values = c.values;
        smoothenValues(values, c.level);
        ASSERT_EQ(values.size(), c.expected.size());
        for (qsizetype i = 0; i < values.size(); ++i)
            EXPECT_NEAR(values[i], c.expected[i], 1e-12) << i;
    }
}
