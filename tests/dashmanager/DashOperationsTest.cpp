#include "card/CardDrives.h"
#include "LoggerConfigTesting.h"
#include "card/CardPaths.h"
#include "card/DemoCard.h"
#include "card/ProgramPaths.h"
#include "dashmanager/DashEmulator.h"
#include "dashmanager/DashFileInstaller.h"
#include "dashmanager/LogFileEditor.h"
#include "dashmanager/TfrmLoggerConfig.h"
#include "logger/TKROSettings.h"
#include "session/Field.h"
#include "session/RecordTable.h"
#include "session/TKRO_Data.h"
#include "ui/ScriptedUserDialogs.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace zel;

namespace {

/// The settings a card's "Settings.prm" holds on disk.
TSettings settingsOnCard(const QString &root)
{
    TKROSettings settings;
    settings.setSettingsFileName(CardPaths(root).settingsFile());
    settings.LoadSettingsTable();
    const TSettings copy = settings.settings();
    settings.ReleaseSettingsTable();
    return copy;
}

class DashOperationsTest : public LoggerConfigTest
{
protected:
    /// A demo card the fake drive source lists.
    QString insertCard(const QString &name = QStringLiteral("card"))
    {
        const QString root = temp.filePath(name);
        DemoCard().write(root);
        drives.rootList << root;
        return root;
    }

    TfrmLoggerConfig &open()
    {
        window = std::make_unique<TfrmLoggerConfig>(
            data, dialogs, drives, program, [](const QString &) {});
        window->show();
        return *window;
    }

    void openWithCard(const QString &root)
    {
        open();
        auto *box = window->findChild<QComboBox *>("SelectionDriveList");
        const int index = box->findData(root);
        ASSERT_GE(index, 0);
        box->setCurrentIndex(index);
        ASSERT_TRUE(window->KROSettings().active());
    }

    QAction *action(const char *name) { return window->findChild<QAction *>(name); }
    QPushButton *button(const char *name) { return window->findChild<QPushButton *>(name); }
    QWidget *page(TfrmLoggerConfig::Page page)
    {
        return window->findChild<QStackedWidget *>("Pages")->widget(page);
    }
    QStringList shownTexts(DialogKind kind) const { return dialogs.shownTexts(kind); }
    QList<FileDialogRequest> fileRequests() const
    {
        QList<FileDialogRequest> requests;
        for (const ShownDialog &shown : dialogs.shown()) {
            if (shown.kind == DialogKind::OpenFile || shown.kind == DialogKind::SaveFile)
                requests << shown.file;
        }
        return requests;
    }
    QString dataFolder() const { return QDir(program).filePath("Data"); }

};

// Log file editor

/// A session log of a header row and five data rows; ReadingID 2 is a lap record and
/// ReadingID 4 a sector record.
QString writeSessionLog(const QString &path)
{
    RecordTable table;
    table.addColumn("RecordType", ColumnType::Integer);
    table.addColumn("Lap_Marker", ColumnType::Integer);
    table.addColumn("Sector_Marker", ColumnType::Integer);
    table.addColumn("ReadingID", ColumnType::Integer);
    table.addColumn("RPM", ColumnType::Real);
    table.open();
    const auto row = [&](int type, int lap, int sector, int id, double rpm) {
        table.Append();
        table.fieldByName("RecordType").setInteger(type);
        table.fieldByName("Lap_Marker").setInteger(lap);
        table.fieldByName("Sector_Marker").setInteger(sector);
        table.fieldByName("ReadingID").setInteger(id);
        table.fieldByName("RPM").setReal(rpm);
        table.Post();
    };
    row(2, 0, 0, 0, 0);
    row(1, 0, 0, 1, 1000);
    row(1, 1, 0, 2, 2000);
    row(1, 0, 0, 3, 3000);
    row(1, 0, 1, 4, 4000);
    row(1, 0, 0, 5, 5000);
    table.saveToFile(path);
    return path;
}

/// The ReadingIDs of every stored row of \a path, header included.
QList<qint64> readingIDsIn(const QString &path)
{
    RecordTable table;
    table.loadFromFile(path);
    QList<qint64> ids;
    for (table.First(); !table.eof(); table.Next())
        ids << table.fieldByName("ReadingID").asInteger();
    return ids;
}

TEST_F(DashOperationsTest, TheLogFileEditorOpensFindsDeletesAndSavesALog)
{
    const QString logs = temp.filePath("logs");
    QDir().mkpath(logs);
    const QString log = writeSessionLog(QDir(logs).filePath("run.kro"));
    open();
    EXPECT_FALSE(page(TfrmLoggerConfig::LogFileEditorPage)->isEnabled());

    dialogs.answerOpenFile(log);
    action("OpenImportedLog1")->trigger();
    auto *editor = window->findChild<LogFileEditor *>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(fileRequests().at(0).filter, "KRO 7 Analisys Logs|*.kro");
    EXPECT_EQ(fileRequests().at(0).defaultExtension, "Kro");
    EXPECT_EQ(fileRequests().at(0).initialFolder, dataFolder());
    EXPECT_EQ(editor->EditorLogFile(), log);
    EXPECT_TRUE(page(TfrmLoggerConfig::LogFileEditorPage)->isEnabled());
    EXPECT_EQ(window->findChild<QStackedWidget *>("Pages")->currentIndex(),
        int(TfrmLoggerConfig::LogFileEditorPage));

    // Data rows only, every column but the first.
    auto *grid = window->findChild<QTableView *>("LogEditorGrid");
    QAbstractItemModel *model = grid->model();
    ASSERT_EQ(model->columnCount(), 4);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Lap_Marker");
    ASSERT_EQ(model->rowCount(), 5);
    EXPECT_EQ(model->index(4, 3).data().toString(), "5000");

    auto *readingID = window->findChild<QLineEdit *>("ReadingIDEdit");
    const auto find = [&](const QString &text) {
        readingID->setText(text);
        button("FindLogRecord")->click();
        return editor->LogDataTable().fieldByName("ReadingID").asInteger();
    };
    EXPECT_EQ(find("3"), 3);
    EXPECT_EQ(grid->currentIndex().row(), 2);
    EXPECT_EQ(find("99"), 3); // no such row: the cursor stays
    EXPECT_EQ(find("2x"), 3);
    EXPECT_EQ(find(""), 3);
    EXPECT_EQ(shownTexts(DialogKind::Error),
        QStringList({ "'2x' is not a valid integer value", "'' is not a valid integer value" }));

    // Lap and sector records stay; others go.
    for (const char *id : { "2", "4" }) {
        find(id);
        button("DeleteLogRecord")->click();
    }
    EXPECT_EQ(shownTexts(DialogKind::Information),
        QStringList(2, "This is a lap or sector record and must not be deleted"));
    find("3");
    button("DeleteLogRecord")->click();
    EXPECT_EQ(model->rowCount(), 4);

    // An edit goes into the table; text that is no number is refused and changes nothing.
    EXPECT_TRUE(model->setData(model->index(0, 3), "1500"));
    EXPECT_FALSE(model->setData(model->index(0, 3), "fast"));
    EXPECT_EQ(shownTexts(DialogKind::Error).size(), 3);
    EXPECT_EQ(model->index(0, 3).data().toString(), "1500");

    const QString saved = QDir(logs).filePath("edited.kro");
    dialogs.answerSaveFile(saved);
    button("SaveLogChanges")->click();
    const FileDialogRequest save = fileRequests().last();
    EXPECT_EQ(save.filter, "ZEL Log File|*.kro");
    EXPECT_EQ(save.defaultExtension, "kro");
    EXPECT_EQ(save.initialFolder, logs);
    EXPECT_EQ(save.initialFileName, "run.kro");
    // Every stored row is saved, the filtered-out header too.
    EXPECT_EQ(readingIDsIn(saved), QList<qint64>({ 0, 1, 2, 4, 5 }));
    RecordTable reread;
    reread.loadFromFile(saved);
    reread.setRecNo(1);
    EXPECT_EQ(reread.fieldByName("RPM").asReal(), 1500);
    EXPECT_EQ(readingIDsIn(log), QList<qint64>({ 0, 1, 2, 3, 4, 5 }));
}

TEST_F(DashOperationsTest, AFileThatIsNoSessionLogLeavesTheOpenLogAlone)
{
    const QString log = writeSessionLog(temp.filePath("run.kro"));
    open();
    dialogs.answerOpenFile(log);
    action("OpenImportedLog1")->trigger();

    RecordTable other;
    other.addColumn("Name", ColumnType::Text, 10);
    other.open();
    other.saveToFile(temp.filePath("other.kro"));
    writeFile(temp.filePath("garbage.kro"), QByteArray("not a table at all"));
    for (const char *name : { "other.kro", "garbage.kro" }) {
        dialogs.answerOpenFile(temp.filePath(name));
        button("OpenImportedLogButton")->click();
    }
    EXPECT_EQ(shownTexts(DialogKind::Error).size(), 2);
    auto *editor = window->findChild<LogFileEditor *>();
    EXPECT_EQ(editor->EditorLogFile(), log);
    EXPECT_EQ(window->findChild<QTableView *>("LogEditorGrid")->model()->rowCount(), 5);
}

// Dash emulator

/// A stand-in emulator: records its arguments, then runs until a "stop" file appears
/// beside it.
void writeStandInEmulator(const QString &path)
{
    writeFile(path,
        "#!/bin/sh\n"
        "printf '%s\\n' \"$@\" > \"$0.args\"\n"
        "while [ ! -e \"$(dirname \"$0\")/stop\" ]; do sleep 0.05; done\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

constexpr int kWaitMs = 10000;

TEST_F(DashOperationsTest, TheEmulatorRunsOnTheCardWhileTheWindowWaitsAndStaysResponsive)
{
    const QString emulator = QDir(program).filePath("KRO.exe");
    writeStandInEmulator(emulator);
    const QString root = insertCard();
    openWithCard(root);

    button("BitBtn24")->click();
    ASSERT_TRUE(window->dashEmulator().running());
    EXPECT_FALSE(window->KROSettings().active());
    EXPECT_FALSE(window->Translations1().active());
    for (int i = 0; i < TfrmLoggerConfig::PageCount; ++i)
        EXPECT_FALSE(page(TfrmLoggerConfig::Page(i))->isEnabled()) << i;
    EXPECT_FALSE(button("BitBtn24")->isEnabled());
    EXPECT_FALSE(button("SaveToSDCard")->isEnabled());
    EXPECT_FALSE(action("SaveSettings1")->isEnabled());
    EXPECT_FALSE(window->findChild<QComboBox *>("SelectionDriveList")->isEnabled());
    // The card's root is its one argument.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(emulator + ".args"); }, kWaitMs));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return readAll(emulator + ".args") == root + "\n"; }, kWaitMs));

    writeFile(QDir(program).filePath("stop"), {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->dashEmulator().running(); }, kWaitMs));
    EXPECT_TRUE(button("BitBtn24")->isEnabled());
    EXPECT_TRUE(button("SaveToSDCard")->isEnabled());
    EXPECT_TRUE(window->KROSettings().active());
    EXPECT_TRUE(page(TfrmLoggerConfig::SDCardPage)->isEnabled());
    EXPECT_TRUE(window->findChild<QComboBox *>("SelectionDriveList")->isEnabled());
    EXPECT_EQ(window->CardDrive(), root);
}

TEST_F(DashOperationsTest, RemovingTheCardOrClosingTheWindowClosesTheEmulator)
{
    const QString emulator = QDir(program).filePath("KRO.exe");
    writeStandInEmulator(emulator);
    for (const bool removal : { true, false }) {
        SCOPED_TRACE(removal ? "removal" : "close");
        QFile::remove(emulator + ".args");
        drives.rootList.clear();
        const QString root = insertCard(removal ? "removed" : "closed");
        openWithCard(root);
        button("BitBtn24")->click();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return QFileInfo::exists(emulator + ".args"); }, kWaitMs));
        if (removal) {
            drives.rootList.clear();
            Q_EMIT drives.removed();
        } else {
            button("BitBtn1")->click();
            EXPECT_FALSE(window->isVisible());
        }
        // Asked to end, the stand-in ends although its "stop" file never appears.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->dashEmulator().running(); }, kWaitMs));
        EXPECT_FALSE(button("BitBtn24")->isEnabled());
        EXPECT_TRUE(window->CardDrive().isEmpty() || !removal);
        window.reset();
    }
}

TEST_F(DashOperationsTest, AnEmulatorThatCannotRunIsReportedAndTheCardShownAgain)
{
    const QString root = insertCard();
    openWithCard(root);
    button("BitBtn24")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->dashEmulator().running(); }, kWaitMs));
    EXPECT_EQ(shownTexts(DialogKind::Error),
        QStringList("Unable to run " + ProgramPaths(program, dataFolder()).emulator()));
    EXPECT_TRUE(button("BitBtn24")->isEnabled());
    EXPECT_TRUE(window->KROSettings().active());
}

// True once the process \a pid has ended (gone, or a zombie nobody has reaped yet).
bool processEnded(const QByteArray &pid)
{
    QFile stat("/proc/" + pid.trimmed() + "/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";
}

TEST(DashEmulatorTest, ACloseRequestKillsAnEmulatorThatIgnoresItAndWhatItStarted)
{
    QTemporaryDir temp;
    const QString path = temp.filePath("stubborn");
    writeFile(path,
        "#!/bin/sh\ntrap '' TERM\n"
        "sh -c \"trap '' TERM; while true; do sleep 0.05; done\" &\n"
        "echo $! > \"$0.child\"\n"
        "while true; do sleep 0.05; done\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    DashEmulator emulator(emulatorLaunch(path, {}), 200);
    emulator.start(temp.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(path + ".child").size() > 0; }, kWaitMs));
    const QByteArray child = readAll(path + ".child");
    ASSERT_FALSE(processEnded(child));
    emulator.requestClose();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !emulator.running(); }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return processEnded(child); }, kWaitMs));
}

TEST(DashEmulatorTest, AWindowsEmulatorRunsThroughWineWithTheCardAsADrivePath)
{
    QTemporaryDir temp;
    const QString wine = temp.filePath("wine");
    writeStandInEmulator(wine);
    const QString windows = temp.filePath("KRO.exe");
    writeFile(windows, "MZ\x90\0");
    const QString script = temp.filePath("KRO");
    writeStandInEmulator(script);

    EXPECT_EQ(emulatorLaunch(windows, wine).program, wine);
    EXPECT_EQ(emulatorLaunch(windows, {}).program, windows);
    EXPECT_EQ(emulatorLaunch(script, wine).program, script);

    DashEmulator emulator(emulatorLaunch(windows, wine), 200);
    emulator.start("/media/ann/DASH CARD");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return QFileInfo::exists(wine + ".args")
                && readAll(wine + ".args") == windows + "\nZ:\\media\\ann\\DASH CARD\n";
        },
        kWaitMs));
    writeFile(temp.filePath("stop"), {});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !emulator.running(); }, kWaitMs));
    EXPECT_EQ(emulator.emulator(), windows);
}

TEST(DashEmulatorTest, ANativeEmulatorBesideTheProgramComesBeforeTheWindowsOne)
{
    QTemporaryDir temp;
    const ProgramPaths paths(temp.path(), temp.filePath("Data"));
    EXPECT_EQ(paths.emulator(), temp.filePath("KRO.exe"));
    writeFile(temp.filePath("KRO.exe"), "MZ");
    EXPECT_EQ(paths.emulator(), temp.filePath("KRO.exe"));
    writeFile(temp.filePath("KRO"), "#!/bin/sh\n");
    EXPECT_EQ(paths.emulator(), temp.filePath("KRO"));
}

// Firmware

TEST_F(DashOperationsTest, FirmwareIsCopiedToTheCardByteForByte)
{
    const QString root = insertCard();
    const QString firmwareFolder = ProgramPaths(program, dataFolder()).firmwareFolder();
    QByteArray image(70000, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 7 + 3);
    writeFile(QDir(firmwareFolder).filePath("KRO7-2.BIN"), image);
    openWithCard(root);

    dialogs.answerOpenFile(QDir(firmwareFolder).filePath("KRO7-2.BIN"));
    action("LoadnewfirmwaretoCard1")->trigger();
    const FileDialogRequest request = fileRequests().at(0);
    EXPECT_EQ(request.initialFolder, firmwareFolder);
    EXPECT_EQ(request.defaultExtension, "bin");
    EXPECT_TRUE(request.filter.startsWith("KRO 7 Firmware|"));
    for (const char *name : { "a.bin", "a.Bin", "a.BIN" })
        EXPECT_TRUE(QDir::match(request.filter.section('|', 1), name)) << name;
    EXPECT_EQ(readAll(CardPaths(root).firmwareFile()), image);
    EXPECT_TRUE(shownTexts(DialogKind::Error).isEmpty());
}

TEST_F(DashOperationsTest, AFailedFirmwareCopyIsReportedAndKeepsTheCardsFirmware)
{
    const struct
    {
        const char *name;
        bool targetIsFolder;
    } cases[] = { { "source gone", false }, { "target is a folder", true } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        drives.rootList.clear();
        const QString root = insertCard(c.name);
        const QString firmware = CardPaths(root).firmwareFile();
        QString source = temp.filePath("gone.bin");
        if (c.targetIsFolder) {
            QDir().mkpath(firmware);
            source = temp.filePath("new.bin");
            writeFile(source, "new image");
        } else {
            writeFile(firmware, "old image");
        }
        openWithCard(root);
        const qsizetype errors = shownTexts(DialogKind::Error).size();
        dialogs.answerOpenFile(source);
        action("LoadnewfirmwaretoCard1")->trigger();
        ASSERT_EQ(shownTexts(DialogKind::Error).size(), errors + 1);
        EXPECT_TRUE(shownTexts(DialogKind::Error).last().contains("KRO.EXE"));
        if (c.targetIsFolder)
            EXPECT_TRUE(QFileInfo(firmware).isDir());
        else
            EXPECT_EQ(readAll(firmware), "old image");
        window.reset();
    }
}

// Sector and message files

struct DashFileKind
{
    const char *menuEntry;
    const char *loadButton;
    const char *removeButton;
    const char *label;
    const char *filter;
    const char *extension;
    ShortString<31> TSettings::*field;
};

const DashFileKind kDashFileKinds[] = {
    { "LoadPracticeRun1", "InstallSectorFile", "BitBtn7", "PracticeFileName",
        "KRO Practice Run Files|*.prc", "prc", &TSettings::Practice },
    { "LoadMessageFile1", "LoadMessageFileButton", "BitBtn8", "MessageFileName",
        "ZEL Message Files|*.msg", "msg", &TSettings::TrackMessage },
};

TEST_F(DashOperationsTest, SectorAndMessageFilesGoToTheCardAndAreNamedInItsSettings)
{
    const QString root = insertCard();
    openWithCard(root);
    for (const DashFileKind &kind : kDashFileKinds) {
        SCOPED_TRACE(kind.menuEntry);
        const QString name = QStringLiteral("Bathurst-2026.") + kind.extension;
        writeFile(QDir(dataFolder()).filePath(name), QByteArray("sector\0data", 11));
        dialogs.answerOpenFile(QDir(dataFolder()).filePath(name));
        action(kind.menuEntry)->trigger();
        const FileDialogRequest request = fileRequests().last();
        EXPECT_EQ(request.filter, kind.filter);
        EXPECT_EQ(request.defaultExtension, kind.extension);
        EXPECT_EQ(request.initialFolder, dataFolder());
        EXPECT_EQ(readAll(CardPaths(root).dataFile(name)), QByteArray("sector\0data", 11));
        EXPECT_EQ((settingsOnCard(root).*kind.field).toString(), name);
        EXPECT_EQ(window->findChild<QLabel *>(kind.label)->text(), name);

        // The page's button loads as the menu entry does; removing keeps the file.
        const QString second = QStringLiteral("second.") + kind.extension;
        writeFile(QDir(dataFolder()).filePath(second), "2");
        dialogs.answerOpenFile(QDir(dataFolder()).filePath(second));
        button(kind.loadButton)->click();
        EXPECT_EQ((settingsOnCard(root).*kind.field).toString(), second);
        button(kind.removeButton)->click();
        EXPECT_EQ((settingsOnCard(root).*kind.field).toString(), "");
        EXPECT_EQ(window->findChild<QLabel *>(kind.label)->text(), "");
        EXPECT_TRUE(QFileInfo::exists(CardPaths(root).dataFile(second)));
    }
    EXPECT_TRUE(shownTexts(DialogKind::Error).isEmpty());
}

TEST_F(DashOperationsTest, ANameTheSettingsCannotHoldIsRefusedBeforeCopying)
{
    const QString root = insertCard();
    openWithCard(root);
    const struct
    {
        QString stem; // the extension adds 4 characters
        bool accepted;
    } cases[] = { { QString(27, 'a'), true }, { QString(28, 'b'), false },
        { QStringLiteral("Трек"), false }, { QStringLiteral("Café"), true } };
    for (const DashFileKind &kind : kDashFileKinds) {
        for (const auto &c : cases) {
            const QString name = c.stem + "." + kind.extension;
            SCOPED_TRACE(name.toStdString());
            const QString before = (settingsOnCard(root).*kind.field).toString();
            const qsizetype errors = shownTexts(DialogKind::Error).size();
            writeFile(QDir(dataFolder()).filePath(name), "x");
            dialogs.answerOpenFile(QDir(dataFolder()).filePath(name));
            action(kind.menuEntry)->trigger();
            EXPECT_EQ(
                QFileInfo::exists(QDir(CardPaths(root).dataFolder()).filePath(name)), c.accepted);
            EXPECT_EQ((settingsOnCard(root).*kind.field).toString(), c.accepted ? name : before);
            EXPECT_EQ(shownTexts(DialogKind::Error).size(), errors + (c.accepted ? 0 : 1));
        }
    }
}

TEST_F(DashOperationsTest, AFailedSectorCopyKeepsTheNameTheSettingsHeld)
{
    const QString root = insertCard();
    openWithCard(root);
    const QString before = settingsOnCard(root).Practice.toString();
    dialogs.answerOpenFile(temp.filePath("missing.prc"));
    action("LoadPracticeRun1")->trigger();
    ASSERT_EQ(shownTexts(DialogKind::Error).size(), 1);
    EXPECT_TRUE(shownTexts(DialogKind::Error).at(0).contains("missing.prc"));
    EXPECT_EQ(settingsOnCard(root).Practice.toString(), before);
    EXPECT_EQ(window->KROSettings().settings().Practice.toString(), before);
}

} // namespace
