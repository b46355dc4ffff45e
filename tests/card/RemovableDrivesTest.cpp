#include "card/RemovableDrives.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zel;

namespace {

// A mount table with removable and fixed drives, virtual file systems, a mount point with a
// space, a drive mounted twice, a mount stacked on the same point and malformed lines.
const QByteArray kMountInfo = R"(21 26 0:20 / /proc rw,relatime - proc proc rw
26 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw
30 26 0:25 / /tmp rw - tmpfs tmpfs rw
40 26 8:17 / /media/user/CARD\040ONE rw,nosuid shared:40 master:2 - vfat /dev/sdb1 rw,fmask=0022
41 26 179:1 / /media/user/SD rw - exfat /dev/mmcblk0p1 rw
42 26 179:9 / /home rw - ext4 /dev/mmcblk1p1 rw
43 26 8:33 / /mnt/usb-ssd rw - ext4 /dev/sdc1 rw
44 26 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro
45 26 259:1 / /data rw - ext4 /dev/nvme0n1p1 rw
46 26 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro
47 26 8:17 / /mnt/again rw - vfat /dev/sdb1 rw
48 40 8:17 / /media/user/CARD\040ONE rw - vfat /dev/sdb1 rw
not a mount line
49 26 8:18 / /media/user/cut rw - vfat
50 26 8:18 / /media/user/nodash rw vfat /dev/sdb2 rw
)";

// A sysfs tree as the kernel lays it out: devices under "devices", linked from
// "class/block".
class FakeSysfs
{
public:
    FakeSysfs()
    {
        const QString usb = "devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/block/";
        const QString ata = "devices/pci0000:00/0000:00:1f.2/ata1/host0/block/";
        disk(usb + "sdb", "1", { "sdb1" });
        disk(ata + "sda", "0", { "sda1", "sda2" });
        disk("devices/pci0000:00/0000:00:14.0/usb3/3-1/3-1:1.0/host7/block/sdc", "0", { "sdc1" });
        disk("devices/platform/sdhci/mmc0/mmc0:0001/block/mmcblk0", "0", { "mmcblk0p1" }, "SD");
        disk("devices/platform/emmc/mmc1/mmc1:0001/block/mmcblk1", "0", { "mmcblk1p1" }, "MMC");
        disk("devices/virtual/block/loop0", "1", {});
        disk("devices/pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1", "1", { "nvme0n1p1" });
        disk("devices/pci0000:00/0000:00:14.0/usb1/1-2/host2/block/sr0", "1", {});
    }

    QString root() const { return m_dir.path(); }

private:
    void disk(const QString &path, const char *removable, const QStringList &partitions,
        const char *mmcType = nullptr)
    {
        const QDir dir(m_dir.filePath(path));
        ASSERT_TRUE(QDir().mkpath(dir.path()));
        write(dir.filePath("removable"), removable);
        if (mmcType) {
            ASSERT_TRUE(dir.mkdir("device"));
            write(dir.filePath("device/type"), mmcType);
        }
        link(dir.path());
        for (const QString &partition : partitions) {
            ASSERT_TRUE(dir.mkdir(partition));
            write(dir.filePath(partition + "/partition"), "1");
            link(dir.filePath(partition));
        }
    }

    void write(const QString &path, const char *line)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(line) + "\n");
    }

    void link(const QString &target)
    {
        const QDir classBlock(m_dir.filePath("class/block"));
        ASSERT_TRUE(QDir().mkpath(classBlock.path()));
        ASSERT_TRUE(QFile::link(target, classBlock.filePath(QFileInfo(target).fileName())));
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST(RemovableDrivesTest, MountInfoGivesRootDeviceAndTypeOfWellFormedLines)
{
    const QList<MountedVolume> volumes = parseMountInfo(kMountInfo);
    ASSERT_EQ(volumes.size(), 12);
    EXPECT_EQ(volumes[0], (MountedVolume { "/proc", "proc", "proc", "21" }));
    EXPECT_EQ(volumes[3], (MountedVolume { "/media/user/CARD ONE", "/dev/sdb1", "vfat", "40" }));
    EXPECT_EQ(volumes[11].root, "/media/user/CARD ONE");
}

TEST(RemovableDrivesTest, MountInfoEscapesAreDecoded)
{
    const std::pair<QByteArray, QString> cases[] = {
        { R"(/a\040b)", "/a b" },
        { R"(/tab\011and\012line)", "/tab\tand\nline" },
        { R"(/back\134slash)", "/back\\slash" },
        { R"(/not\08octal\04)", R"(/not\08octal\04)" },
        { "/caf\xc3\xa9", QString::fromUtf8("/caf\xc3\xa9") },
    };
    for (const auto &[field, root] : cases) {
        const QList<MountedVolume> volumes
            = parseMountInfo("1 2 8:1 / " + field + " rw - vfat /dev/sdb1 rw\n");
        ASSERT_EQ(volumes.size(), 1) << field.toStdString();
        EXPECT_EQ(volumes[0].root, root) << field.toStdString();
    }
}

TEST(RemovableDrivesTest, OnlyRemovableUsbAndSdDevicesCount)
{
    const FakeSysfs sys;
    const std::pair<const char *, bool> cases[] = {
        { "/dev/sdb1", true }, // USB stick, removable 1
        { "/dev/sdc1", true }, // USB disk reporting removable 0
        { "/dev/mmcblk0p1", true }, // internal SD reader reporting removable 0
        { "/dev/mmcblk1p1", false }, // built-in eMMC
        { "/dev/sda1", false }, // SATA disk
        { "/dev/loop0", false },
        { "/dev/nvme0n1p1", false },
        { "/dev/sr0", false }, // optical drive
        { "/dev/sdz1", false }, // not in sysfs
        { "/dev/../sdb1", false },
        { "/dev/", false },
        { "tmpfs", false },
        { "", false },
    };
    for (const auto &[device, removable] : cases)
        EXPECT_EQ(isRemovableDevice(device, sys.root()), removable) << device;
}

TEST(RemovableDrivesTest, RemovableRootsAreSortedAndUnique)
{
    const FakeSysfs sys;
    EXPECT_EQ(removableRoots(kMountInfo, sys.root()),
        QStringList({ "/media/user/CARD ONE", "/media/user/SD", "/mnt/again", "/mnt/usb-ssd" }));
    EXPECT_TRUE(removableRoots("", sys.root()).isEmpty());
}
