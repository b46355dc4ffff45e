#include "logger/LoggerTableFile.h"

#include "LoggerTableFixtures.h"
#include "logger/LoggerTableError.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace zel;
using namespace fixtures;

namespace {

class LoggerTableFileTest : public TableTest
{
protected:
    QByteArray heldBytes(LoggerTableFile &file, qint64 size)
    {
        QByteArray bytes(size, '\0');
        file.read(bytes.data(), size);
        return bytes;
    }
    QStringList folderEntries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

TEST_F(LoggerTableFileTest, AnInterruptedSaveLeavesTheOldFileWhole)
{
    const QByteArray old = noise(4096, 1);
    const QByteArray changed = noise(4096, 2);
    writeAll(path("Settings.prm"), old);
    LoggerTableFile file;
    file.open(path("Settings.prm"));
    {
        FileSizeLimit full(1000); // the save stops a quarter of the way through
        EXPECT_THROW(file.write(changed), LoggerTableError);
    }
    EXPECT_EQ(readAll(path("Settings.prm")), old);
    EXPECT_EQ(folderEntries(), QStringList { "Settings.prm" }); // no temporary left behind
    EXPECT_EQ(heldBytes(file, old.size()), old);

    // The file is still held, and the next save goes through.
    file.write(changed);
    EXPECT_EQ(readAll(path("Settings.prm")), changed);
}

TEST_F(LoggerTableFileTest, SavesHoldTheNewFileAndKeepBytesBeyondTheTable)
{
    const QByteArray old = noise(200, 3);
    writeAll(path("Maths.prm"), old);
    LoggerTableFile file;
    file.open(path("Maths.prm"));
    // Each save is followed by another, which goes on only while the file written last is
    // the one held.
    for (unsigned seed : { 4u, 5u }) {
        const QByteArray table = noise(100, seed);
        file.write(table);
        EXPECT_EQ(readAll(path("Maths.prm")), table + old.mid(100));
        EXPECT_EQ(heldBytes(file, 200), table + old.mid(100));
    }
    EXPECT_EQ(folderEntries(), QStringList { "Maths.prm" });
}

} // namespace
