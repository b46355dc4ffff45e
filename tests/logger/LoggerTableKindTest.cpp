#include "logger/LoggerTableKind.h"

#include "LoggerTableFixtures.h"
#include "logger/LoggerTableError.h"
#include "logger/LoggerTableFile.h"

#include <gtest/gtest.h>

using namespace zel;
using namespace fixtures;

namespace {

using LoggerTableKindTest = TableTest;

TEST_F(LoggerTableKindTest, KindFollowsTheNameElseTheSize)
{
    const std::pair<const char *, qsizetype> files[] = {
        { "SETTINGS.PRM", 10 },
        { "translation.prm", 0 },
        { "Silverstone.Prc", 5 },
        { "pits.msg", 5 },
        { "a.bin", 2723 },
        { "b.bin", 34656 },
        { "c.bin", 26880 },
        { "d.bin", 2724 },
    };
    for (auto [name, size] : files)
        writeAll(path(name), QByteArray(size, '\0'));

    const std::pair<const char *, LoggerTableKind> cases[] = {
        { "SETTINGS.PRM", LoggerTableKind::Settings },
        { "translation.prm", LoggerTableKind::Translations },
        { "Silverstone.Prc", LoggerTableKind::SectorLines },
        { "pits.msg", LoggerTableKind::MessageLines },
        { "a.bin", LoggerTableKind::Settings },
        { "b.bin", LoggerTableKind::Translations },
        { "c.bin", LoggerTableKind::TrackLines },
        { "d.bin", LoggerTableKind::Unknown },
        { "missing.bin", LoggerTableKind::Unknown },
    };
    for (auto [name, kind] : cases)
        EXPECT_EQ(loggerTableKind(path(name)), kind) << name;
}

TEST_F(LoggerTableKindTest, ReadFileFillsWhatTheFileLacksWithZeros)
{
    writeAll(path("x"), QByteArray("abc"));
    char buffer[6];
    std::memset(buffer, 'z', sizeof buffer);
    EXPECT_EQ(LoggerTableFile::readFile(path("x"), buffer, 5), 3);
    EXPECT_EQ(QByteArray(buffer, 6), QByteArray("abc\0\0z", 6));
    EXPECT_THROW(LoggerTableFile::readFile(path("y"), buffer, 5), LoggerTableError);
}

} // namespace
