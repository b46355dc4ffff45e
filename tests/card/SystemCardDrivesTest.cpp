#include "card/SystemCardDrives.h"

#include "card/MountWatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

TEST(SystemCardDrivesIdentityTest, FollowsTheMountNotTheFilesOnIt)
{
    QTemporaryDir dir;
    const QString root = QFileInfo(dir.path()).canonicalFilePath();
    const QString table = dir.filePath("mountinfo");
    const auto mountAs = [&](const char *id) {
        QFile file(table);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("26 1 8:1 / / rw - ext4 /dev/sda1 rw\n") + id + " 26 8:17 / "
            + QFile::encodeName(root) + " rw - vfat /dev/sdb1 rw\n");
    };
    mountAs("40");
    const SystemCardDrives drives([] { return QStringList(); }, table);
    const QString cardA = drives.identity(root);
    EXPECT_TRUE(cardA.startsWith("mount 40 dev ")) << cardA.toStdString();

    // Saves replace the card's files: the card stays the same card.
    ASSERT_TRUE(QDir(root).mkdir("Data"));
    EXPECT_EQ(drives.identity(QDir(root).filePath("Data/..")), cardA);
    const QString settings = QDir(root).filePath("Data/Settings.prm");
    for (const char *content : { "first", "second" }) {
        QFile file(settings + ".new");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        ASSERT_EQ(::rename(QFile::encodeName(file.fileName()), QFile::encodeName(settings)), 0);
        EXPECT_EQ(drives.identity(root), cardA);
    }

    // Another card at the same mount point and on the same device is a new mount.
    mountAs("41");
    EXPECT_NE(drives.identity(root), cardA);

    EXPECT_TRUE(drives.identity(QDir(root).filePath("gone")).isEmpty());
    EXPECT_TRUE(drives.identity(QString()).isEmpty());
    EXPECT_TRUE(SystemCardDrives([] { return QStringList(); }).identity(root).startsWith("dev "));
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
