#include "session/ChartableColumn.h"
#include "session/LogColours.h"
#include "session/ProgramDataFolder.h"
#include "session/RecordTable.h"
#include "session/SessionFileName.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zel;

TEST(KroSaveNameTest, KeepsAnyCaseOfKroAndReplacesOrAddsTheRest)
{
    const struct
    {
        const char *chosen;
        const char *saved;
    } cases[] = {
        { "/d/run1", "/d/run1.KRO" },
        { "/d/run1.txt", "/d/run1.KRO" },
        { "/d/run1.kro", "/d/run1.kro" },
        { "/d/run1.Kro", "/d/run1.Kro" },
        { "/d/run1.KRO", "/d/run1.KRO" },
        { "/d/run1.ab", "/d/run1.ab.KRO" }, // not a three-letter extension
        { "/d/run1.data", "/d/run1.data.KRO" },
        { "/d.old/run1", "/d.old/run1.KRO" }, // a dot in the folder is no extension
        { "/d/run.1.csv", "/d/run.1.KRO" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(kroSaveName(QString::fromUtf8(c.chosen)), QString::fromUtf8(c.saved)) << c.chosen;
}

TEST(LogColourTest, DashColoursFirstThenDistinctOnesThenRepeat)
{
    EXPECT_EQ(logColour(0), 0x008000u);
    EXPECT_EQ(logColour(3), 0xFF0000u);
    EXPECT_EQ(logColour(7), 0x800000u);
    QSet<quint32> seen;
    for (int c = 0; c < kLogColourCount; ++c)
        seen.insert(logColour(c));
    EXPECT_EQ(seen.size(), kLogColourCount);
    EXPECT_EQ(logColour(kLogColourCount + 1), logColour(1));
    EXPECT_EQ(logColour(-1), logColour(0));
}

TEST(ChartableColumnTest, OnlyPlainNumberColumns)
{
    RecordTable table;
    table.addColumn("RPM", ColumnType::Real);
    table.addColumn("Lap_Number", ColumnType::Integer);
    table.addColumn("Count", ColumnType::LongWord);
    table.addColumn("Memo", ColumnType::Memo);
    table.addColumn("Formulas", ColumnType::Text, 255);
    table.addColumn("Date", ColumnType::DateTime);
    table.addColumn("Flag", ColumnType::Boolean);
    for (const char *name : { "RPM", "rpm", "Lap_Number", "Count" })
        EXPECT_TRUE(isChartableColumn(table, QString::fromLatin1(name))) << name;
    for (const char *name : { "Memo", "Formulas", "Date", "Flag", "Missing", "" })
        EXPECT_FALSE(isChartableColumn(table, QString::fromLatin1(name))) << name;
}

TEST(ProgramDataFolderTest, BesideTheProgramWhenWritableElseTheUsersDataFolder)
{
    QTemporaryDir program, home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    EXPECT_EQ(programDataFolder(program.path()), QDir(program.path()).filePath("Data"));
    EXPECT_TRUE(QFileInfo(QDir(program.path()).filePath("Data")).isDir());

    QString asked;
    const QString fallback = programDataFolder(program.path(), [&](const QString &folder) {
        asked = folder;
        return false;
    });
    EXPECT_EQ(asked, QDir(program.path()).filePath("Data"));
    EXPECT_TRUE(fallback.startsWith(home.path())) << fallback.toStdString();
    EXPECT_TRUE(fallback.endsWith("/Data"));
    EXPECT_TRUE(QFileInfo(fallback).isDir());
    qunsetenv("XDG_DATA_HOME");
}
