#include "FormulaTesting.h"

#include <cstring>

using namespace zel;
using namespace zel::testing;

namespace {

struct ErrorCase
{
    const char *formula;
    const char *message;
    int line;
    int column;
};

QString code(std::initializer_list<char16_t> units)
{
    QString s;
    for (char16_t u : units)
        s += QChar(u);
    return s;
}

QString number(double x)
{
    char16_t units[4];
    std::memcpy(units, &x, sizeof x);
    return code({254, units[0], units[1], units[2], units[3]});
}

} // namespace

TEST(FormulaCompiler, ErrorsAndTheirPositions)
{
    const ErrorCase cases[] = {
        {"", "Syntax error", 1, 1},
        {"{only a comment}", "Syntax error", 1, 17},
        {"// comment", "Syntax error", 1, 11},
        {"5 - -3", "Syntax error", 1, 6},
        {"1 +", "Syntax error", 1, 4},
        {"1 2", "Syntax error", 1, 4},
        {"(1 + 2", "\")\" expected", 1, 7},
        {"SIN(1,2)", "\")\" expected", 1, 7},
        {"SIN 1", "\"(\" expected", 1, 6},
        {"MIDSTR('abc',1)", "Not enough parameters", 1, 16},
        {"IF 1 THEN 2", "\")\" expected", 1, 12},
        {"CONDITION(1)", "Not enough parameters", 1, 13},
        {"a + rpmx", "Unknown identifier 'rpmx'", 1, 8},
        {"1 +\n  2 * foo", "Unknown identifier 'foo'", 2, 9},
        {"IF 1 THEN x ENDIF", "Unknown identifier 'x'", 1, 11},
        {"RND.X", "Unknown identifier 'RND'", 1, 5},
        {"1 ? 2", "Illegal character '?'", 1, 3},
        {"{a}{b}1", "Illegal character '{'", 1, 4},
        {"'abc", "Syntax error", 1, 5},
        {"#", "Syntax error", 1, 2},
        {"#65536", "Syntax error", 1, 6},
        {"$100000000", "Syntax error", 1, 10},
        {"1e999", "Syntax error", 1, 6},
        {"2e", "Syntax error", 1, 3},
        {".5", "Syntax error", 1, 2},
        {"1 : 2", "Syntax error", 1, 3},
        {"$SIN", "Syntax error", 1, 5},
    };
    for (const ErrorCase &c : cases) {
        const Outcome o = run(QString::fromUtf8(c.formula), {"a=1"});
        EXPECT_EQ(o.error, QString::fromUtf8(c.message)) << c.formula;
        EXPECT_EQ(o.line, c.line) << c.formula;
        EXPECT_EQ(o.column, c.column) << c.formula;
    }
}

TEST(FormulaCompiler, TestReportsWithoutRaising)
{
    TTalFormula f;
    EXPECT_FALSE(f.Test("1 + ", 0, {}));
    EXPECT_EQ(f.Error(), ER_SYNTAX);
    EXPECT_EQ(f.GetLastErrorStr(), "Syntax error");
    EXPECT_TRUE(f.Test("1+2 SUB", 0, {})) << "a program word may follow a formula";
    EXPECT_TRUE(f.Test("a + 1", 2, {"a", "b"}));
    f.setTestUsedVars(true);
    EXPECT_FALSE(f.Test("a + 1", 2, {"a", "b"}));
    EXPECT_EQ(f.GetLastErrorStr(), "Variable not used");
    EXPECT_TRUE(f.Test("a + $b", 2, {"a", "b"}));
    // A macro shifts the text; the position still refers to what was typed.
    EXPECT_FALSE(f.Test("BEGIN 1; zz END", 0, {}));
    EXPECT_EQ(f.GetLastErrorStr(), "Unknown identifier 'zz'");
    EXPECT_EQ(f.ErrPos(), 11);
    EXPECT_EQ(f.ErrStrPos(), 11);
}

TEST(FormulaCompiler, LiteralsCommentsAndOptions)
{
    expectAll({
        {"'it''s'", "it's"},
        {"\"A\"#66", "AB"},
        {"#72#105", "Hi"},
        {"'say \"hi\"'", "say \"hi\""},
        {"{a} // b\n1", "1"},
        {"1 { one } + { two } 2", "3"},
        {"1 // comment\n+ 2", "3"},
        {"1e3 + 2.5E-1", "1000.25"},
        {"PI", "3.14159265358979"},
        {"NOW() - NOW < 1", "1"},
        {"begin 1; 2 end", "2"},
        {"TRUE AND FALSE", "0"},
        {"'abc' LIKE 'a*'", "1"},
        {"'abc' == 'a?c'", "1"},
        {"MAX(1, 2, )", "2"},
        {"sin(90)", "1"},
    });
    expectAll({{".5 + 1", "1.5"}}, [](TTalFormula &f) { f.setNoLeadingZero(true); });
    expectAll({{"hello", "hello"}, {"abc @ 1", "abc1"}},
        [](TTalFormula &f) { f.setUnQuotedString(true); });
    expectAll({{"x", "!GetVarValue not set!"}}, [](TTalFormula &f) { f.setExternGetVar(true); });
    expectAll({{"X + x", "4", {"x=2"}}});
    expectAll({{"X + x", "!Unknown identifier 'X'", {"x=2"}}},
        [](TTalFormula &f) { f.setCaseSensitive(true); });
    expectAll({{"SPEED + 1", "2", {"SPEED=1"}}, {"speed + 1", "!Illegal character 's'"}},
        [](TTalFormula &f) { f.setVarNameLiterals(QStringLiteral("_ABCDEFGHIJKLMNOPQRSTUVWXYZ")); });
}

TEST(FormulaCompiler, CompiledCodeIsExact)
{
    TTalFormula f;
    EXPECT_EQ(f.Compile("a+2*b", 2, {"a", "b"}),
        code({253, 0}) + number(2) + code({253, 1, '*', '+', 224}));
    EXPECT_EQ(f.Compiled(), f.Compile("a+2*b", 2, {"a", "b"}));
    EXPECT_EQ(f.Compile("RND", 0, {}), code({245, 27, 0, 224}));
    EXPECT_EQ(f.Compile("RND()", 0, {}), code({245, 27, 0, 224}));
    EXPECT_EQ(f.Compile("SIN(a)", 1, {"a"}), code({253, 0, 245, 7, 1, 224}));
    EXPECT_EQ(f.Compile("MAX(a, 1)", 1, {"a"}),
        code({253, 0}) + number(1) + number(2) + code({245, 29, 0xFFFF, 224}));
    EXPECT_EQ(f.Compile("'ab' @ -a", 1, {"a"}),
        code({246, 2, 0, 'a', 'b', 253, 0, 251, '@', 224}));
    EXPECT_EQ(f.Compile("a <= 1 XOR a <> 2", 1, {"a"}),
        code({253, 0}) + number(1) + code({253, 0, 247, 249}) + number(2) + code({252, 224}));
    EXPECT_EQ(f.Compile("CONDITION(a, 1, 2)", 1, {"a"}),
        code({253, 0, 244, 13, 0}) + number(1) + code({242, 18, 0}) + number(2) + code({224}));
    EXPECT_EQ(f.Compile("IF a THEN 1 ELSE 2 ENDIF", 1, {"a"}),
        code({253, 0, 244, 21, 0}) + number(1) + number(1) + code({245, 3, 0xFFFF, 242, 34, 0})
            + number(2) + number(1) + code({245, 3, 0xFFFF, 224}));
    EXPECT_EQ(f.Compile("LOOP(a, 0)", 1, {"a"}),
        number(-1) + number(1) + code({'+', 253, 0, 244, 25, 0}) + number(0)
            + code({241, 242, 5, 0, 224}));
    EXPECT_EQ(f.Compile("$x := 1", 0, {}),
        code({246, 1, 0, 'x'}) + number(1) + code({245, 0, 2, 224}));
    f.setExternGetVar(true);
    EXPECT_EQ(f.Compile("ch", 0, {}), code({231, 2, 0, 'c', 'h', 224}));
}

TEST(FormulaCompiler, HostileTextNeverCrashes)
{
    const QString deep = QString(3000, u'(') + u'1' + QString(3000, u')');
    EXPECT_EQ(run(deep).error, "Syntax error");
    const QString nested2000 = QString(2000, u'(') + u'1' + QString(2000, u')');
    EXPECT_EQ(run(nested2000).value, "1");
    QString chain = QStringLiteral("0");
    for (int i = 0; i < 20000; ++i)
        chain += QStringLiteral("+1");
    EXPECT_EQ(run(chain).value, "20000");
    EXPECT_EQ(run(QString(5000, u'-') + u'1').error, "Syntax error");
    EXPECT_EQ(run(QStringLiteral("MAX(1") + QString(2000, u',') + u')').error, "\")\" expected");
    EXPECT_EQ(run(QString(1000, u'!') + u'1').value, "1");
    EXPECT_EQ(run(QStringLiteral("'a\0b'")).value.size(), 3);
    EXPECT_FALSE(run(QStringLiteral("1 +\0 2")).error.isEmpty());
}

TEST(FormulaCompiler, RecompilingTheSameTextFollowsChangedOptionsAndNames)
{
    TTalFormula f;
    const QString code = f.Compile("X + x", 1, {"x"});
    EXPECT_EQ(f.Compile("X + x", 1, {"x"}), code);
    EXPECT_FALSE(f.Test("1 +", 0, {}));
    EXPECT_THROW(f.ComputeN(0, nullptr), FormulaException) << "Test dropped the code";
    EXPECT_EQ(f.Compile("X + x", 1, {"x"}), code);
    f.setCaseSensitive(true);
    EXPECT_THROW(f.Compile("X + x", 1, {"x"}), FormulaException);
    f.setCaseSensitive(false);
    EXPECT_THROW(f.Compile("X + x", 1, {"y"}), FormulaException);
    EXPECT_EQ(f.Compile("X + x", 2, {"y", "x"}), QString(code).replace(QChar(0), QChar(1)));
    TCalcArray vals{TCalcItem::number(1), TCalcItem::number(2)};
    EXPECT_EQ(f.ComputeN(2, &vals), 4.0);
}

TEST(FormulaCompiler, UsedVariablesNameWhatTheFormulaCanReach)
{
    struct Case { const char *formula; std::vector<int> used; };
    const Case cases[] = {
        {"a + c", {0, 2}},
        {"1", {}},
        {"IF b > 0 THEN b ELSE 0 ENDIF", {1}},
        // A builtin that takes a variable's name as text may reach any of them.
        {"SET('c', a)", {0, 1, 2}},
        {"INC('a')", {0, 1, 2}},
    };
    for (const Case &c : cases) {
        TTalFormula f;
        f.Compile(QString::fromLatin1(c.formula), 3, {"a", "b", "c"});
        EXPECT_EQ(f.usedVariables(), c.used) << c.formula;
    }
}
