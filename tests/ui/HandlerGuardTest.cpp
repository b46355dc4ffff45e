#include "ui/HandlerGuard.h"

#include "common/Error.h"
#include "formula/FormulaException.h"
#include "ui/ScriptedUserDialogs.h"

#include <QAction>
#include <functional>
#include <gtest/gtest.h>
#include <new>

using namespace zel;

namespace {

TEST(HandlerGuardTest, EachKindOfExceptionShowsOneErrorBoxWithItsText)
{
    struct Case
    {
        const char *name;
        std::function<void()> handler;
        QString shown;
    };
    const Case cases[] = {
        { "zel::Error",
            [] { throw FileError(QStringLiteral("Cannot write \"Maths.prm\": Ünïcode")); },
            QStringLiteral("Cannot write \"Maths.prm\": Ünïcode") },
        { "formula error", [] { throw FormulaException(QStringLiteral("Division by zero")); },
            "Division by zero" },
        { "standard exception", [] { throw std::bad_alloc(); }, "std::bad_alloc" },
        { "conversion", [] { throw std::invalid_argument("'1..2' is not a valid number"); },
            "'1..2' is not a valid number" },
        { "empty message", [] { throw std::runtime_error(""); }, "An unexpected error occurred." },
        { "anything else", [] { throw 42; }, "An unexpected error occurred." },
    };
    for (const Case &c : cases) {
        ScriptedUserDialogs dialogs;
        EXPECT_FALSE(guarded(dialogs, c.handler)) << c.name;
        ASSERT_EQ(dialogs.shown().size(), 1) << c.name;
        EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Error) << c.name;
        EXPECT_EQ(dialogs.shown()[0].text, c.shown) << c.name;
    }

    ScriptedUserDialogs quiet;
    int runs = 0;
    EXPECT_TRUE(guarded(quiet, [&] { ++runs; }));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(quiet.shown().isEmpty());
}

TEST(HandlerGuardTest, NothingEscapesEvenWhenTheErrorBoxFails)
{
    // A service whose error box itself fails, as when memory runs out while showing it.
    struct BrokenBox : UserDialogs
    {
        void information(const QString &, const QString &) override { }
        void warning(const QString &, const QString &) override { }
        void error(const QString &, const QString &) override { throw std::bad_alloc(); }
        bool question(const QString &, const QString &) override { return false; }
        int messageBox(const QString &, const QString &, int) override { return 2; }
        std::optional<QString> inputText(const QString &, const QString &, const QString &) override
        {
            return std::nullopt;
        }
        std::optional<QString> openFile(const FileDialogRequest &) override { return std::nullopt; }
        std::optional<QString> saveFile(const FileDialogRequest &) override { return std::nullopt; }
        std::optional<QString> chooseFolder(const QString &, const QString &) override
        {
            return std::nullopt;
        }
    } broken;
    EXPECT_NO_THROW(EXPECT_FALSE(guarded(broken, [] { throw Error(QStringLiteral("lost")); })));
}

TEST(HandlerGuardTest, GuardedSlotsShowTheErrorAndTakeTheSignalsArguments)
{
    ScriptedUserDialogs dialogs;
    QAction action;
    action.setCheckable(true);
    QObject context;
    QList<bool> states;
    connectGuarded(dialogs, &action, &QAction::triggered, &context,
        [&](bool checked) { states.append(checked); });
    connectGuarded(dialogs, &action, &QAction::triggered, &context,
        [] { throw Error(QStringLiteral("The card is write-protected")); });

    EXPECT_NO_THROW(action.trigger());
    EXPECT_NO_THROW(action.trigger());
    EXPECT_EQ(states, QList<bool>({ true, false }));
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[1].text, "The card is write-protected");
}

} // namespace
