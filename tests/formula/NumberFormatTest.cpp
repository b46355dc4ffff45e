#include "formula/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace zel;

TEST(NumberFormat, GeneralFormatKeepsFifteenDigits)
{
    const std::pair<double, const char *> rows[] = {
        {0, "0"},
        {-0.0, "0"},
        {3, "3"},
        {-2.5, "-2.5"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {123456789012345.0, "123456789012345"},
        {999999999999999.0, "999999999999999"},
        {1234567890123456.0, "1.23456789012346E15"},
        {1e15, "1E15"},
        {1e20, "1E20"},
        {0.00001, "0.00001"},
        {0.000012345, "0.000012345"},
        {0.000001, "1E-6"},
        {-1.5e-7, "-1.5E-7"},
        {9.9999999999999999e-6, "0.00001"},
        {1.7976931348623157e308, "1.79769313486232E308"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {std::nan(""), "NAN"},
    };
    for (const auto &[x, text] : rows)
        EXPECT_EQ(NumberFormat::general(x, u'.'), QString::fromLatin1(text)) << x;
    EXPECT_EQ(NumberFormat::general(-1234.5, u','), "-1234,5");
}

TEST(NumberFormat, ParsesLikeTheFormulaLanguage)
{
    const std::tuple<const char *, bool, double> rows[] = {
        {"12", true, 12},
        {" -1.5e3 ", true, -1500},
        {"+.5", true, 0.5},
        {"5.", true, 5},
        {"1e-400", true, 0},
        {"1e400", false, 0},
        {"", false, 0},
        {".", false, 0},
        {"1e", false, 0},
        {"1,5", false, 0},
        {"0x10", false, 0},
        {"inf", false, 0},
        {"nan", false, 0},
        {"1 2", false, 0},
    };
    for (const auto &[text, ok, value] : rows) {
        double x = -99;
        EXPECT_EQ(NumberFormat::parse(QString::fromLatin1(text), u'.', x), ok) << text;
        if (ok) {
            EXPECT_EQ(x, value) << text;
        }
    }
    double x = 0;
    EXPECT_TRUE(NumberFormat::parse(u"1,5", u',', x));
    EXPECT_EQ(x, 1.5);
}
