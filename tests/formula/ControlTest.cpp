#include "FormulaTesting.h"

using namespace zel;
using namespace zel::testing;

TEST(FormulaControl, Constructs)
{
    expectAll({
        {"IF x > 0 THEN 1 ENDIF", "0", {"x=-1"}},
        {"IF x > 0 THEN 1 ENDIF", "1", {"x=3"}},
        {"IF x > 0 THEN 'pos' ELSE 'neg' ENDIF", "neg", {"x=-1"}},
        {"IF x > 0 THEN 'pos' ELSE 'neg' ENDIF", "pos", {"x=1"}},
        {"if x then 1 else if x + 1 then 2 else 3 endif endif", "2", {"x=0"}},
        {"CONDITION(1, 2, 3)", "2"},
        {"CONDITION(0, 2, 3)", "3"},
        {"CONDITION(0, 1/0, 3)", "3"},
        {"BEGIN a; b END", "2", {"a=1", "b=2"}},
        {"BEGIN a; b; END", "2", {"a=1", "b=2"}},
        {"WHILE i < 5 DO $i++ WEND", "5", {"i=0"}},
        {"BLOCK(WHILE i < 5 DO $i++ WEND, i)", "5", {"i=0"}},
        {"WHILE 0 DO 1 WEND", "0"},
        {"LOOP(i < 3, INC('i'))", "3", {"i=0"}},
        {"REPEAT $i++ UNTIL i >= 4 END", "4", {"i=0"}},
        {"REPEAT 1 UNTIL 1 END", "1"},
        {"TILL(INC('i'), i > 10)", "11", {"i=0"}},
        {"BLOCK(FOR $i := 0, i < 4, $i++ DO $s := s + i NEXT, s)", "6", {"i=0", "s=0"}},
        {"FOR $i := 0, i < 4, $i++ DO 0 NEXT", "4", {"i=0"}},
        {"SERIES(SET('i', 10), i < 4, INC('i'), 0)", "0", {"i=0"}},
        {"BLOCK(RETURN(7), 1/0)", "7"},
        {"RETURN(2) + 1", "2"},
        {"BEGIN VAR 'a', 'b'); $a := 2; $b := 3; $a * $b END", "6"},
    });
}

TEST(FormulaControl, EndlessLoopsAndDeepCallsAreStopped)
{
    expectAll({
        {"WHILE 1 DO 0 WEND", "!Formula stopped: work limit exceeded"},
        {"REPEAT 0 UNTIL 0 END", "!Formula stopped: work limit exceeded"},
    });
    TTalFormula f;
    f.setWorkLimit(1000);
    f.Compile("WHILE i < 100 DO $i++ WEND", 1, {"i"});
    TCalcArray vals{TCalcItem::number(0)};
    EXPECT_THROW(f.ComputeN(1, &vals), FormulaException);
    vals[0] = TCalcItem::number(95);
    EXPECT_EQ(f.ComputeN(1, &vals), 5.0) << "the budget restarts with every evaluation";
}

TEST(FormulaControl, StepModeStopsWhenTheHostAsks)
{
    TTalFormula f;
    FormulaDialogs dialogs;
    // The host sets Stop while the run waits on it, as a window would from its events.
    dialogs.message = [&f](const QString &, const QString &, int) {
        f.setStop(true);
        return 1;
    };
    f.setDialogs(dialogs);
    f.Compile("BLOCK(MSG('stop?', 'run', 0), 1/0)", 0, {});
    EXPECT_THROW(f.ComputeN(0, nullptr), FormulaException) << "without Step the request is ignored";
    f.setStep(true);
    EXPECT_EQ(f.ComputeN(0, nullptr), 0.0);
    EXPECT_EQ(f.Compute(0, nullptr), "");
    EXPECT_FALSE(f.Stop()) << "a run clears the request when it ends";
}
