#include "FormulaTesting.h"

using namespace zel;
using namespace zel::testing;

namespace {
const char *const kInvalid = "!Invalid floating point operation";
}

TEST(FormulaOperators, ArithmeticAndConcatenation)
{
    expectAll({
        {"1 + 2", "3"},
        {"'1' + 2", "3"},
        {"'a' + 2", "a2"},
        {"'a' @ 2", "a2"},
        {"1 @ 2", "12"},
        {"7 - 10", "-3"},
        {"2.5 * 4", "10"},
        {"1 / 4", "0.25"},
        {"1 / 3", "0.333333333333333"},
        {"0.1 + 0.2", "0.3"},
        {"1 / 0", "!Floating point division by zero"},
        {"0 / 0", kInvalid},
        {"1e308 * 10", "!Floating point overflow"},
        {"a * b + c", "-20", {"a=3", "b=-7", "c=1"}},
        {"s + t", "xy", {"s=x", "t=y"}},
    });
}

TEST(FormulaOperators, IntegerOperators)
{
    expectAll({
        {"7 \\ 2", "3"},
        {"-7 \\ 2", "-3"},
        {"-7 % 2", "-1"},
        {"7.9 % 3", "1"},
        {"10 DIV 3", "3"},
        {"10 MOD 3", "1"},
        {"7 \\ 0", "!Division by zero"},
        {"7 % 0.5", "!Division by zero"},
        {"-9223372036854775808 \\ -1", "!Integer overflow"},
        {"-9223372036854775808 % -1", "!Integer overflow"},
        {"1e19 \\ 2", kInvalid},
        {"1 << 64", "1"},
        {"1 << 65", "2"},
        {"-1 >> 60", "15"},
        {"8 >> 1", "4"},
        {"8 SHR 1", "16"},
        {"8 SHL 1", "4"},
        {"1 << -1", "-9.22337203685478E18"},
        {"12 && 10", "8"},
        {"12 || 3", "15"},
        {"12 BXOR 10", "6"},
        {"12 BAND 10", "8"},
        {"!!0", "-1"},
        {"BNOT 5", "-6"},
    });
}

TEST(FormulaOperators, PowerAndPrecedence)
{
    expectAll({
        {"2^10", "1024"},
        {"2^-2", "0.25"},
        {"0^0", "1"},
        {"0^-1", "!Floating point division by zero"},
        {"0^0.5", "0"},
        {"4^0.5", "2"},
        {"(-8)^(1/3)", kInvalid},
        {"(-2)^3", "-8"},
        {"-2^2", "-4"},
        {"2^3^2", "64"},
        {"2*-3", "-6"},
        {"5 - (-3)", "8"},
        {"+5", "5"},
        {"2 + 3 * 4", "14"},
        {"(2 + 3) * 4", "20"},
        {"10 - 4 - 3", "3"},
        {"1 < 2 | 0", "0"},
        {"1 < 2 OR 0", "0"},
        {"a = 1 & b", "1", {"a=1", "b=5"}},
        {"a = 1 & b", "0", {"a=1", "b=0"}},
        {"-a*b", "-6", {"a=2", "b=3"}},
        {"NOT 0 + 1", "2"},
        {"TRUE + 1", "2"},
        {"2 * PI", "6.28318530717959"},
        {"$0FF", "255"},
        {"$FF", "7", {"FF=7"}},
        {"$0FFFFFFFF", "-1"},
    });
}

TEST(FormulaOperators, ComparisonsAndLogic)
{
    expectAll({
        {"'abc' = 'ABC'", "0"},
        {"'10' < '9'", "0"},
        {"'b' > 'a'", "1"},
        {"'a' <> 'b'", "1"},
        {"'a' <= 'a'", "1"},
        {"'a' >= 'b'", "0"},
        {"2 >= 2", "1"},
        {"0 & 'x'", "0"},
        {"1 & 'x'", "!'x' is not a valid floating point value"},
        {"0 & ('x' * 1)", "!'x' is not a valid floating point value"},
        {"1 | 'x'", "1"},
        {"0 | 2", "1"},
        {"1 XOR 1", "0"},
        {"1 XOR 0", "1"},
        {"!3", "0"},
        {"!0", "1"},
    });
    expectAll({{"'abc' = 'ABC'", "1"}, {"'a' < 'B'", "1"}},
        [](TTalFormula &f) { f.setCaseSensitiveString(false); });
}

TEST(FormulaOperators, EmptyTextAsZero)
{
    expectAll({{"'' + 1", "1"}, {"'' * 3", "0"}}, [](TTalFormula &f) { f.setZeroEmptyString(true); });
    expectAll({{"'' + 1", "1"}, {"'' * 3", "!'' is not a valid floating point value"}});
}

TEST(FormulaOperators, LocaleDecimalSeparatorForTexts)
{
    const auto german = [](TTalFormula &f) { f.setLocale(QLocale(QLocale::German)); };
    expectAll({{"'1,5' * 2", "3"}, {"1 / 4", "0,25"}, {"'1.5' * 2", "!'1.5' is not a valid floating point value"}},
        german);
}
