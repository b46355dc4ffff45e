#include "../WriteProtectedFile.h"
#include "ZelRun.h"
#include "logger/LoggerChannelCount.h"
#include "session/RecordTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zel;

namespace {

constexpr qsizetype kMathsFileSize = 256 * 4127;

class ZelCardFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const ZelRun demo = runZelCommand({ "demo", path("card") });
        ASSERT_EQ(demo.status, 0) << demo.err.toStdString();
        ASSERT_TRUE(QDir().mkpath(path("outside")));
    }
    void TearDown() override { resetLoggerChannelCount(); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    ZelRun maths(const QStringList &args) const
    {
        return runZelCommand(QStringList { "maths", path("card") } + args);
    }

    static QByteArray readAll(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static void writeAll(const QString &file, const QByteArray &bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ZelCardFilesTest, AWriteProtectedCardIsReadButNeverWritten)
{
    ASSERT_EQ(maths({ "--var", "Factor=2" }).status, 0);
    ASSERT_EQ(maths({ "--add", "Double=ECU_RPM * Factor" }).status, 0);
    const QStringList tables { path("card/Data/Settings.prm"), path("card/Data/Translation.prm"),
        path("card/Data/Maths.prm") };
    QList<QByteArray> before;
    for (const QString &table : tables)
        before << readAll(table);

    WriteProtectedFile settings(tables[0]);
    WriteProtectedFile translations(tables[1]);
    WriteProtectedFile mathsTable(tables[2]);
    if (!settings.works() || !translations.works() || !mathsTable.works())
        GTEST_SKIP() << "files cannot be write-protected here";

    const ZelRun import = runZelCommand({ "import", path("card/Logs/Datalog1.Dsh"), "--card",
        path("card"), "-o", path("out.kro") });
    ASSERT_EQ(import.status, 0) << import.err.toStdString();
    RecordTable log;
    log.loadFromFile(path("out.kro"));
    EXPECT_GE(log.findColumn("Double"), 0);

    const ZelRun listed = maths({});
    EXPECT_EQ(listed.status, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.out.contains("channel\tDouble\t")) << listed.out.toStdString();

    // A change must be written, and the card refuses it: one clear line naming the file.
    for (const QStringList &change :
        { QStringList { "--add", "Other=1" }, { "--var", "Factor=3" }, { "--delete", "Double" } }) {
        const ZelRun run = maths(change);
        EXPECT_EQ(run.status, 1) << change.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(tables[2])) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("write-protected")) << run.err.toStdString();
        EXPECT_EQ(run.err.count(u'\n'), 1) << run.err.toStdString();
    }
    for (qsizetype i = 0; i < tables.size(); ++i)
        EXPECT_EQ(readAll(tables[i]), before[i]) << tables[i].toStdString();
}

TEST_F(ZelCardFilesTest, MathsChangesNeverWriteThroughALinkOutOfTheCard)
{
    const QString outside = path("outside/Maths.prm");
    const QByteArray table(kMathsFileSize, '\0');
    writeAll(outside, table);
    const QString link = path("card/Data/Maths.prm");
    ASSERT_TRUE(QFile::link(outside, link));

    for (const QStringList &change :
        { QStringList { "--add", "Other=1" }, { "--var", "V=1" }, { "--delete", "V" } }) {
        const ZelRun run = maths(change);
        EXPECT_EQ(run.status, 1) << change.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("symbolic link")) << run.err.toStdString();
        EXPECT_EQ(readAll(outside), table);
        EXPECT_TRUE(QFileInfo(link).isSymLink());
    }

    // A link to nothing is replaced by the card's own new table; nothing appears outside.
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(path("outside/None.prm"), link));
    const ZelRun created = maths({ "--var", "V=1" });
    EXPECT_EQ(created.status, 0) << created.err.toStdString();
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).size(), kMathsFileSize);
    EXPECT_FALSE(QFileInfo::exists(path("outside/None.prm")));
}

TEST_F(ZelCardFilesTest, ADemoCardReplacesLinkedTablesInsteadOfWritingThroughThem)
{
    const QByteArray keep("written by someone else");
    for (const char *name : { "Settings.prm", "Translation.prm" }) {
        const QString outside = path(QStringLiteral("outside/") + name);
        writeAll(outside, keep);
        const QString link = path(QStringLiteral("card/Data/") + name);
        ASSERT_TRUE(QFile::remove(link));
        ASSERT_TRUE(QFile::link(outside, link));
    }
    const ZelRun demo = runZelCommand({ "demo", path("card") });
    ASSERT_EQ(demo.status, 0) << demo.err.toStdString();
    for (const char *name : { "Settings.prm", "Translation.prm" }) {
        EXPECT_EQ(readAll(path(QStringLiteral("outside/") + name)), keep) << name;
        const QFileInfo table(path(QStringLiteral("card/Data/") + name));
        EXPECT_FALSE(table.isSymLink()) << name;
        EXPECT_GT(table.size(), keep.size()) << name;
    }
}
