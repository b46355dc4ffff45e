#include "card/CardBackup.h"

#include "CardTesting.h"
#include "card/CardIDRegister.h"
#include "card/CardPaths.h"
#include "card/ProgramPaths.h"
#include "common/Error.h"
#include "session/TKRO_Data.h"

#include <QDate>
#include <vector>

using namespace zel;
using namespace cardtesting;

namespace {

const QStringList kBackupSet = { "GaugeParam.prm", "PWMLoop.prm", "Settings.prm", "Translation.prm",
    "Maths.prm", "Screen1.scn", "Screen2.scn", "Screen3.scn" };

class CardBackupTest : public CardTest
{
protected:
    // A card as initialisation leaves it: no "Screen3.scn", the screens in lower case.
    void writeInitialisedCard()
    {
        for (const char *name : { "GaugeParam.prm", "PWMLoop.prm", "Settings.prm",
                 "Translation.prm", "Maths.prm", "screen1.scn", "screen2.scn" })
            writeAll(card("Data/") + name, contentOf(name));
    }
    ProgramPaths paths() const { return ProgramPaths(program(), dataFolder()); }

    struct RegisterRow
    {
        QString cardID;
        QDate date;
        QString folder;
        bool operator==(const RegisterRow &) const = default;
    };
    static std::vector<RegisterRow> rows(TKRO_Data &data)
    {
        std::vector<RegisterRow> result;
        RecordTable &table = data.CardID();
        for (table.First(); !table.eof(); table.Next()) {
            result.push_back({ table.fieldByName("CardID").asText(),
                table.fieldByName("Date").asDateTime().date(),
                table.fieldByName("Folder").asText() });
        }
        return result;
    }
};

TEST_F(CardBackupTest, BackupCopiesTheSetByteExactlyAndReportsWhatIsMissing)
{
    writeInitialisedCard();
    const std::optional<QString> folder = prepareBackupFolder(paths(), "Car 7");
    ASSERT_EQ(folder, program("Data/Car 7/Settings"));
    std::vector<int> progress;
    const CopyReport report
        = backupCard(CardPaths(card()), *folder, [&](int done) { progress.push_back(done); });

    EXPECT_EQ(progress, std::vector<int>({ 1, 2, 3, 4, 5, 6, 7, 8 }));
    ASSERT_EQ(report.results().size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(report.results()[size_t(i)].name, kBackupSet[i]);
    EXPECT_TRUE(report.copied("Settings.prm"));
    EXPECT_FALSE(report.complete());
    EXPECT_EQ(report.summary(), "These files were skipped because they do not exist: Screen3.scn.");
    EXPECT_EQ(tree(*folder),
        QStringList({ "GaugeParam.prm", "Maths.prm", "PWMLoop.prm", "Screen1.scn", "Screen2.scn",
            "Settings.prm", "Translation.prm" }));
    EXPECT_EQ(readAll(*folder + "/Screen1.scn"), contentOf("screen1.scn"));
    EXPECT_EQ(readAll(*folder + "/Settings.prm"), contentOf("Settings.prm"));
}

TEST_F(CardBackupTest, CardsWithoutAnIDShareAFolderThatIsNeverMade)
{
    EXPECT_FALSE(prepareBackupFolder(paths(), "").has_value());
    EXPECT_FALSE(QFileInfo::exists(program("Data/Settings")));
    ASSERT_TRUE(QDir().mkpath(program("Data/Settings")));
    EXPECT_EQ(prepareBackupFolder(paths(), ""), program("Data/Settings"));
}

TEST_F(CardBackupTest, RestoreCreatesTheDataFolderAndOverwritesUnderTheCardsNames)
{
    const QString folder = program("Data/Car 7/Settings");
    for (const QString &name : kBackupSet)
        writeAll(folder + "/" + name, contentOf("backup " + name));
    writeAll(card("DATA/screen1.scn"), contentOf("old"));

    int last = 0;
    const CopyReport report
        = restoreBackup(folder, CardPaths(card()), [&](int done) { last = done; });
    EXPECT_TRUE(report.complete()) << report.summary().toStdString();
    EXPECT_EQ(last, 8);
    EXPECT_EQ(readAll(card("DATA/screen1.scn")), contentOf("backup Screen1.scn"));
    for (const QString &name : kBackupSet) {
        EXPECT_EQ(readAll(CardPaths(card()).dataFile(name)), contentOf("backup " + name))
            << name.toStdString();
    }
    EXPECT_EQ(tree(card()).size(), 9); // the folder and its eight files

    // Onto a card without a Data folder.
    QTemporaryDir fresh;
    EXPECT_TRUE(restoreBackup(folder, CardPaths(fresh.path())).complete());
    EXPECT_EQ(readAll(fresh.filePath("Data/Settings.prm")), contentOf("backup Settings.prm"));
}

TEST_F(CardBackupTest, ARestoreWithoutSettingsIsRefusedAndTouchesNothing)
{
    const QString folder = program("Data/Car 7/Settings");
    writeAll(folder + "/GaugeParam.prm", contentOf("gauges"));
    ASSERT_TRUE(QDir().mkpath(folder + "/Settings.prm")); // a folder is no settings file
    EXPECT_FALSE(backupHoldsSettings(folder));
    try {
        restoreBackup(folder, CardPaths(card()));
        ADD_FAILURE() << "the restore was not refused";
    } catch (const FileError &e) {
        EXPECT_TRUE(e.message().contains("Settings.prm")) << e.what();
        EXPECT_TRUE(e.message().contains(folder)) << e.what();
    }
    EXPECT_TRUE(tree(card()).isEmpty());
    EXPECT_FALSE(backupHoldsSettings(program("Data/No Such Card/Settings")));
}

TEST_F(CardBackupTest, RecordingACardUpdatesItsRowOrAppendsOneAndSavesTheRegister)
{
    {
        TKRO_Data data;
        data.DataModuleCreate(program());
        recordCard(data, "Car 7", QDate(2026, 3, 1));
        recordCard(data, "Alpha", QDate(2026, 3, 2));
        recordCard(data, "Car 7", QDate(2026, 4, 5));
        recordCard(data, "", QDate(2026, 4, 6));
        recordCard(data, "", QDate(2026, 4, 7));
    }
    TKRO_Data again;
    again.DataModuleCreate(program());
    EXPECT_EQ(rows(again),
        std::vector<RegisterRow>(
            { { "", QDate(2026, 4, 7), dataFolder() }, { "Alpha", QDate(2026, 3, 2), dataFolder() },
                { "Car 7", QDate(2026, 4, 5), dataFolder() } }));
}

TEST_F(CardBackupTest, RemovingABackupDeletesItsFilesAndRowButNoFolder)
{
    TKRO_Data data;
    data.DataModuleCreate(program());
    recordCard(data, "Car 7", QDate(2026, 3, 1));
    recordCard(data, "Other", QDate(2026, 3, 1));
    const QString folder = program("Data/Car 7/Settings");
    for (const QString &name : kBackupSet.mid(0, 6))
        writeAll(folder + "/" + name.toUpper(), contentOf(name)); // any case; two missing
    writeAll(folder + "/Notes.txt", "kept");
    writeAll(program("Data/Car 7/run.kro"), "kept");

    data.setKROCardID("Car 7");
    data.setKROCardIDBackup(paths().backupFolder("Car 7"));
    EXPECT_EQ(data.RemoveBackup(), QStringList());
    EXPECT_EQ(
        tree(program("Data/Car 7")), QStringList({ "Settings", "Settings/Notes.txt", "run.kro" }));
    EXPECT_EQ(data.KROCardID(), QString());
    EXPECT_EQ(data.KROCardIDBackup(), QString());

    TKRO_Data again;
    again.DataModuleCreate(program());
    ASSERT_EQ(rows(again).size(), 1u);
    EXPECT_EQ(rows(again)[0].cardID, "Other");
}

TEST_F(CardBackupTest, RemovalFollowsOnlyTheIDNeverTheRegistersFolder)
{
    // A crafted register names a folder outside the Data folder that holds files of the
    // backup's names.
    const QString victim = program("victim");
    writeAll(victim + "/Car 7/Settings/Settings.prm", "precious");
    writeAll(victim + "/Settings.prm", "precious");
    TKRO_Data data;
    data.DataModuleCreate(program());
    recordCard(data, "Car 7", QDate(2026, 3, 1));
    data.CardID().Edit();
    data.CardID().fieldByName("Folder").setText(victim);
    data.CardID().Post();
    writeAll(program("Data/Car 7/Settings/Settings.prm"), "backup");

    data.setKROCardID("Car 7");
    data.setKROCardIDBackup(victim + "/Car 7");
    EXPECT_EQ(data.RemoveBackup(), QStringList());
    EXPECT_FALSE(QFileInfo::exists(program("Data/Car 7/Settings/Settings.prm")));
    EXPECT_EQ(readAll(victim + "/Car 7/Settings/Settings.prm"), "precious");
    EXPECT_EQ(readAll(victim + "/Settings.prm"), "precious");
}

TEST_F(CardBackupTest, RemovalRefusesAHostileIDAndKeepsWhatItCannotDelete)
{
    TKRO_Data data;
    data.DataModuleCreate(program());
    writeAll(program("Settings/Settings.prm"), "beside the Data folder");
    for (const QString &id : { QString(".."), QString("a/../.."), QString("x\ty") }) {
        SCOPED_TRACE(id.toStdString());
        recordCard(data, id, QDate(2026, 3, 1));
        data.setKROCardID(id);
        EXPECT_THROW(data.RemoveBackup(), FileError);
        EXPECT_EQ(data.KROCardID(), id);
        EXPECT_TRUE(data.LocateCardID(id));
    }
    EXPECT_EQ(readAll(program("Settings/Settings.prm")), "beside the Data folder");

    // A folder in the place of a backup file cannot be deleted: the row stays for another try.
    recordCard(data, "Car 7", QDate(2026, 3, 1));
    writeAll(program("Data/Car 7/Settings/Maths.prm"), "maths");
    ASSERT_TRUE(QDir().mkpath(program("Data/Car 7/Settings/Screen3.scn")));
    data.setKROCardID("Car 7");
    EXPECT_EQ(data.RemoveBackup(), QStringList { program("Data/Car 7/Settings/Screen3.scn") });
    EXPECT_FALSE(QFileInfo::exists(program("Data/Car 7/Settings/Maths.prm")));
    EXPECT_EQ(data.KROCardID(), "Car 7");
    EXPECT_TRUE(data.LocateCardID("Car 7"));
}

} // namespace
