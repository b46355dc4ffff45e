#include "ZelRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(ZelTemplatesTest, WritesTheTemplatesUnderTheProgramFolder)
{
    QTemporaryDir program;
    const ZelRun run = runZelCommand({ "templates", program.path() });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Initialisation")) << run.out.toStdString();
    for (const char *file : { "Initialisation/ZEL/KRO7_4/MSE/Settings.prm",
             "Initialisation/ZEL/KRO7_1/VT4B/screen2.scn",
             "Initialisation/ZEL/KRO7_5/KRO7/PWMLoop.prm" }) {
        EXPECT_TRUE(QFileInfo(QDir(program.path()).filePath(file)).isFile()) << file;
    }
    EXPECT_FALSE(
        QFileInfo::exists(QDir(program.path()).filePath("Initialisation/ZEL/KRO7_1/KRO7")));
}

TEST(ZelTemplatesTest, BadArgumentsAndUnwritableFoldersFailWithAMessage)
{
    QTemporaryDir program;
    const QString file = QDir(program.path()).filePath("file");
    QFile(file).open(QIODevice::WriteOnly);
    const std::pair<QStringList, const char *> cases[] = {
        { { "templates" }, "usage" },
        { { "templates", "a", "b" }, "usage" },
        { { "templates", "--force" }, "usage" },
        { { "templates", file }, "Cannot create the folder" },
    };
    for (const auto &[args, message] : cases) {
        const ZelRun run = runZelCommand(args);
        EXPECT_EQ(run.status, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith("zel templates: ")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(message)) << run.err.toStdString();
    }
}

} // namespace
