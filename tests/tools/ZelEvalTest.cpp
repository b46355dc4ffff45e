#include "ZelRun.h"

#include <gtest/gtest.h>

TEST(ZelEval, PrintsTheResult)
{
    struct Case { QStringList args; QString out; };
    const Case cases[] = {
        {{QStringLiteral("1+2*3")}, QStringLiteral("7\n")},
        {{QStringLiteral("rpm * 2"), QStringLiteral("rpm=3000.5")}, QStringLiteral("6001\n")},
        {{QStringLiteral("a / b"), QStringLiteral("a=1"), QStringLiteral("b=4")}, QStringLiteral("0.25\n")},
        {{QStringLiteral("name + '!'"), QStringLiteral("name=Car 7")}, QStringLiteral("Car 7!\n")},
    };
    for (const Case &c : cases) {
        const ZelRun run = runZelCommand(QStringList{QStringLiteral("eval")} + c.args);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(run.out, c.out) << c.args.join(' ').toStdString();
    }
}

TEST(ZelEval, ErrorsExitWithOneLine)
{
    struct Case { QStringList args; QString message; };
    const Case cases[] = {
        // A compile error says where it is.
        {{QStringLiteral("1 +")}, QStringLiteral("(line 1, column")},
        {{QStringLiteral("1 / 0")}, QStringLiteral("Floating point division by zero")},
        {{QStringLiteral("x + 1"), QStringLiteral("novalue")}, QStringLiteral("NAME=VALUE")},
        {{}, QStringLiteral("usage")},
    };
    for (const Case &c : cases) {
        const ZelRun run = runZelCommand(QStringList{QStringLiteral("eval")} + c.args);
        EXPECT_EQ(run.status, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
    }
}
