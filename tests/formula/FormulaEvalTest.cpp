#include "formula/FormulaEval.h"
#include "formula/FormulaException.h"

#include <gtest/gtest.h>

using namespace zel;

TEST(FormulaEval, EvaluatesWithNamedValues)
{
    EXPECT_EQ(FormulaEval::evaluate("rpm * 2 * PI / 60", {"rpm=6000"}), "628.318530717959");
    EXPECT_EQ(FormulaEval::evaluate("name @ '!'", {"name=Engine Speed"}), "Engine Speed!");
    EXPECT_EQ(FormulaEval::evaluate("a / 4", {"a=1.5"}), "0.375");
    EXPECT_EQ(FormulaEval::evaluate("LENGTH(e)", {"e="}), "0");
}

TEST(FormulaEval, ReportsCompileErrorsWithTheirPlaceAndRunErrorsWithout)
{
    try {
        FormulaEval::evaluate("1 +\n 2 * rpmx", {"rpm=1"});
        ADD_FAILURE();
    } catch (const FormulaException &e) {
        EXPECT_EQ(e.message(), "Unknown identifier 'rpmx'");
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.column(), 9);
    }
    try {
        FormulaEval::evaluate("rpm / 0", {"rpm=1"});
        ADD_FAILURE();
    } catch (const FormulaException &e) {
        EXPECT_EQ(e.message(), "Floating point division by zero");
        EXPECT_EQ(e.line(), 0);
    }
    EXPECT_THROW(FormulaEval::evaluate("1", {"novalue"}), FormulaException);
}

TEST(FormulaEval, TerminalDialogsAnswerDefaultsWithoutATerminal)
{
    // Under ctest standard input is not a terminal.
    FormulaDialogs d = FormulaEval::terminalDialogs();
    QString text = QStringLiteral("default");
    EXPECT_TRUE(d.input("c", "p", text));
    EXPECT_EQ(text, "default");
    EXPECT_EQ(d.message("t", "c", 4), 1);
    EXPECT_EQ(FormulaEval::evaluate("INPUT('c', 'p', 'd') @ MSG('t', 'c', 0)", {}, d), "d1");
}
