#include "FormulaTesting.h"

using namespace zel;
using namespace zel::testing;

namespace {

QString raised(const std::function<void()> &action)
{
    try {
        action();
    } catch (const FormulaException &e) {
        return e.message();
    }
    return QString();
}

// An object with a size, reached as the module OBJ: OBJ.SIZE, OBJ.SIZE := n, and the
// nested OBJ.INNER.SCALE(x) that reports the module path it was called through.
struct Host
{
    double size = 1;
    QStringList calls;

    void registerOn(TTalFormula &f)
    {
        PTableItem obj = f.AddUserFunction("Obj", 0, {}, true);
        f.AddModuleFunction(obj, "Size", 0, [this](TFormulaCalc &C, TCalcItem &r) {
            calls << C.Parent()->ModuleName() + u'.' + C.Parent()->FunctionName();
            r = TCalcItem::number(size);
        });
        f.AddModuleFunction(obj, "SetSize", 1, [this](TFormulaCalc &C, TCalcItem &r) {
            calls << C.Parent()->ModuleName() + u'.' + C.Parent()->FunctionName();
            size = C.ItemN(0);
            r = TCalcItem::number(size);
        });
        PTableItem inner = f.AddModuleFunction(obj, "Inner", 0, {}, true);
        f.AddModuleFunction(inner, "Scale", 1, [this](TFormulaCalc &C, TCalcItem &r) {
            calls << C.Parent()->ModuleName() + u'.' + C.Parent()->FunctionName();
            r = TCalcItem::number(size * C.ItemN(0));
        });
        f.AddModuleFunction(inner, "Pair", 2, [](TFormulaCalc &C, TCalcItem &r) {
            r = TCalcItem::number(C.ItemN(1) - C.ItemN(0));
        });
    }
};

} // namespace

TEST(FormulaHost, UserFunctionsAreCalledWithTheirArguments)
{
    const auto setup = [](TTalFormula &f) {
        f.AddUserFunction("Diff", 2, [](TFormulaCalc &C, TCalcItem &r) {
            r = TCalcItem::number(C.ItemN(1) - C.ItemN(0));
        });
        f.AddUserFunction("Tally", -1, [](TFormulaCalc &C, TCalcItem &r) {
            r = TCalcItem::text(C.Parent()->FunctionName() + u':' + C.ItemS(0) + u':'
                + QString::number(C.Parent()->ParamCount()));
        });
        f.AddUserFunction("Answer", 0, [](TFormulaCalc &, TCalcItem &r) {
            r = TCalcItem::number(42);
        });
    };
    expectAll(
        {
            {"diff(10, 4)", "6"},
            {"DIFF(1, 2) * 2 + answer", "40"},
            {"Answer() + 1", "43"},
            {"tally(1, 2, 3)", "TALLY:3:-1"},
            {"tally()", "TALLY:0:-1"},
            {"diff(1)", "!Not enough parameters"},
            {"diff(1, 2, 3)", "!\")\" expected"},
            {"diff.x", "!\"(\" expected"},
            {"answer.x", "!Unknown identifier 'answer'"},
        },
        setup);
}

// Number arguments reach a numeric function directly, any other value as its number. A
// result that is not finite fails as an operator's does, a zero divisor as "/" does.
TEST(FormulaHost, NumericFunctionsTakeTheirArgumentsInOrder)
{
    const auto setup = [](TTalFormula &f) {
        f.setLocale(QLocale::c());
        f.AddNumericFunction("Digits", 3,
            [](const double *a) -> NumericResult { return a[0] * 100 + a[1] * 10 + a[2]; });
        f.AddNumericFunction("Inverse", 1, [](const double *a) -> NumericResult {
            if (a[0] == 0)
                throw FormulaException::divisionByZero();
            return 1 / a[0];
        });
        f.AddNumericFunction("Ratio", 2, [](const double *a) {
            return a[1] == 0 ? NumericResult::zeroDivisor() : NumericResult(a[0] / a[1]);
        });
    };
    expectAll(
        {
            {"Digits(1, 2, 3)", "123"},
            {"Digits(1, '2', 3) + digits(Digits(0, 0, 4), 5, '6.5')", "579.5"},
            {"Digits(1, 2, 'x')", "!'x' is not a valid floating point value"},
            {"Inverse(4) * 2", "0.5"},
            {"Inverse(2 - 2)", "!Floating point division by zero"},
            {"Digits(1e308, 0, 0)", "!Floating point overflow"},
            {"Digits('1e308', 0, 0) + 1", "!Floating point overflow"},
            {"Ratio(1, 4) + Ratio('1', 2)", "0.75"},
            {"Ratio(1, 0)", "!Floating point division by zero"},
            {"Ratio('1', 0)", "!Floating point division by zero"},
            {"Digits(1, 2)", "!Not enough parameters"},
        },
        setup);
    TTalFormula f;
    setup(f);
    EXPECT_THROW(f.ComputeStrN("1 + Inverse(0)", 0, {}, nullptr), FormulaException);
    EXPECT_EQ(f.FunctionName(), "INVERSE");
    for (const int count : {0, kMaxNumericArguments + 1}) {
        EXPECT_EQ(raised([&] { f.AddNumericFunction("Odd", count, [](const double *) {
            return NumericResult(0.0);
        }); }),
            QStringLiteral("'Odd' cannot be a function of %1 numbers").arg(count));
    }
    EXPECT_FALSE(raised([&] { f.AddNumericFunction("None", 1, nullptr); }).isEmpty());
}

TEST(FormulaHost, RegistrationRefusesTakenNames)
{
    TTalFormula f;
    const pformulafunction nothing = [](TFormulaCalc &, TCalcItem &) {};
    EXPECT_EQ(raised([&] { f.AddUserFunction("Sin", 1, nothing); }), "Function already defined");
    PTableItem first = f.AddUserFunction("Mine", 1, nothing);
    EXPECT_EQ(first->name, "MINE");
    EXPECT_EQ(raised([&] { f.AddUserFunction("mine", 2, nothing); }),
        "User Function already defined");
    PTableItem module = f.AddUserFunction("Mod", 0, {}, true);
    f.AddModuleFunction(module, "Member", 0, nothing);
    EXPECT_EQ(raised([&] { f.AddModuleFunction(module, "MEMBER", 0, nothing); }),
        "Function already defined");
    EXPECT_FALSE(raised([&] { f.AddModuleFunction(nullptr, "x", 0, nothing); }).isEmpty());
}

TEST(FormulaHost, ModuleMembersAndDottedPaths)
{
    Host host;
    const auto setup = [&](TTalFormula &f) { host.registerOn(f); };
    expectAll(
        {
            {"OBJ.SIZE", "1"},
            {"obj.size() * 10", "10"},
            {"OBJ.SIZE := 5", "5"},
            {"OBJ.SIZE := 2 + 4; OBJ.SIZE", "!Syntax error"},
            {"BEGIN OBJ.SIZE := 2 + 4; OBJ.SIZE * 2 END", "12"},
            {"Obj.Inner.Scale(3)", "18"},
            {"obj.inner.pair(obj.size, 2) + 1", "5"},
            {"OBJ.Missing", "!Unknown identifier 'Missing'"},
            {"OBJ.Inner := 1", "!Unknown identifier 'Inner'"},
            {"OBJ.SetSize := 1", "!Unknown identifier 'SetSize'"},
            {"OBJ.Size.x", "!Unknown identifier 'Size'"},
            {"OBJ.Inner.Scale", "!\"(\" expected"},
            {"OBJ.1", "!Syntax error"},
            {"OBJ.", "!Syntax error"},
        },
        setup);
    EXPECT_TRUE(host.calls.contains("OBJ.SIZE"));
    EXPECT_TRUE(host.calls.contains("OBJ.SETSIZE"));
    EXPECT_TRUE(host.calls.contains("OBJ.INNER.SCALE"));
}

TEST(FormulaHost, AssignmentToAMemberNeedsOneParameter)
{
    TTalFormula f;
    PTableItem obj = f.AddUserFunction("Obj", 0, {}, true);
    f.AddModuleFunction(obj, "SetBoth", 2, [](TFormulaCalc &, TCalcItem &) {});
    EXPECT_FALSE(f.Test("OBJ.BOTH := 1", 0, {}));
    EXPECT_EQ(f.GetLastErrorStr(), "Syntax error");
}

TEST(FormulaHost, Constants)
{
    TTalFormula f;
    f.setLocale(QLocale::c());
    EXPECT_EQ(raised([&] { f.AddUserConstant("TRUE", "2"); }), "Constant already defined");
    f.AddUserConstant("Mass", "750");
    EXPECT_EQ(raised([&] { f.AddUserConstant("mass", "1"); }), "Constant already defined");
    TCalcArray none;
    EXPECT_EQ(f.ComputeStr("mass / 10 + TRUE", 0, {}, &none), "76");
    // After a compilation a constant of the same name is replaced.
    f.AddUserConstant("TRUE", "2");
    f.AddUserConstant("MASS", "(700 + 50)");
    EXPECT_EQ(f.ComputeStr("mass / 10 + TRUE", 0, {}, &none), "77");

    // A constant that names itself is refused instead of expanding without end.
    f.AddUserConstant("Again", "Again + 1");
    f.AddUserConstant("Twice", "Twice Twice");
    EXPECT_FALSE(f.Test("again", 0, {}));
    EXPECT_EQ(f.GetLastErrorStr(), "Syntax error");
    EXPECT_FALSE(f.Test("twice", 0, {}));
    EXPECT_EQ(f.GetLastErrorStr(), "Syntax error");
}
