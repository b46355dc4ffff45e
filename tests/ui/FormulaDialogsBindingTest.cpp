#include "ui/FormulaDialogsBinding.h"

#include "formula/TTalFormula.h"
#include "session/TKRO_Data.h"
#include "ui/MessageBoxStyle.h"
#include "ui/ScriptedUserDialogs.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {

TEST(FormulaDialogsBindingTest, InputAndMsgOfAFormulaAskThroughTheService)
{
    ScriptedUserDialogs dialogs;
    dialogs.answerInput(QString("41"));
    dialogs.answerMessageBox(IdNo);
    dialogs.answerInput(std::nullopt);

    TTalFormula f;
    f.setLocale(QLocale::c());
    f.setDialogs(formulaDialogsFor(dialogs));
    TCalcArray none;
    EXPECT_EQ(f.ComputeStr("INPUT('Gear', 'Ratio?', '3.5') + 1", 0, {}, &none), "42");
    EXPECT_EQ(
        f.ComputeStr("MSG('Line 1' @ CHR(13) @ CHR(10) @ 'Line 2', 'Check', 4 + 32)", 0, {}, &none),
        "7");
    // A cancelled input box gives the formula an empty text.
    EXPECT_EQ(f.ComputeStr("'[' @ INPUT('Gear', 'Ratio?', '3.5') @ ']'", 0, {}, &none), "[]");

    ASSERT_EQ(dialogs.shown().size(), 3);
    EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Input);
    EXPECT_EQ(dialogs.shown()[0].caption, "Gear");
    EXPECT_EQ(dialogs.shown()[0].text, "Ratio?");
    EXPECT_EQ(dialogs.shown()[0].defaultText, "3.5");
    EXPECT_EQ(dialogs.shown()[1].kind, DialogKind::MessageBox);
    EXPECT_EQ(dialogs.shown()[1].text, "Line 1\r\nLine 2");
    EXPECT_EQ(dialogs.shown()[1].caption, "Check");
    EXPECT_EQ(dialogs.shown()[1].flags, MbYesNo | MbIconQuestion);
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

TEST(FormulaDialogsBindingTest, TestFormulaAsksForTestValuesAndRunsMsg)
{
    ScriptedUserDialogs dialogs;
    dialogs.answerInput(QString("3000"));
    dialogs.answerMessageBox(IdOk);
    dialogs.answerInput(std::nullopt);

    TKRO_Data data;
    data.setTestDialogs(formulaDialogsFor(dialogs));
    data.PrepareComputation({ "RPM" });
    int error = -1;
    EXPECT_EQ(data.TestFormula("RPM / 2 + MSG('RPM is ' @ RPM, 'Test', 0)", error),
        "Channel Value = 1501");
    EXPECT_EQ(data.TestFormula("Speed", error), "Unknown identifier 'Speed'");
    data.PrepareComputation({ "RPM" });
    EXPECT_EQ(data.TestFormula("RPM * 2", error), "Operation was Canceled");

    QStringList seen;
    for (const ShownDialog &d : dialogs.shown())
        seen << d.summary() + " [" + d.defaultText + "]";
    EXPECT_EQ(seen,
        QStringList({ "input box \"Enter Value\": Enter Test value for : RPM [0.0]",
            "message box \"Test\": RPM is 3000 []",
            "input box \"Enter Value\": Enter Test value for : RPM [0.0]" }));
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

} // namespace
