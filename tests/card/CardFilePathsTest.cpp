#include "CardTesting.h"
#include "card/CardBackup.h"
#include "card/CardPaths.h"
#include "card/ProgramPaths.h"

#include <functional>

using namespace zel;
using namespace cardtesting;

namespace {

class CardFilePathsTest : public CardTest
{
};

TEST(CardFilePaths, FilesAreFoundWithoutRegardToCaseAndMissingOnesGetTheirUsualName)
{
    using Lookup = std::function<QString(const QString &root)>;
    const Lookup dataFile
        = [](const QString &root) { return CardPaths(root).dataFile("Screen1.scn"); };
    const Lookup firmware = [](const QString &root) { return CardPaths(root).firmwareFile(); };
    const Lookup emulator
        = [](const QString &root) { return ProgramPaths(root, root + "/Data").emulator(); };
    const Lookup repository = [](const QString &root) {
        return ProgramPaths(root, root + "/Data").formulaRepository();
    };
    const Lookup cardIDFile
        = [](const QString &root) { return ProgramPaths(root, root + "/Data").cardIDFile(); };
    const struct
    {
        const char *existing; // the file there is; null: none
        Lookup lookup;
        const char *expected;
    } cases[] = {
        { "Data/screen1.scn", dataFile, "Data/screen1.scn" },
        { "DATA/SCREEN1.SCN", dataFile, "DATA/SCREEN1.SCN" },
        { nullptr, dataFile, "Data/Screen1.scn" },
        { "KRO.exe", firmware, "KRO.exe" },
        { nullptr, firmware, "KRO.EXE" },
        { "KRO.EXE", emulator, "KRO.EXE" },
        { nullptr, emulator, "KRO.exe" },
        { "Data/FormulaRep.Rep", repository, "Data/FormulaRep.Rep" },
        { nullptr, repository, "Data/FormulaRep.rep" },
        { "Data/cardid.DTA", cardIDFile, "Data/cardid.DTA" },
        { nullptr, cardIDFile, "Data/CardID.dta" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        QTemporaryDir root;
        if (c.existing)
            writeAll(root.filePath(c.existing), "x");
        EXPECT_EQ(c.lookup(root.path()), root.filePath(c.expected));
    }
}

TEST_F(CardFilePathsTest, ProgramFoldersAreBuiltFromComponents)
{
    const ProgramPaths paths(program(), dataFolder());
    EXPECT_EQ(paths.initialisationFolder(), program("Initialisation/ZEL"));
    EXPECT_EQ(paths.firmwareFolder(), program("Firmware/KRO7"));
    EXPECT_EQ(paths.cardFolder("Car 7"), program("Data/Car 7"));
    EXPECT_EQ(paths.backupFolder("Car 7"), program("Data/Car 7/Settings"));
    EXPECT_EQ(paths.backupFolder(""), program("Data/Settings"));
}

TEST_F(CardFilePathsTest, HostileCardIDsNeverLeadOutOfTheDataFolder)
{
    const ProgramPaths paths(program(), dataFolder());
    const QString hostile[] = { "..", ".", "a/b", "../x", "a\\b", "C:", "x\u0001y",
        QStringLiteral("x\ny"), " ", " x", "x.", "x ", "*", "a?", "<a>", "a|b", "\"a\"" };
    for (const QString &id : hostile) {
        SCOPED_TRACE(id.toStdString());
        // Imports fall back to the Data folder itself; a backup is refused outright.
        EXPECT_EQ(paths.cardFolder(id), dataFolder());
        EXPECT_EQ(paths.backupFolder(id), QString());
        EXPECT_FALSE(prepareBackupFolder(paths, id).has_value());
    }
    EXPECT_EQ(tree(program()), QStringList { "Data" });
}

} // namespace
