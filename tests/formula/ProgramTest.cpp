#include "FormulaTesting.h"

using namespace zel;
using namespace zel::testing;

namespace {

TCalcArray numbers(std::initializer_list<double> xs)
{
    TCalcArray a;
    for (double x : xs)
        a.push_back(TCalcItem::number(x));
    return a;
}

// Compiles a program on a fresh component, then runs one sub-formula by name.
Outcome runProgram(const QString &program, const QString &sub, TCalcArray *vals = nullptr,
    const std::function<void(TTalFormula &)> &setup = {})
{
    TTalFormula f;
    f.setLocale(QLocale::c());
    if (setup)
        setup(f);
    Outcome o;
    try {
        f.CompileProgram(program);
        o.value = f.RunSub(sub, vals);
    } catch (const FormulaException &e) {
        o.error = e.message();
        o.line = e.line();
        o.column = e.column();
    }
    return o;
}

struct ProgramCase
{
    const char *program;
    const char *sub;
    std::vector<double> args;
    const char *expected; // "!" + message for an error
};

} // namespace

TEST(FormulaProgram, DeclarationsAndCalls)
{
    const ProgramCase cases[] = {
        {"SUB f(a, b) a*b", "f", {2, 3}, "6"},
        {"SUB f(a, b) a*b", "F", {2, 3}, "6"},
        {"SUB f(a b) a-b", "f", {5, 3}, "2"},
        {"SUB f(a, b,) a-b", "f", {5, 3}, "2"},
        {"SUB f(a, b) a*b", "f", {2}, "!Not enough parameters"},
        {"SUB f 1", "f", {1}, "!Not enough parameters"},
        {"SUB f(a, b) a*b", "g", {1}, "!Unknown identifier 'g'"},
        {"CONST K = 5\nSUB g K*2", "g", {}, "10"},
        {"CONST K = 5 SUB g K*2", "g", {}, "!Unknown identifier 'g'"},
        // A constant is text: B*10 reads A+1*10.
        {"CONST A = 1\tB = A+1\nSUB g B*10", "g", {}, "11"},
        {"CONST K = 5\nCONST K = 6\nSUB g K", "g", {}, "6"},
        {"GLOBAL n = 3\nSUB h n + 1", "h", {}, "4"},
        {"SUB a 1\nGLOBAL n = 2\nSUB h n * 5", "h", {}, "10"},
        {"GLOBAL g = 'x'\nSUB h g @ 'y'", "h", {}, "xy"},
        {"GLOBAL a, b = 2, c\nSUB h a + b + c", "h", {}, "2"},
        {"SUB sq(x) x*x SUB f(a) sq(a) + sq(a+1)", "f", {2}, "13"},
        {"SUB sq(x) x*x\nSUB f(a) sq(a, 1)", "f", {2}, "!\")\" expected"},
        {"SUB f(x) IF x <= 1 THEN 1 ELSE x * f(x-1) ENDIF", "f", {10}, "3628800"},
        // The caller's parameter is read again after the recursive calls return.
        {"SUB fib(n) IF n < 2 THEN n ELSE fib(n-1) + fib(n-2) ENDIF", "fib", {15}, "610"},
        {"SUB f(x) f(x+1)", "f", {0}, "!Formula stopped: calls nested too deeply"},
        {"SUB f 1 SUB f 2", "f", {}, "!Identifier already defined 'f'"},
        {"SUB f(sin) sin", "f", {1}, "!Identifier already defined 'sin'"},
        {"SUB f(a, a) a", "f", {1, 2}, "!Identifier already defined 'a'"},
        {"GLOBAL a\nSUB f(a) a", "f", {1}, "!Identifier already defined 'a'"},
        {"GLOBAL a, a", "f", {}, "!Identifier already defined 'a'"},
        {"SUB f 1\nCONST f = 2", "f", {}, "!Identifier already defined 'f'"},
        {"GLOBAL g = -1", "f", {}, "!Syntax error"},
        {"GLOBAL g = h", "f", {}, "!Syntax error"},
        {"SUB 1", "f", {}, "!Syntax error"},
        {"SUB f(a", "f", {}, "!Syntax error"},
        {"SUB f", "f", {}, "!Syntax error"},
        {"SUB f SUB g 1", "g", {}, "!Syntax error"},
        {"CONST K", "f", {}, "!Syntax error"},
        {"CONST K =\nSUB f 1", "f", {}, "!Syntax error"},
        {"1 + 2", "f", {}, "!Syntax error"},
        {"CONST A = A+1\nSUB f A", "f", {}, "!Syntax error"},
        {"CONST A = B B\tB = A A\nSUB f A", "f", {}, "!Syntax error"},
    };
    for (const ProgramCase &c : cases) {
        TCalcArray args = numbers({});
        for (double x : c.args)
            args.push_back(TCalcItem::number(x));
        const Outcome o = runProgram(QString::fromUtf8(c.program), QString::fromUtf8(c.sub),
            c.args.empty() ? nullptr : &args);
        const QString expected = QString::fromUtf8(c.expected);
        if (expected.startsWith(u'!'))
            EXPECT_EQ(o.error, expected.mid(1)) << c.program << " gave " << o;
        else
            EXPECT_TRUE(o.error.isEmpty() && o.value == expected)
                << c.program << " gave " << o << ", expected " << c.expected;
    }
}

TEST(FormulaProgram, CaseSensitiveNames)
{
    TCalcArray args = numbers({2, 3});
    const auto caseSensitive = [](TTalFormula &f) { f.setCaseSensitive(true); };
    EXPECT_EQ(runProgram("SUB f(a, b) a*b", "f", &args, caseSensitive).value, "6");
    EXPECT_EQ(runProgram("SUB f(a, b) a*b", "F", &args, caseSensitive).error,
        "Unknown identifier 'F'");
    EXPECT_EQ(runProgram("SUB f(a, b) A*b", "f", &args, caseSensitive).error,
        "Unknown identifier 'A'");
}

TEST(FormulaProgram, RunByIndexAndCopyBack)
{
    TTalFormula f;
    f.setLocale(QLocale::c());
    f.CompileProgram("SUB f(a, b) a*b\nSUB g(x) BEGIN $x := x + 1; x * 10 END\n"
                     "GLOBAL n = 7\nSUB setn(x) $n := x\nSUB getn n");
    ASSERT_EQ(f.SubFormula().size(), 4u);
    TCalcArray args = numbers({2, 3});
    EXPECT_EQ(f.RunSub(0, &args), "6");
    TCalcArray one = numbers({4});
    EXPECT_EQ(f.RunSub(1, &one), "50");
    EXPECT_EQ(one[0].data, 5) << "an assignment to a parameter reaches the caller's array";
    EXPECT_EQ(f.RunSub("getn", nullptr), "7");
    EXPECT_EQ(f.RunSub("setn", &one), "5");
    EXPECT_EQ(f.RunSub("getn", nullptr), "5") << "globals keep their values between runs";
    EXPECT_THROW(f.RunSub(4, &one), FormulaException);
    EXPECT_THROW(f.RunSub(-1, &one), FormulaException);
    EXPECT_THROW(f.RunSub(0, nullptr), FormulaException);

    // The main formula is current again: a formula can call the program's sub-formulas.
    TCalcArray none;
    EXPECT_EQ(f.ComputeStr("f(6, 7) + g(1)", 0, {}, &none), "62");
}

TEST(FormulaProgram, FaultEndsCompilationAndKeepsCompletedSubs)
{
    TTalFormula f;
    f.setLocale(QLocale::c());
    f.CompileProgram("SUB old 1");
    try {
        f.CompileProgram("SUB f(a) a + 1\n\nSUB g(b)\n  b * zz");
        FAIL() << "compiled";
    } catch (const FormulaException &e) {
        EXPECT_EQ(e.message(), "Unknown identifier 'zz'");
        EXPECT_EQ(e.line(), 4);
        EXPECT_EQ(e.column(), 8);
        EXPECT_EQ(f.ErrStrPos(), 33);
    }
    ASSERT_EQ(f.SubFormula().size(), 1u) << "the old program is gone, g was not completed";
    TCalcArray args = numbers({1});
    EXPECT_EQ(f.RunSub("f", &args), "2");
    EXPECT_THROW(f.RunSub("old", nullptr), FormulaException);

    // Positions inside a body count macro replacements as typed.
    try {
        f.CompileProgram("SUB f(a)\nIF a THEN zz ENDIF");
        FAIL() << "compiled";
    } catch (const FormulaException &e) {
        EXPECT_EQ(e.message(), "Unknown identifier 'zz'");
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.column(), 12);
    }
}

TEST(FormulaProgram, ProgramAndRegistrationsRenewCompiledFormulas)
{
    TTalFormula f;
    f.setLocale(QLocale::c());
    TCalcArray none;
    f.CompileProgram("SUB f 1");
    EXPECT_EQ(f.ComputeStr("f", 0, {}, &none), "1");
    f.CompileProgram("SUB g 5\nSUB f 2");
    EXPECT_EQ(f.ComputeStr("f", 0, {}, &none), "2");

    TCalcArray vals = numbers({7});
    EXPECT_EQ(f.ComputeStr("a", 1, {"a"}, &vals), "7");
    f.AddUserFunction("A", 0, [](TFormulaCalc &, TCalcItem &r) { r = TCalcItem::number(42); });
    EXPECT_EQ(f.ComputeStr("a", 1, {"a"}, &vals), "42") << "a function is found before a variable";

    f.CompileProgram("CONST K = 3");
    EXPECT_EQ(f.ComputeStr("K", 0, {}, &none), "3");
    f.CompileProgram("CONST K = 4");
    EXPECT_EQ(f.ComputeStr("K", 0, {}, &none), "4");
}

TEST(FormulaProgram, StopsRunawayPrograms)
{
    TTalFormula f;
    f.setLocale(QLocale::c());
    f.CompileProgram("SUB spin WHILE 1 DO 0 WEND\nSUB deep(n) deep(n) + deep(n)");
    f.setWorkLimit(100000);
    EXPECT_THROW(f.RunSub("spin", nullptr), FormulaException);
    TCalcArray args = numbers({1});
    EXPECT_THROW(f.RunSub("deep", &args), FormulaException);
    // The component is usable afterwards.
    f.CompileProgram("SUB ok 3");
    EXPECT_EQ(f.RunSub("ok", nullptr), "3");
}
