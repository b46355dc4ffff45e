#include "tools/zel/ShortestNumberText.h"

#include "session/NumberText.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>

using namespace zel;

namespace {

using Writer = char *(*)(char *, double);

std::string shortest(double value, Writer write = writeShortestNumber)
{
    char text[kShortestNumberMaxChars + 8];
    std::memset(text, '#', sizeof text);
    char *end = write(text, value);
    EXPECT_LE(end - text, kShortestNumberMaxChars);
    EXPECT_EQ(text[kShortestNumberMaxChars], '#') << "wrote past its room";
    return std::string(text, end);
}

} // namespace

TEST(ShortestNumberTextTest, SpellsEachFormAsTheTablesOwnNumberText)
{
    const struct
    {
        double value;
        const char *text;
    } cases[] = {
        { 0.0, "0" },
        { -0.0, "0" }, // the sign of zero is dropped, as everywhere in the program
        { 1, "1" },
        { -2.5, "-2.5" },
        { 0.1, "0.1" },
        { double(0.1f), "0.10000000149011612" }, // a logged float keeps every digit it has
        { 10000, "10000" }, // a tie of lengths goes to the plain form
        { 100000, "1e+05" },
        { 123456, "123456" },
        { -1200000, "-1200000" },
        { 1.2e7, "1.2e+07" },
        { -3e15, "-3e+15" },
        { 1e16, "1e+16" },
        { 9007199254740991.0, "9007199254740991" },
        { -9007199254740990.0, "-9007199254740990" },
        { 4503599627370495.5, "4503599627370495.5" },
        { 0.001, "0.001" },
        { -0.05, "-0.05" },
        { 83.456, "83.456" },
        { 0.0015, "0.0015" },
        { 0.000999, "0.000999" },
        { 123.000001, "123.000001" },
        { 123.0000001, "123.0000001" },
        { 999999999.999999, "999999999.999999" },
        { 1000000000.5, "1000000000.5" },
        { 0.0001, "1e-04" },
        { 0.00012, "0.00012" },
        { 1.5e-5, "1.5e-05" },
        { 9007199254740992.0, "9007199254740992" },
        { std::ldexp(1.0, 60), "1152921504606847000" }, // not the exact 1152921504606846976
        { 123456789012345678.0, "123456789012345680" },
        { 4294967295.0, "4294967295" },
        { 1e100, "1e+100" },
        { -1.25e-100, "-1.25e-100" },
        { std::numeric_limits<double>::denorm_min(), "5e-324" },
        { -std::numeric_limits<double>::min(), "-2.2250738585072014e-308" },
        { std::numeric_limits<double>::max(), "1.7976931348623157e+308" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(shortest(c.value), c.text) << std::hexfloat << c.value;
        EXPECT_EQ(shortest(c.value, writeShortestNumberLaidOut), c.text)
            << std::hexfloat << c.value;
    }
}

// Every finite double is written as textFromNumber writes it, by the quick paths and the
// laid-out one alike, and reads back as itself.
TEST(ShortestNumberTextTest, MatchesTheTablesNumberTextAndReadsBackOverManyValues)
{
    std::mt19937_64 random(20260501);
    std::vector<double> values;
    for (int i = 0; i < 100000; ++i) {
        const uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        values.push_back(value);
        float logged; // what a logger channel holds
        const uint32_t floatBits = uint32_t(bits >> 32);
        std::memcpy(&logged, &floatBits, sizeof logged);
        values.push_back(logged);
        values.push_back(double(float(i) * 0.01f + float(i % 47)));
        const uint64_t subnormalBits = bits & ((uint64_t(1) << 52) - 1);
        std::memcpy(&value, &subnormalBits, sizeof value);
        values.push_back(value);
    }
    for (int i = -20000; i <= 20000; ++i) {
        values.push_back(i);
        values.push_back(i / 100.0); // few decimals, as most hand-made columns hold
        values.push_back(i / 1000.0);
    }
    for (double power = 1; power <= 1e18; power *= 10) { // powers of 10 this small are exact
        for (const double digits : { 1, 7, 12, 105, 999, 123456 }) {
            values.push_back(digits * power);
            values.push_back(-digits * power);
        }
    }
    for (int64_t whole = (int64_t(1) << 53) - 8; whole <= (int64_t(1) << 53) + 8; ++whole) {
        values.push_back(double(whole));
        values.push_back(-double(whole));
    }
    for (int i = 0; i < 100000; ++i) { // up to 7 decimals, of every size up to 2^50
        const double scale = std::pow(10.0, double(random() % 8));
        values.push_back(double(int64_t(random() >> (14 + random() % 50))) / scale);
    }
    for (int i = 0; i < 100000; ++i) // whole numbers of every size up to 2^63
        values.push_back(double(int64_t(random() >> (random() % 64))));
    for (int e = -330; e <= 310; ++e) {
        for (const char *mantissa : { "1", "5", "123", "9.5", "4.9406564584124654" }) {
            const double value
                = std::strtod((mantissa + ("e" + std::to_string(e))).c_str(), nullptr);
            values.push_back(value);
            values.push_back(-value);
        }
    }
    for (int k = -1074; k < 1024; ++k) {
        const double power = std::ldexp(1.0, k);
        values.push_back(power);
        values.push_back(std::nextafter(power, 0.0));
        values.push_back(std::nextafter(power, 2 * power));
    }

    int mismatches = 0;
    for (const double value : values) {
        if (!std::isfinite(value))
            continue;
        const std::string text = shortest(value);
        const double back = std::strtod(text.c_str(), nullptr);
        if (text != textFromNumber(value).toStdString() || back != value
            || text != shortest(value, writeShortestNumberLaidOut)) {
            ADD_FAILURE() << std::hexfloat << value << " written " << text << ", expected "
                          << textFromNumber(value).toStdString();
            if (++mismatches == 10)
                break;
        }
    }
}
