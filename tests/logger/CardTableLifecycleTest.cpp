#include "../WriteProtectedFile.h"
#include "LoggerTableFixtures.h"
#include "logger/LoggerTableError.h"
#include "logger/TKROSettings.h"
#include "logger/TKROTrack.h"
#include "logger/TMathsChannels.h"
#include "logger/TTranslations.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace zel;
using namespace fixtures;

namespace {

/// One card table driven through its own public names.
struct Table
{
    const char *name;
    std::function<void(const QString &)> create; // create, then close: a file as saves leave it
    std::function<void(const QString &)> load;
    std::function<void()> change; // an edit a save must write
    std::function<void()> close; // saves first, except a line file
    std::function<bool()> active;
    bool closeSaves;
    std::function<void()> release = {}; // lets the file go unsaved (the card tables)
};

class CardTableLifecycleTest : public TableTest
{
protected:
    QList<Table> tables()
    {
        return {
            { "settings",
                [this](const QString &file) {
                    settings.setSettingsFileName(file);
                    settings.CreateSettingsTable();
                    settings.CloseSettingsTable();
                },
                [this](const QString &file) {
                    settings.setSettingsFileName(file);
                    settings.LoadSettingsTable();
                },
                [this] { settings.settings().Brightness ^= 1; },
                [this] { settings.CloseSettingsTable(); }, [this] { return settings.active(); },
                true, [this] { settings.ReleaseSettingsTable(); } },
            { "translations",
                [this](const QString &file) {
                    translations.setTranslationFileName(file);
                    translations.CreateTranslationTables();
                    translations.CloseTranslationTables();
                },
                [this](const QString &file) {
                    translations.setTranslationFileName(file);
                    translations.LoadTranslationTables();
                },
                [this] { translations.record(0).AvgLevel ^= 1; },
                [this] { translations.CloseTranslationTables(); },
                [this] { return translations.active(); }, true,
                [this] { translations.ReleaseTranslationTables(); } },
            { "maths",
                [this](const QString &file) {
                    maths.setMathsFileName(file);
                    maths.CreateMathsTables();
                    maths.AddFormula("Power", "RPM * 2");
                    maths.CloseMathsTables();
                },
                [this](const QString &file) {
                    maths.setMathsFileName(file);
                    maths.LoadMathsTables();
                },
                [this] { maths.AddVariable("Mass", 0, 650); }, [this] { maths.CloseMathsTables(); },
                [this] { return maths.active(); }, true, [this] { maths.ReleaseMathsTables(); } },
            { "line file",
                [this](const QString &file) {
                    track.setTrackFileName(file);
                    track.SaveTrackTable();
                },
                [this](const QString &file) {
                    track.setTrackFileName(file);
                    track.LoadTrackTable();
                },
                [this] { track.TrackData()[0].RecType = kSectorLine; },
                [this] { track.CloseTrackTable(); }, [this] { return track.active(); }, false, {} },
        };
    }

    TKROSettings settings;
    TTranslations translations;
    TMathsChannels maths;
    TKROTrack track;
};

TEST_F(CardTableLifecycleTest, AWriteProtectedTableLoadsAndOnlyAChangeNeedsWriteAccess)
{
    for (const Table &table : tables()) {
        SCOPED_TRACE(table.name);
        const QString file = path(QString::fromLatin1(table.name));
        table.create(file);
        const QByteArray saved = readAll(file);
        {
            WriteProtectedFile locked(file);
            if (!locked.works())
                GTEST_SKIP() << "files cannot be write-protected here";
            table.load(file);
            EXPECT_TRUE(table.active());
            table.close(); // nothing new: no write is needed
            EXPECT_FALSE(table.active());

            if (table.closeSaves) {
                table.load(file);
                table.change();
                try {
                    table.close();
                    ADD_FAILURE() << "the change was not refused";
                } catch (const LoggerTableError &e) {
                    const QString message = QString::fromUtf8(e.what());
                    EXPECT_TRUE(message.contains(file)) << e.what();
                    EXPECT_TRUE(message.contains("write-protected")) << e.what();
                }
                EXPECT_TRUE(table.active()); // kept for another try
            }
            EXPECT_EQ(readAll(file), saved);
        }
        // Writable again: the change kept in memory is written to the same file.
        table.close();
        EXPECT_EQ(readAll(file) != saved, table.closeSaves);
    }
}

TEST_F(CardTableLifecycleTest, OnlyARegularFileLoadsAndASaveNeverLandsInAnotherFile)
{
    const QString outside = path("outside");
    ASSERT_TRUE(QDir().mkpath(outside));
    for (const Table &table : tables()) {
        SCOPED_TRACE(table.name);
        const QString target = QDir(outside).filePath(QString::fromLatin1(table.name));
        table.create(target);
        const QByteArray kept = readAll(target);

        // A link, a FIFO (which must not block the load) and a folder are refused by name.
        const QString link = path(QStringLiteral("link ") + table.name);
        const QString fifo = path(QStringLiteral("fifo ") + table.name);
        const QString folder = path(QStringLiteral("folder ") + table.name);
        ASSERT_TRUE(QFile::link(target, link));
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        ASSERT_TRUE(QDir().mkpath(folder));
        for (const QString &hostile : { link, fifo, folder }) {
            try {
                table.load(hostile);
                ADD_FAILURE() << "loaded " << hostile.toStdString();
            } catch (const LoggerTableError &e) {
                EXPECT_TRUE(QString::fromUtf8(e.what()).contains(hostile)) << e.what();
            }
            EXPECT_FALSE(table.active());
        }
        EXPECT_EQ(readAll(target), kept);

        // The loaded file was swapped for another under its name: the save refuses rather
        // than write into the newcomer (or into the file now gone).
        if (!table.closeSaves)
            continue;
        const QString file = path(QString::fromLatin1(table.name));
        table.create(file);
        table.load(file);
        table.change();
        const QByteArray newcomer("another card's table");
        ASSERT_TRUE(QFile::remove(file));
        writeAll(file, newcomer);
        EXPECT_THROW(table.close(), LoggerTableError);
        EXPECT_EQ(readAll(file), newcomer);
        EXPECT_TRUE(table.active());
        table.load(target); // drops the unsaved change, releasing the stale file
    }
}

TEST_F(CardTableLifecycleTest, ReleasingATableWritesNothingAndLeavesItInactive)
{
    for (const Table &table : tables()) {
        if (!table.release)
            continue;
        SCOPED_TRACE(table.name);
        const QString file = path(QString::fromLatin1(table.name));
        table.create(file);
        const QByteArray saved = readAll(file);
        table.load(file);
        table.change();
        table.release();
        EXPECT_FALSE(table.active());
        table.close(); // inactive: the change in memory has no file to go to any more
        EXPECT_EQ(readAll(file), saved);
    }
}

} // namespace
