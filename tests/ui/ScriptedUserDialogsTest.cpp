#include "ui/ScriptedUserDialogs.h"

#include "ui/MessageBoxStyle.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {

TEST(ScriptedUserDialogsTest, AnswersInOrderAndRecordsEveryDialog)
{
    ScriptedUserDialogs dialogs;
    dialogs.answerQuestion(true);
    dialogs.answerQuestion(false);
    dialogs.answerMessageBox(IdRetry);
    dialogs.answerInput(QString("42"));
    dialogs.answerInput(std::nullopt);
    dialogs.answerOpenFile(QString("/card/Logs/Datalog1.Dsh"));
    dialogs.answerSaveFile(std::nullopt);
    dialogs.answerFolder(QString("/media/card"));

    dialogs.information("Backup has completed");
    EXPECT_TRUE(dialogs.question("Overwrite?", "Restore"));
    EXPECT_EQ(dialogs.messageBox("Card busy", "Card", MbRetryCancel), IdRetry);
    EXPECT_FALSE(dialogs.question("Again?"));
    EXPECT_EQ(dialogs.inputText("Enter Value", "Value:", "0.0"), QString("42"));
    EXPECT_EQ(dialogs.inputText("Enter Value", "Value:", "0.0"), std::nullopt);
    FileDialogRequest request;
    request.caption = "Open";
    request.filter = "KRO 7 Log Files|*.Dsh";
    request.initialFolder = "/card/Logs";
    EXPECT_EQ(dialogs.openFile(request), QString("/card/Logs/Datalog1.Dsh"));
    request.caption = "Save";
    EXPECT_EQ(dialogs.saveFile(request), std::nullopt);
    EXPECT_EQ(dialogs.chooseFolder("Card", "/media"), QString("/media/card"));
    dialogs.warning("Short file", "Settings");
    dialogs.error("Disk full");

    QStringList seen;
    for (const ShownDialog &d : dialogs.shown())
        seen << d.summary();
    EXPECT_EQ(seen,
        QStringList({ "information \"\": Backup has completed", "question \"Restore\": Overwrite?",
            "message box \"Card\": Card busy", "question \"\": Again?",
            "input box \"Enter Value\": Value:", "input box \"Enter Value\": Value:",
            "open dialog \"Open\": ", "save dialog \"Save\": ", "folder chooser \"Card\": ",
            "warning \"Settings\": Short file", "error \"\": Disk full" }));
    EXPECT_EQ(dialogs.shown()[2].flags, MbRetryCancel);
    EXPECT_EQ(dialogs.shown()[4].defaultText, "0.0");
    EXPECT_EQ(dialogs.shown()[6].file.filter, "KRO 7 Log Files|*.Dsh");
    EXPECT_EQ(dialogs.shown()[6].file.initialFolder, "/card/Logs");
    EXPECT_EQ(dialogs.shown()[8].defaultText, "/media");
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
    EXPECT_EQ(dialogs.pendingAnswers(), 0);
}

TEST(ScriptedUserDialogsTest, UnexpectedDialogsGetTheSafeAnswerAndAreReported)
{
    ScriptedUserDialogs dialogs;
    dialogs.answerMessageBox(IdYes); // not a button of an OK/Cancel box
    dialogs.answerFolder(QString("/unused"));

    EXPECT_FALSE(dialogs.question("Delete all logs?"));
    EXPECT_EQ(dialogs.messageBox("Go on?", "", MbOkCancel), IdCancel);
    EXPECT_EQ(dialogs.messageBox("Stop?", "", MbYesNo), IdNo);
    EXPECT_EQ(dialogs.messageBox("Note", "", MbOk), IdOk);
    EXPECT_EQ(dialogs.inputText("c", "p", "d"), std::nullopt);
    EXPECT_EQ(dialogs.openFile({}), std::nullopt);
    EXPECT_EQ(dialogs.saveFile({}), std::nullopt);

    EXPECT_EQ(dialogs.unexpected().size(), 7);
    EXPECT_EQ(dialogs.unexpected().first().text, "Delete all logs?");
    EXPECT_EQ(dialogs.pendingAnswers(), 1);
}

} // namespace
