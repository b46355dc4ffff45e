#include "FormulaTesting.h"

#include "formula/FormulaFunctions.h"
#include "formula/Opcode.h"
#include "formula/TFormulaStack.h"

using namespace zel;

TEST(FormulaMachine, StackGrowsAndGuardsItsItems)
{
    TTalFormula f;
    TFormulaCalc &C = f.Calc();
    for (int i = 0; i < 450; ++i)
        C.PushN(i);
    EXPECT_EQ(C.Pos(), 450);
    EXPECT_EQ(C.ItemN(0), 449.0);
    EXPECT_EQ(C.ItemN(449), 0.0);
    EXPECT_THROW(C.Item(450), FormulaException);
    C.Clear();
    EXPECT_THROW(C.PopN(), FormulaException);
    C.PushS("7");
    C.PushN(2);
    C.Plus();
    EXPECT_EQ(C.TopS(), "9");
    // A call that claims more arguments than the stack holds is refused, not read.
    EXPECT_THROW(C.DoFunction(FormulaFunctions::builtins()[7], 5), FormulaException);
    C.PushN(30);
    C.DoFunction(FormulaFunctions::builtins()[7], 1);
    EXPECT_EQ(C.Pos(), 2);
    EXPECT_EQ(f.FunctionName(), "SIN");
    EXPECT_EQ(f.ParamCount(), 1);
}

TEST(FormulaMachine, ComputeWithoutCodeOrWithShortArrays)
{
    TTalFormula f;
    EXPECT_THROW(f.ComputeN(0, nullptr), FormulaException);
    f.Compile("a + b", 2, {"a", "b"});
    TCalcArray one{TCalcItem::number(5)};
    EXPECT_EQ(f.ComputeN(2, &one), 5.0) << "missing values count as 0";
    EXPECT_EQ(f.ComputeN(7, nullptr), 5.0) << "without an array the formula keeps its values";
    TCalcArray three{TCalcItem::number(1), TCalcItem::number(2), TCalcItem::number(100)};
    EXPECT_EQ(f.Compute(9, &three), "3");
    EXPECT_EQ(three[2].data, 100.0);
    // A count beyond the list of names reads only the names there are.
    f.Compile("a + b", 5, {"a", "b"});
    EXPECT_EQ(f.ComputeN(5, &three), 3.0);
}

TEST(FormulaMachine, OperatorStackKeepsCallMarkersWhole)
{
    TTalFormula f;
    TFormulaStack S(2, &f);
    EXPECT_EQ(S.Top(), 0);
    EXPECT_EQ(S.Pop(), 0);
    EXPECT_TRUE(S.PopEx().isEmpty());
    S.Push(u'(');
    S.Push(3);
    S.Push(48);
    S.Push(Opcode::CallBuiltin);
    S.Push(u'+');
    EXPECT_EQ(S.PopEx(), "+");
    const QChar marker[] = {QChar(Opcode::CallBuiltin), QChar(48), QChar(3)};
    EXPECT_EQ(S.PopEx(), QString(marker, 3));
    EXPECT_EQ(S.Top(), u'(');
}

TEST(FormulaMachine, ErrorsLeaveTheComponentUsable)
{
    TTalFormula f;
    EXPECT_THROW(f.ComputeStr("1/0", 0, {}, nullptr), FormulaException);
    EXPECT_EQ(f.ComputeStr("1+1", 0, {}, nullptr), "2");
    EXPECT_THROW(f.Compile("1+", 0, {}), FormulaException);
    EXPECT_THROW(f.ComputeN(0, nullptr), FormulaException) << "a failed compile leaves no code";
}
