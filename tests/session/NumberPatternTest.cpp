#include "session/NumberPattern.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace zel;

TEST(NumberPatternTest, PatternsInTheCLocale)
{
    const struct
    {
        double value;
        const char16_t *pattern;
        const char *expected;
    } cases[] = {
        { 65.21, u"00#.00", "065.21" },
        { -0.35, u"00#.00", "-000.35" },
        { 12.4, u"00#.00", "012.40" },
        { 1234.5, u"00#.00", "1234.50" },
        { 99.999, u"00#.00", "100.00" },
        { 2.5, u"#####0.###", "2.5" },
        { 1234.5678, u"#####0.###", "1234.568" },
        { 0.0, u"#####0.###", "0" },
        { 7.0, u"#####0.###", "7" },
        { -0.0001, u"#####0.###", "0" }, // rounds to zero: no minus sign
        { 0.0005, u"#####0.###", "0.001" }, // halves go away from zero
        { 0.125, u"####0.00", "0.13" },
        { 3.14159, u"####0.00", "3.14" },
        { 1e20, u"#####0.###", "100000000000000000000" },
        { 0.5, u"#.##", ".5" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(formatPattern(c.value, c.pattern, QLocale::c()), QString::fromLatin1(c.expected))
            << c.value << " " << QString::fromUtf16(c.pattern).toStdString();
    }
    EXPECT_EQ(formatPattern(std::nan(""), u"00#.00", QLocale::c()), "NAN");
    EXPECT_EQ(
        formatPattern(std::numeric_limits<double>::infinity(), u"00#.00", QLocale::c()), "INF");
    EXPECT_EQ(
        formatPattern(-std::numeric_limits<double>::infinity(), u"00#.00", QLocale::c()), "-INF");
}

TEST(NumberPatternTest, DecimalSeparatorComesFromTheLocale)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(formatPattern(65.21, u"00#.00", german), "065,21");
    EXPECT_EQ(formatPattern(-0.35, u"00#.00", german), "-000,35");
    EXPECT_EQ(formatPattern(1234.5678, u"#####0.###", german), "1234,568"); // never grouped
}
