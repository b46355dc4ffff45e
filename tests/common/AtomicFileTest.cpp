#include "common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace zel;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
            | QDir::NoDotAndDotDot,
        QDir::Name);
}

// Makes a file look abandoned long ago.
void age(const QString &path, int seconds)
{
    struct timeval times[2] {};
    gettimeofday(&times[0], nullptr);
    times[0].tv_sec -= seconds;
    times[1] = times[0];
    ASSERT_EQ(lutimes(QFile::encodeName(path).constData(), times), 0);
}

class AtomicFileTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(AtomicFileTest, ReplaceKeepsPermissionsAndLeavesOnlyTheTarget)
{
    writeFile(path("t.kro"), "old");
    ASSERT_EQ(chmod(QFile::encodeName(path("t.kro")).constData(), 0640), 0);
    AtomicFile::replace(path("t.kro"), { "new ", "bytes" });
    EXPECT_EQ(contents(path("t.kro")), "new bytes");
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(path("t.kro")).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(entries(dir.path()), QStringList { "t.kro" });
}

TEST_F(AtomicFileTest, AnUncommittedFileLeavesNothing)
{
    writeFile(path("t.kro"), "old");
    {
        AtomicFile file(path("t.kro"), AtomicFile::Placement::Replace);
        file.write("half");
    }
    EXPECT_EQ(contents(path("t.kro")), "old");
    EXPECT_EQ(entries(dir.path()), QStringList { "t.kro" });
}

TEST_F(AtomicFileTest, NoReplaceGivesTheNameToTheFirstCommit)
{
    AtomicFile first(path("run.kro"), AtomicFile::Placement::NoReplace);
    AtomicFile second(path("run.kro"), AtomicFile::Placement::NoReplace);
    first.write("first");
    second.write("second");
    first.commit();
    EXPECT_THROW(second.commit(), FileExistsError);
    EXPECT_EQ(contents(path("run.kro")), "first");

    // The loser's bytes are still written and go under another name.
    second.retarget(path("run (2).kro"));
    second.commit();
    EXPECT_EQ(contents(path("run (2).kro")), "second");
    EXPECT_EQ(entries(dir.path()), (QStringList { "run (2).kro", "run.kro" }));
}

TEST_F(AtomicFileTest, ALinkAtTheTargetIsReplacedNeverWrittenThrough)
{
    QTemporaryDir outside;
    const QString victim = outside.filePath("victim");
    writeFile(victim, "keep me");
    ASSERT_TRUE(QFile::link(victim, path("Maths.prm")));

    AtomicFile::replace(path("Maths.prm"), { "table" });
    EXPECT_EQ(contents(victim), "keep me");
    EXPECT_FALSE(QFileInfo(path("Maths.prm")).isSymLink());
    EXPECT_EQ(contents(path("Maths.prm")), "table");
}

TEST_F(AtomicFileTest, RefusesToReplaceWhatIsNotAFile)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    for (const char *name : { "pipe", "folder" }) {
        SCOPED_TRACE(name);
        EXPECT_THROW(AtomicFile::replace(path(name), { "x" }), FileError);
    }
    EXPECT_EQ(entries(dir.path()), (QStringList { "folder", "pipe" }));
}

TEST_F(AtomicFileTest, ALongTargetNameStillGetsATemporary)
{
    const QString name = QString(251, u'r') + ".kro"; // 255 bytes, the longest name allowed
    AtomicFile::replace(path(name), { "x" });
    EXPECT_EQ(contents(path(name)), "x");
}

TEST_F(AtomicFileTest, RemovesOnlyTheTemporariesOfWritersThatAreGone)
{
    struct Case
    {
        const char *name;
        int ageSeconds;
        bool locked;
        bool removed;
    };
    const Case cases[] = {
        { ".zel-abc123", 120, false, true }, // abandoned by a writer that died
        { ".zel-def456", 120, true, false }, // a live writer holds it
        { ".zel-ghi789", 5, false, false }, // just created, not yet locked
        { ".run.kro.Ab12Cd", 7200, false, true }, // an older version's temporary
        { ".run.kro.Ef34Gh", 600, false, false }, // ... that may still be in use
        { ".hidden", 7200, false, false }, // the user's own files
        { ".zel-abc12", 7200, false, false },
        { "notes.kro.Ab12Cd", 7200, false, false },
    };
    std::vector<int> locks;
    for (const Case &c : cases) {
        writeFile(path(c.name), "x");
        age(path(c.name), c.ageSeconds);
        if (c.locked) {
            const int fd = open(QFile::encodeName(path(c.name)).constData(), O_RDONLY);
            ASSERT_EQ(flock(fd, LOCK_EX), 0);
            locks.push_back(fd);
        }
    }
    AtomicFile::replace(path("t.kro"), { "x" });
    for (const Case &c : cases)
        EXPECT_EQ(QFile::exists(path(c.name)), !c.removed) << c.name;
    for (int fd : locks)
        close(fd);
}
