#include "FormulaTesting.h"

#include "formula/FormulaFunctions.h"

using namespace zel;
using namespace zel::testing;

namespace {
const char *const kInvalid = "!Invalid floating point operation";
const char *const kZeroDivide = "!Floating point division by zero";
} // namespace

TEST(FormulaFunctions, TableOrderIsFixed)
{
    const auto &table = FormulaFunctions::builtins();
    ASSERT_EQ(table.size(), 76u);
    const std::pair<int, const char *> anchors[] = {{0, "SET"}, {3, "BLOCK"}, {7, "SIN"},
        {27, "RND"}, {29, "MAX"}, {40, "IFF"}, {48, "MIDSTR"}, {52, "DATE"}, {64, "FORMAT"},
        {70, "INPUT"}, {71, "MSG"}, {73, "TRUNC"}, {75, "HEX"}};
    for (const auto &[index, name] : anchors)
        EXPECT_EQ(table[size_t(index)].name, QLatin1String(name));
    EXPECT_EQ(table[3].paramcount, -1);
    EXPECT_EQ(table[27].paramcount, 0);
    EXPECT_EQ(table[48].paramcount, 3);
}

TEST(FormulaFunctions, Variables)
{
    expectAll({
        {"SET('x', 5) + x", "10", {"x=1"}},
        {"SET('x', 'abc')", "abc", {"x=1"}},
        {"SET('y', 5)", "!Variable y does not exists", {"x=1"}},
        {"VAL('X')", "4", {"x=4"}},
        {"VAL('q')", "!Variable q does not exists"},
        {"BLOCK(DEFINE('z', 3), VAL('z') * 2)", "6"},
        {"BLOCK(DEFINE('x', 3))", "!Variable already exists", {"x=1"}},
        {"BLOCK()", "0"},
        {"BLOCK(1, 'two')", "two"},
        {"BLOCK(DEFINES('a', 'b'), SET('b', 2), VAL('a') + VAL('b'))", "2"},
        {"DEFINES('a', 'b', 'c')", "3"},
        {"BLOCK(INC('x'), INC('x'))", "7", {"x=5"}},
        {"DEC('x')", "4", {"x=5"}},
        {"INC('x')", "3", {"x=2"}},
        {"INC('w')", "!Variable does not exists"},
        {"DEC('w')", "!Variable does not exists"},
        {"EXISTS('x')", "1", {"x=1"}},
        {"EXISTS('x')", "0"},
        {"BLOCK(EXISTS('x'), EXISTS('x'))", "0"},
        {"$x := 4", "4", {"x=1"}},
        {"BLOCK($x := x + 1, $x++, $x)", "4", {"x=2"}},
        {"BLOCK($x--, x)", "1", {"x=2"}},
        {"BLOCK(DEFINE('a1_2', 9), $a[1, 2])", "9"},
        {"BLOCK(DEFINE('a7', 3), $a[7])", "3"},
        {"$('Engine' @ ' Speed')", "6500", {"Engine Speed=6500"}},
        {"$'Engine Speed' / 100", "65", {"Engine Speed=6500"}},
        {"$'SIN'", "2", {"SIN=2"}},
    });
}

TEST(FormulaFunctions, AssignmentsReachTheCallerAndRunVariablesDoNotSurvive)
{
    TTalFormula f;
    f.Compile("BLOCK(INC('n'), DEFINE('t', n), VAL('t'))", 1, {"n"});
    TCalcArray vals{TCalcItem::number(1)};
    EXPECT_EQ(f.ComputeN(1, &vals), 2.0);
    EXPECT_EQ(vals[0].data, 2.0);
    // DEFINE would fail on the second run if 't' had outlived the first.
    EXPECT_EQ(f.ComputeN(1, &vals), 3.0);
    EXPECT_EQ(vals[0].data, 3.0);
}

TEST(FormulaFunctions, VariableOperationsByName)
{
    TTalFormula f;
    f.Compile("x", 1, {"x"});
    TCalcArray vals{TCalcItem::number(1)};
    f.ComputeN(1, &vals);
    EXPECT_EQ(f.FindVar("X"), 0);
    EXPECT_EQ(f.FindVar("y"), -1);
    f.setCaseSensitive(true);
    EXPECT_EQ(f.FindVar("X"), -1);
    f.setCaseSensitive(false);
    const auto message = [](const std::function<void()> &fn) {
        try {
            fn();
        } catch (const FormulaException &e) {
            return e.message();
        }
        return QString();
    };
    EXPECT_EQ(message([&] { f.SetVar("q", TCalcItem::number(1)); }), "Variable q does not exists");
    EXPECT_EQ(message([&] { f.IncVar("q"); }), "Variable does not exists");
    EXPECT_EQ(message([&] { f.AddVar("x", TCalcItem::number(1)); }), "Variable already exists");
    f.SetVar("x", TCalcItem::text("5"));
    EXPECT_EQ(f.IncVar("x")->data, 6.0);
    EXPECT_EQ(f.GetVar("x")->typ, fdtnumber);
}

TEST(FormulaFunctions, Mathematics)
{
    expectAll({
        {"SIN(30)", "0.5"},
        {"COS(0)", "1"},
        {"COS(60)", "0.5"},
        {"TAN(45)", "1"},
        {"ATAN(1)", "45"},
        {"ASIN(1)", "90"},
        {"ACOS(0)", "90"},
        {"ASIN(2)", kInvalid},
        {"LOG(EXP(2))", "2"},
        {"LN(1)", "0"},
        {"LOG(0)", kZeroDivide},
        {"LOG(-1)", kInvalid},
        {"LG(1000)", "3"},
        {"EXP(1)", "2.71828182845905"},
        {"EXP(1000)", "!Floating point overflow"},
        {"SQRT(16)", "4"},
        {"SQRT(-1)", kInvalid},
        {"INT(-2.7)", "-2"},
        {"INT(2.7)", "2"},
        {"INT(1e30)", kInvalid},
        {"FRAC(-2.7)", "-0.7"},
        {"FRAC(2.25)", "0.25"},
        {"ABS(-3)", "3"},
        {"SINH(0)", "0"},
        {"COSH(0)", "1"},
        {"TANH(0)", "0"},
        {"ASINH(0)", "0"},
        {"ACOSH(1)", "0"},
        {"ACOSH(0.5)", kInvalid},
        {"ATANH(0.5)", "0.549306144334055"},
        {"ATANH(1)", kZeroDivide},
        {"SIGN(-4)", "-1"},
        {"SIGN(0)", "0"},
        {"SIGN(0.1)", "1"},
        {"TRUNC(-1.99, 1)", "-1.9"},
        {"TRUNC(1.99, 0)", "1"},
        {"TRUNC(1234, -2)", "1200"},
        {"ROUND(2.5, 0)", "2"},
        {"ROUND(3.5, 0)", "4"},
        {"ROUND(1.2345, 2)", "1.23"},
        {"ROUND(-2.5, 0)", "-2"},
        {"ROUND(1e300, 10)", kInvalid},
        {"IFF(0, 1, 'no')", "no"},
        {"IFF(2, 'yes', 1/0)", kZeroDivide},
        {"(RND >= 0) & (RND < 1)", "1"},
        {"RND() < 1", "1"},
        {"RANDOMIZE", "0"},
    });
}

TEST(FormulaFunctions, Aggregates)
{
    expectAll({
        {"MAX(3, 9, 4)", "9"},
        {"MIN(3, 9, -4)", "-4"},
        {"MAX('7', 2)", "7"},
        {"AVG(1, 2)", "1.5"},
        {"SUM(1, 2, 3.5)", "6.5"},
        {"SUMOFSQUARES(1, 2, 3)", "14"},
        {"VARIANCE(1, 2, 3, 4)", "1.66666666666667"},
        {"VARIANCEP(1, 2, 3, 4)", "1.25"},
        {"STDDEV(2, 4, 4, 4, 5, 5, 7, 9)", "2.1380899352994"},
        {"STDDEVP(2, 4, 4, 4, 5, 5, 7, 9)", "2"},
        {"VARIANCE(5)", kInvalid},
        {"STDDEV(5)", kInvalid},
        {"CONCAT('a', 1, 'b')", "a1b"},
        {"COUNT('', 'x', 0)", "2"},
        {"MAX()", "!Not enough parameters"},
        {"CONCAT()", "!Not enough parameters"},
        {"SUM(1, 'x')", "!'x' is not a valid floating point value"},
    });
}

TEST(FormulaFunctions, ExternalVariablesExpandInAggregates)
{
    const auto hosted = [](TTalFormula &f) {
        f.setExternGetVar(true);
        f.setGetVarsCount([](const QString &name, int &count, bool) {
            count = name == QLatin1String("LAPS") ? 3 : 0;
        });
        f.setGetVarValue([](const QString &, int n, QString &val, bool) {
            val = QString::number((n + 1) * 10);
        });
    };
    expectAll({
        {"SUM(LAPS)", "60"},
        {"SUM(1, LAPS, 2)", "63"},
        {"CONCAT(LAPS, '|')", "102030|"},
        {"COUNT(LAPS)", "3"},
        {"LAPS + 1", "11"},
        {"SUM(NONE)", "!\"NONEreturns zero vars!"},
    },
        hosted);
    expectAll({{"SUM(LAPS)", "!GetVarsCount or GetVarValue not set!"}, {"LAPS * 1", "!GetVarValue not set!"}},
        [](TTalFormula &f) { f.setExternGetVar(true); });
}

TEST(FormulaFunctions, Texts)
{
    expectAll({
        {"CHR(65)", "A"},
        {"CHR(128)", "\u20AC"},
        {"CHR(256 + 66)", "B"},
        {"LENGTH('h\u00E9llo')", "5"},
        {"LENGTH(123.5)", "5"},
        {"'[' @ TRIM(#9' a b '#13) @ ']'", "[a b]"},
        {"'[' @ TRIMLEFT('  a ') @ ']'", "[a ]"},
        {"'[' @ TRIMRIGHT('  a ') @ ']'", "[  a]"},
        {"UPPERCASE('abc\u00E9')", "ABC\u00E9"},
        {"LOWERCASE('ABC\u00C9')", "abc\u00C9"},
        {"MIDSTR('abcdef', 0, 2)", "ab"},
        {"MIDSTR('abcdef', 3, 2)", "cd"},
        {"MIDSTR('abcdef', 5, 100)", "ef"},
        {"MIDSTR('abcdef', 9, 1)", ""},
        {"MIDSTR('abcdef', 2, -1)", ""},
        {"MIDSTR('abcdef', 2, 1e15)", "bcdef"},
        {"LEFTSTR('abc', 2)", "ab"},
        {"LEFTSTR('abc', -2)", ""},
        {"RIGHTSTR('abc', 5)", "abc"},
        {"RIGHTSTR('abc', 2)", "bc"},
        {"RIGHTSTR('abc', 0)", ""},
        {"RIGHTSTR('abc', -1)", ""},
        {"POS('c', 'abc')", "3"},
        {"POS('C', 'abc')", "0"},
        {"POS('', 'abc')", "0"},
        {"CODE('A')", "65"},
        {"CODE('')", "!CODE needs a text of at least one character"},
        {"STRINGOFCHAR('xy', 3)", "xxx"},
        {"STRINGOFCHAR('x', -3)", ""},
        {"STRINGOFCHAR('', 3)", "!STRINGOFCHAR needs a text of at least one character"},
        {"STRINGOFCHAR('x', 1e9)", "!Text too long"},
        {"ISNUMBER('12')", "1"},
        {"ISNUMBER(' 1.5e3 ')", "1"},
        {"ISNUMBER('1x')", "0"},
        {"ISNUMBER('')", "0"},
        {"HEX('ff')", "255"},
        {"HEX('FFFFFFFFFFFFFFFF')", "-1"},
        {"HEX('zz')", "!'zz' is not a valid integer value"},
        {"HEX('$ff')", "!'$ff' is not a valid integer value"},
        {"HEX('')", "!'' is not a valid integer value"},
    });
    expectAll({{"POS('C', 'abc')", "3"}}, [](TTalFormula &f) { f.setCaseSensitiveString(false); });
}

TEST(FormulaFunctions, DatesAndTimes)
{
    expectAll({
        {"ENCODEDATE(1899, 12, 30)", "0"},
        {"ENCODEDATE(2024, 2, 29)", "45351"},
        {"ENCODEDATE(2023, 2, 29)", "!Invalid argument to date encode"},
        {"ENCODEDATE(0, 1, 1)", "!Invalid argument to date encode"},
        {"YEAR(45351.75)", "2024"},
        {"MONTH(45351.75)", "2"},
        {"DAY(45351.75)", "29"},
        {"HOUR(45351.75)", "18"},
        {"MINUTE(0.5 + 1/1440*7)", "7"},
        {"SECOND(1/86400 * 42)", "42"},
        {"MILLISECOND(1/86400000 * 250)", "250"},
        {"DAYOFWEEK(45351)", "4"},
        {"DAYOFWEEK(ENCODEDATE(2024, 3, 3))", "7"},
        {"ISLEAPYEAR(2000)", "1"},
        {"ISLEAPYEAR(1900)", "0"},
        {"ISLEAPYEAR(2024)", "1"},
        {"YEAR(1e300)", "!Invalid date-time value"},
        {"DATE('2024-02-29')", "45351"},
        {"DATE('2024-02-29T18:00:00')", "45351.75"},
        {"DATE('no date')", "!'no date' is not a valid date and time"},
        {"NOW > 45000", "1"},
        {"FORMATDATE('yyyy-mm-dd hh:nn:ss.zzz', 45351.75)", "2024-02-29 18:00:00.000"},
        {"FORMATDATE('d/m/yy', 45351)", "29/2/24"},
        {"FORMATDATE('dddd d mmmm', 45351)", "Thursday 29 February"},
        {"FORMATDATE('ddd mmm', 45351)", "Thu Feb"},
        {"FORMATDATE('h:mm am/pm', 45351.75)", "6:00 pm"},
        {"FORMATDATE('\"day\" d', 45351)", "day 29"},
    });
}

TEST(FormulaFunctions, DatesReadAsTypedInTheLocale)
{
    expectAll({
        {"DATE('29.2.24')", "45351"},
        {"DATE('29.02.2024 18:00')", "45351,75"},
        {"DATE('18:30')", "0,770833333333333"},
        {"DATE('31.02.2024')", "!'31.02.2024' is not a valid date and time"},
        {"DATE('1.2.3.4')", "!'1.2.3.4' is not a valid date and time"},
        {"FORMATDATE('c', 45351.75)", "29.02.24 18:00:00"},
    },
        [](TTalFormula &f) { f.setLocale(QLocale(QLocale::German, QLocale::Germany)); });
    expectAll({
        {"DATE('2/29/2024')", "45351"},
        {"DATE('6:00 PM')", "0.75"},
        {"DATE('12:30 am') * 48", "1"},
        {"DATE('13:00 pm')", "!'13:00 pm' is not a valid date and time"},
    },
        [](TTalFormula &f) { f.setLocale(QLocale(QLocale::English, QLocale::UnitedStates)); });
}

TEST(FormulaFunctions, NumberPictures)
{
    expectAll({
        {"FORMAT('00#.00', 65.21)", "065.21"},
        {"FORMAT('#####0.###', 3.14159)", "3.142"},
        {"FORMAT('####0.00', 2)", "2.00"},
        {"FORMAT('#,##0.00', 1234567.891)", "1,234,567.89"},
        {"FORMAT('0', -0.4)", "0"},
        {"FORMAT('0.0', -2.25)", "-2.3"},
        {"FORMAT('#.##', 0.5)", ".5"},
        {"FORMAT('0.00E+00', 12345)", "1.23E+04"},
        {"FORMAT('0.0e-0', 0.00012)", "1.2e-4"},
        {"FORMAT('0;(0);''zero''', -5)", "(5)"},
        {"FORMAT('0;(0);''zero''', 0)", "zero"},
        {"FORMAT(\"'$'0.00\", 3)", "$3.00"},
        {"FORMAT('0.00', 2.675)", "2.68"},
        {"FORMAT('0', 9.5)", "10"},
        {"FORMAT('', 1/3)", "0.333333333333333"},
        {"LENGTH(FORMAT('0.' @ STRINGOFCHAR('0', 300) @ 'E+0', 1/3))", "305"},
        {"LENGTH(FORMAT(STRINGOFCHAR('0', 400) @ '.' @ STRINGOFCHAR('0', 400), -1e300))", "802"},
        {"FORMATF('%8.2f', 3.14159)", "    3.14"},
        {"FORMATF('%-6.1f|', 2)", "2.0   |"},
        {"FORMATF('v=%e', 1234.5)", "v=1.23450000000000E+003"},
        {"FORMATF('%.3e', -0.001234)", "-1.23E-003"},
        {"FORMATF('%g', 0.5)", "0.5"},
        {"FORMATF('%n', 1234567.891)", "1,234,567.89"},
        {"FORMATF('%d', 3)", "!Format '%d' invalid or incompatible with argument"},
        {"FORMATF('%s', 3)", "!Format '%s' invalid or incompatible with argument"},
        {"FORMATF('%n%n', 3)", "!Format '%n%n' invalid or incompatible with argument"},
        {"FORMATF('%999999999f', 3)", "!Format '%999999999f' invalid or incompatible with argument"},
        {"FORMATF('100%%', 3)", "100%"},
    });
}

TEST(FormulaFunctions, InputAndMessageGoThroughTheHost)
{
    QStringList shown;
    const auto host = [&shown](TTalFormula &f) {
        FormulaDialogs d;
        d.input = [&shown](const QString &caption, const QString &prompt, QString &text) {
            shown << caption << prompt << text;
            if (caption == QLatin1String("cancel"))
                return false;
            text = QStringLiteral("42");
            return true;
        };
        d.message = [&shown](const QString &text, const QString &caption, int flags) {
            shown << text << caption << QString::number(flags);
            return 6;
        };
        f.setDialogs(d);
    };
    expectAll({
        {"INPUT('c', 'p', 'd') * 2", "84"},
        {"'[' @ INPUT('cancel', 'p', 'd') @ ']'", "[]"},
        {"MSG('t', 'c', 4 + 32)", "6"},
    },
        host);
    EXPECT_EQ(shown,
        QStringList({"c", "p", "d", "cancel", "p", "d", "t", "c", "36"}));
    expectAll({{"INPUT('c', 'p', 'd')", "!User dialogs are not available here"},
        {"MSG('t', 'c', 0)", "!User dialogs are not available here"}});
}
