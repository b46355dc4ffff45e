#include "card/SystemCardDrives.h"

#include "card/MountWatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zel;

namespace {

// The drives with roots set by the test, and the signals they raised in order.
class SystemCardDrivesTest : public ::testing::Test
{
protected:
    SystemCardDrivesTest()
    {
        QObject::connect(&m_drives, &CardDrives::arrived, [this] { m_events << "arrived"; });
        QObject::connect(&m_drives, &CardDrives::removed, [this] { m_events << "removed"; });
    }

    QStringList refreshWith(const QStringList &roots)
    {
        m_roots = roots;
        m_events.clear();
        m_drives.refresh();
        return m_events;
    }

    QStringList m_roots { "/media/a" };
    QStringList m_events;
    SystemCardDrives m_drives { [this] { return m_roots; } };
};

} // namespace

TEST_F(SystemCardDrivesTest, ChangesOfTheRootsRaiseRemovalBeforeArrival)
{
    EXPECT_EQ(m_drives.roots(), QStringList({ "/media/a" }));
    const std::pair<QStringList, QStringList> steps[] = {
        { { "/media/a" }, {} },
        { { "/media/a", "/media/b" }, { "arrived" } },
        { { "/media/b" }, { "removed" } },
        { { "/media/c" }, { "removed", "arrived" } },
        { { "/media/c", "/media/d", "/media/e" }, { "arrived" } },
        { {}, { "removed" } },
        { {}, {} },
    };
    for (const auto &[roots, events] : steps) {
        EXPECT_EQ(refreshWith(roots), events) << roots.join(',').toStdString();
        EXPECT_EQ(m_drives.roots(), roots);
    }
}

TEST(SystemCardDrivesIdentityTest, FollowsTheDeviceAndTheSettingsFile)
{
    QTemporaryDir card;
    const SystemCardDrives drives([] { return QStringList(); });
    const QString bare = drives.identity(card.path());
    EXPECT_FALSE(bare.isEmpty());
    EXPECT_EQ(drives.identity(card.path()), bare);

    ASSERT_TRUE(QDir(card.path()).mkdir("Data"));
    const QString settings = QDir(card.path()).filePath("Data/Settings.prm");
    const auto writeSettings = [&](const QByteArray &bytes) {
        QFile file(settings + ".new");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        ASSERT_TRUE(::rename(QFile::encodeName(file.fileName()), QFile::encodeName(settings)) == 0);
    };
    writeSettings("card A");
    const QString cardA = drives.identity(card.path());
    EXPECT_NE(cardA, bare);
    EXPECT_EQ(drives.identity(card.path()), cardA);
    {
        // The settings component saves into the file it holds.
        QFile file(settings);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.write("saved, and longer than before");
    }
    EXPECT_EQ(drives.identity(card.path()), cardA);
    writeSettings("card B");
    EXPECT_NE(drives.identity(card.path()), cardA);

    EXPECT_TRUE(drives.identity(card.filePath("gone")).isEmpty());
    EXPECT_TRUE(drives.identity(QString()).isEmpty());
}

TEST(SystemCardDrivesMountTableTest, ReadsRemovableRootsFromTheGivenTables)
{
    QTemporaryDir dir;
    const QDir sys(dir.filePath("sys"));
    const QString disk = sys.filePath("devices/usb1/1-1/host3/block/sdb");
    ASSERT_TRUE(QDir().mkpath(disk + "/sdb1"));
    QFile(disk + "/sdb1/partition").open(QIODevice::WriteOnly);
    ASSERT_TRUE(QDir().mkpath(sys.filePath("class/block")));
    ASSERT_TRUE(QFile::link(disk + "/sdb1", sys.filePath("class/block/sdb1")));
    const QString mountInfo = dir.filePath("mountinfo");
    QFile table(mountInfo);
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("26 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                "40 26 8:17 / /media/user/CARD rw - vfat /dev/sdb1 rw\n");
    table.close();

    const SystemCardDrives drives(mountInfo, sys.path());
    EXPECT_EQ(drives.roots(), QStringList({ "/media/user/CARD" }));
    EXPECT_TRUE(SystemCardDrives(dir.filePath("missing"), sys.path()).roots().isEmpty());
}

TEST(MountWatcherTest, WatchesTheRealTableWithoutFiringUntilItChanges)
{
    int argc = 1;
    char name[] = "test_card";
    char *argv[] = { name, nullptr };
    const QCoreApplication app(argc, argv);

    QTemporaryDir dir;
    const QString file = dir.filePath("mountinfo");
    QFile(file).open(QIODevice::WriteOnly);
    // Nothing is mounted here in the meantime, and an ordinary file never signals.
    MountWatcher real;
    MountWatcher plain(file);
    EXPECT_TRUE(real.isWatching());
    EXPECT_TRUE(plain.isWatching());
    int changes = 0;
    QObject::connect(&real, &MountWatcher::changed, [&] { ++changes; });
    QObject::connect(&plain, &MountWatcher::changed, [&] { ++changes; });
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(MountWatcher(dir.filePath("missing")).isWatching());
}
