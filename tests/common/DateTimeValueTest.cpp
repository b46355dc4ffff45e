#include "common/DateTimeValue.h"

#include <gtest/gtest.h>

using namespace zel;

TEST(DateTimeValue, ConvertsBothWays)
{
    struct Case { double days; QDateTime when; };
    const Case cases[] = {
        {0.0, QDateTime(QDate(1899, 12, 30), QTime(0, 0))},
        {2.75, QDateTime(QDate(1900, 1, 1), QTime(18, 0))},
        {-1.25, QDateTime(QDate(1899, 12, 29), QTime(6, 0))},
        {46000.5, QDateTime(QDate(2025, 12, 9), QTime(12, 0))},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(dateTimeFromDays(c.days), c.when) << c.days;
        EXPECT_DOUBLE_EQ(daysFromDateTime(c.when), c.days) << c.days;
    }
}

TEST(DateTimeValue, RoundsToTheMillisecondAcrossMidnight)
{
    EXPECT_EQ(dateTimeFromDays(0.9999999999), QDateTime(QDate(1899, 12, 31), QTime(0, 0)));
}

TEST(DateTimeValue, NonFiniteIsInvalid)
{
    EXPECT_FALSE(dateTimeFromDays(std::numeric_limits<double>::quiet_NaN()).isValid());
    EXPECT_FALSE(dateTimeFromDays(std::numeric_limits<double>::infinity()).isValid());
}
