// The conversions of the user-dialog service, without showing any window.
#include "ui/FileDialogRequest.h"
#include "ui/MessageBoxStyle.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {

using Buttons = QList<QMessageBox::StandardButton>;

TEST(DialogConversionTest, FilterTextBecomesQtNameFilters)
{
    struct Case
    {
        const char *filter;
        QStringList expected;
    };
    const Case cases[] = {
        { "", {} },
        { "ZEL Map Files|*.Map", { "ZEL Map Files (*.Map)" } },
        { "ZEL Log File|*.kro|Text File|*.txt", { "ZEL Log File (*.kro)", "Text File (*.txt)" } },
        { "Tables|*.trn; *.Trn;", { "Tables (*.trn *.Trn)" } },
        { "|*.msg", { "*.msg (*.msg)" } },
        { "Nothing|", {} },
        { "Logs|*.Dsh|Dangling", { "Logs (*.Dsh)" } },
    };
    for (const Case &c : cases)
        EXPECT_EQ(qtNameFilters(c.filter), c.expected) << c.filter;
}

TEST(DialogConversionTest, DefaultExtensionAndProposedName)
{
    struct Case
    {
        const char *given;
        const char *suffix;
    };
    const Case cases[] = {
        { "kro", "kro" },
        { "*.Map", "Map" },
        { ".TRN", "TRN" },
        { "*.*", "" },
        { "", "" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(qtDefaultSuffix(c.given), c.suffix) << c.given;

    EXPECT_EQ(proposedFileName("Datalog1.kro"), "Datalog1.kro");
    EXPECT_EQ(proposedFileName("*.Trn"), "");
}

TEST(DialogConversionTest, FlagsGiveButtonsIconDefaultAndEscape)
{
    using B = QMessageBox::StandardButton;
    struct Case
    {
        int flags;
        Buttons buttons;
        QMessageBox::Icon icon;
        B defaultButton;
        B escape;
    };
    const Case cases[] = {
        { MbOk, { B::Ok }, QMessageBox::NoIcon, B::Ok, B::Ok },
        { MbOkCancel | MbIconError, { B::Ok, B::Cancel }, QMessageBox::Critical, B::Ok, B::Cancel },
        { MbAbortRetryIgnore | MbIconQuestion, { B::Abort, B::Retry, B::Ignore },
            QMessageBox::Question, B::Abort, B::NoButton },
        { MbYesNoCancel | MbIconWarning | MbDefaultButton3, { B::Yes, B::No, B::Cancel },
            QMessageBox::Warning, B::Cancel, B::Cancel },
        { MbYesNo | MbIconInformation | MbDefaultButton2, { B::Yes, B::No },
            QMessageBox::Information, B::No, B::NoButton },
        { MbRetryCancel | MbDefaultButton3, { B::Retry, B::Cancel }, QMessageBox::NoIcon, B::Retry,
            B::Cancel },
        // Unknown button sets and icons: OK alone, no icon.
        { 0x6 | 0x50, { B::Ok }, QMessageBox::NoIcon, B::Ok, B::Ok },
        { -1, { B::Ok }, QMessageBox::NoIcon, B::Ok, B::Ok },
    };
    for (const Case &c : cases) {
        const MessageBoxStyle style = messageBoxStyle(c.flags);
        EXPECT_EQ(style.buttons, c.buttons) << c.flags;
        EXPECT_EQ(style.icon, c.icon) << c.flags;
        EXPECT_EQ(style.defaultButton, c.defaultButton) << c.flags;
        EXPECT_EQ(style.escapeButton, c.escape) << c.flags;
    }
}

TEST(DialogConversionTest, ButtonNumbersAndSafeAnswers)
{
    const std::pair<QMessageBox::StandardButton, int> numbers[] = {
        { QMessageBox::Ok, 1 },
        { QMessageBox::Cancel, 2 },
        { QMessageBox::Abort, 3 },
        { QMessageBox::Retry, 4 },
        { QMessageBox::Ignore, 5 },
        { QMessageBox::Yes, 6 },
        { QMessageBox::No, 7 },
        { QMessageBox::NoButton, 2 },
        { QMessageBox::Save, 2 },
    };
    for (const auto &[button, number] : numbers)
        EXPECT_EQ(messageBoxResult(button), number) << button;

    const std::pair<int, int> safe[] = {
        { MbOk, IdOk },
        { MbOkCancel, IdCancel },
        { MbAbortRetryIgnore, IdAbort },
        { MbYesNoCancel, IdCancel },
        { MbYesNo, IdNo },
        { MbRetryCancel, IdCancel },
    };
    for (const auto &[flags, result] : safe)
        EXPECT_EQ(safeMessageBoxResult(flags), result) << flags;
}

TEST(DialogConversionTest, EitherOrderOfReturnAndNewlineBreaksOneLine)
{
    struct Case
    {
        const char *text;
        const char *shown;
    };
    const Case cases[] = {
        { "a\r\nb", "a\nb" },
        { "a\n\rb", "a\nb" },
        { "a\nb\rc", "a\nb\nc" },
        { "a\r\n\r\nb", "a\n\nb" },
        { "a\n\r\nb", "a\n\nb" },
        { "\r\n", "\n" },
        { "plain", "plain" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(displayText(c.text), c.shown) << c.text;
}

} // namespace
