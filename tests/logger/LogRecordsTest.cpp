#include "logger/LogRecords.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zel;

TEST(ShortString, LengthByteAboveTheFieldReadsTheWholeField)
{
    ShortString<31> s;
    s.Length = 255;
    std::memset(s.Chars, 'x', sizeof s.Chars);
    EXPECT_EQ(s.toString(), QString(31, QLatin1Char('x')));
}

TEST(ShortString, AssignCutsToTheFieldAndZeroesTheTail)
{
    ShortString<7> s;
    std::memset(&s, 0xAA, sizeof s);
    s.assign(QStringLiteral("km/h"));
    const unsigned char expected[8] = {4, 'k', 'm', '/', 'h', 0, 0, 0};
    EXPECT_EQ(std::memcmp(&s, expected, sizeof expected), 0);

    s.assign(QString::fromUtf8("Temperature €"));
    EXPECT_EQ(s.Length, 7);
    EXPECT_EQ(s.toString(), QStringLiteral("Tempera"));
    s.assign(QString::fromUtf8("€"));
    EXPECT_EQ(static_cast<unsigned char>(s.Chars[0]), 0x80);
}
