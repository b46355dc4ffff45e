#include "dashmanager/TfrmLoggerConfig.h"

#include "card/CardDrives.h"
#include "LoggerConfigTesting.h"
#include "card/CardPaths.h"
#include "card/DemoCard.h"
#include "logger/RawLogWriter.h"
#include "logger/TKROSettings.h"
#include "logger/TMathsChannels.h"
#include "session/LogImport.h"
#include "session/RecordTable.h"
#include "session/TKRO_Data.h"
#include "ui/LimitedTextEdit.h"
#include "ui/ScriptedUserDialogs.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstddef>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace zel;

namespace {

/// Writes the demo card to \a root, its settings changed by \a edit.
void writeCard(const QString &root, const std::function<void(TSettings &)> &edit = {})
{
    DemoCard().write(root);
    if (!edit)
        return;
    TKROSettings settings;
    settings.setSettingsFileName(CardPaths(root).settingsFile());
    settings.LoadSettingsTable();
    edit(settings.settings());
    settings.SaveSettingsTable();
    settings.CloseSettingsTable();
}

constexpr qsizetype kDriverNameOffset
    = qsizetype(offsetof(TSettings, DataDict) + offsetof(TDataDictionary, DriverName));

class TfrmLoggerConfigTest : public LoggerConfigTest
{
protected:
    /// A card folder that the fake drive source lists with identity \a identity.
    QString insertCard(const QString &name, const QString &identity = QStringLiteral("one"))
    {
        const QString root = temp.filePath(name);
        QDir().mkpath(root);
        drives.rootList << root;
        drives.identities[root] = identity;
        return root;
    }

    TfrmLoggerConfig &open()
    {
        window = std::make_unique<TfrmLoggerConfig>(
            data, dialogs, drives, program, [this](const QString &path) { opened << path; });
        window->show();
        return *window;
    }

    void select(const QString &root)
    {
        auto *box = window->findChild<QComboBox *>("SelectionDriveList");
        const int index = box->findData(root);
        ASSERT_GE(index, 0) << root.toStdString();
        box->setCurrentIndex(index);
    }

    QAction *action(const char *name) { return window->findChild<QAction *>(name); }
    QPushButton *button(const char *name) { return window->findChild<QPushButton *>(name); }
    QWidget *page(TfrmLoggerConfig::Page page)
    {
        return window->findChild<QStackedWidget *>("Pages")->widget(page);
    }
    QStringList enabledPages()
    {
        QStringList names;
        for (int i = 0; i < TfrmLoggerConfig::PageCount; ++i) {
            if (page(TfrmLoggerConfig::Page(i))->isEnabled())
                names << page(TfrmLoggerConfig::Page(i))->windowTitle();
        }
        return names;
    }
    QStringList shownTexts(DialogKind kind) const { return dialogs.shownTexts(kind); }
    QString dataFolder() const { return QDir(program).filePath("Data"); }

    QStringList opened;
};

const char *const kCardEntries[] = { "SaveSettings1", "ClearLogs1", "LoadnewfirmwaretoCard1",
    "SelectDataLog1", "QuickImport1", "SaveImportedLog1", "LoadPracticeRun1", "LoadMessageFile1" };

TEST_F(TfrmLoggerConfigTest, TheWindowHasItsMenusPagesAndHeader)
{
    open();
    EXPECT_EQ(window->windowTitle(), "Logger Configuration");
    const QStringList menus { "SD Card", "Logs" };
    QStringList shownMenus;
    QMenuBar *bar = window->findChild<QMenuBar *>();
    ASSERT_NE(bar, nullptr);
    for (QAction *menu : bar->actions()) {
        if (menu->isVisible())
            shownMenus << menu->text();
        else
            EXPECT_EQ(menu->text(), "Maps");
    }
    EXPECT_EQ(shownMenus, menus);
    const std::pair<const char *, const char *> entries[] = { { "SaveSettings1",
                                                                  "Save settings to card" },
        { "InitialiseNewCard1", "Initialise new card" }, { "ClearLogs1", "Clear Logs from card" },
        { "LoadnewfirmwaretoCard1", "Load new firmware to card" },
        { "LoadPracticeRun1", "Load Sector File" }, { "LoadMessageFile1", "Load Message File" },
        { "SelectDataLog1", "Select Data Log" }, { "SaveImportedLog1", "Save Imported Log" },
        { "QuickImport1", "Quick Import" }, { "OpenImportedLog1", "Open Imported Log" } };
    for (const auto &[name, caption] : entries) {
        ASSERT_NE(action(name), nullptr) << name;
        EXPECT_EQ(action(name)->text(), caption);
    }

    auto *tree = window->findChild<QTreeWidget *>("PageTree");
    const QStringList nodes { "SD Card", "Log settings", "Channel Translations",
        "Channel Selections", "Up-Load logs", "Log File Editor" };
    const QStringList titles { "SD Card", "Log Settings", "Channel Translations", "Log Channels",
        "Logs", "Log File Editor" };
    ASSERT_EQ(tree->topLevelItemCount(), nodes.size());
    auto *pages = window->findChild<QStackedWidget *>("Pages");
    for (int i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(tree->topLevelItem(i)->text(0), nodes[i]);
        EXPECT_EQ(page(TfrmLoggerConfig::Page(i))->windowTitle(), titles[i]);
        tree->setCurrentItem(tree->topLevelItem(i));
        EXPECT_EQ(pages->currentIndex(), i);
    }

    auto *ecu = window->findChild<QComboBox *>("ECUModelList");
    auto *dash = window->findChild<QComboBox *>("DashModelList");
    EXPECT_EQ(ecu->count(), 7);
    EXPECT_EQ(ecu->itemText(6), "ZEL VT4B");
    EXPECT_EQ(dash->count(), 6);
    EXPECT_EQ(dash->itemText(5), "ZEL KRO-7 Hot Rod");
    for (const char *name : { "BitBtn1", "SaveToSDCard", "BitBtn24", "BitBtn12", "BitBtn13",
             "ReadLogFile", "SaveLogFile", "QuickLogImport" })
        EXPECT_NE(button(name), nullptr) << name;
    EXPECT_EQ(window->findChild<QLineEdit *>("CardIDEdit")->maxLength(), 20);
    EXPECT_EQ(window->findChild<QLineEdit *>("VehicleEdit")->maxLength(), 47);
    EXPECT_EQ(window->findChild<LimitedTextEdit *>("NotesMemo")->maxLength(), 254);
    EXPECT_EQ(window->findChild<LimitedTextEdit *>("ExtraNotesMemo")->maxLength(), 254);
    EXPECT_EQ(&window->progressBar(), window->findChild<QProgressBar *>("ProgressBar1"));
}

TEST_F(TfrmLoggerConfigTest, WithoutARemovableDriveNothingButTheSelectorWorks)
{
    open();
    auto *box = window->findChild<QComboBox *>("SelectionDriveList");
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_EQ(box->currentText(), "");
    EXPECT_EQ(box->placeholderText(), "Select SD Card");
    ASSERT_EQ(box->count(), 1); // only the folder entry
    EXPECT_EQ(box->itemText(0), "Choose a folder…");
    EXPECT_TRUE(window->CardDrive().isEmpty());
    EXPECT_FALSE(button("SaveToSDCard")->isEnabled());
    EXPECT_FALSE(action("InitialiseNewCard1")->isEnabled());
    EXPECT_TRUE(action("OpenImportedLog1")->isEnabled());
    for (const char *name : kCardEntries)
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    EXPECT_TRUE(enabledPages().isEmpty());
    EXPECT_FALSE(window->CardSettingsLoaded());
}

TEST_F(TfrmLoggerConfigTest, ADriveWithoutSettingsOffersOnlyInitialisation)
{
    const QString root = insertCard("blank");
    QDir(root).mkpath("Data");
    open();
    int initialisations = 0;
    window->onInitialiseCard = [&] { ++initialisations; };
    select(root);

    EXPECT_EQ(window->CardDrive(), root);
    EXPECT_TRUE(enabledPages().isEmpty());
    EXPECT_TRUE(button("SaveToSDCard")->isEnabled());
    EXPECT_TRUE(action("InitialiseNewCard1")->isEnabled());
    for (const char *name : kCardEntries)
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    EXPECT_FALSE(button("ReadLogFile")->isEnabled());
    EXPECT_FALSE(button("BitBtn24")->isEnabled());

    dialogs.answerQuestion(false);
    button("SaveToSDCard")->click();
    dialogs.answerQuestion(true);
    button("SaveToSDCard")->click();
    EXPECT_EQ(shownTexts(DialogKind::Question),
        QStringList(2, "This card must be initialized! Do you want to initialize this card?"));
    EXPECT_EQ(initialisations, 1);
    action("InitialiseNewCard1")->trigger();
    EXPECT_EQ(initialisations, 2);
    EXPECT_FALSE(QFileInfo::exists(CardPaths(root).settingsFile()));
}

TEST_F(TfrmLoggerConfigTest, ACardWithSettingsEnablesThePagesItsDashHas)
{
    const struct
    {
        const char *name;
        int feature;
        QStringList pages;
    } cases[] = {
        { "circuit", 3,
            { "SD Card", "Log Settings", "Channel Translations", "Log Channels", "Logs" } },
        { "street", 0, { "SD Card", "Channel Translations" } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString root = insertCard(c.name);
        writeCard(root, [&](TSettings &s) {
            s.feature = std::uint8_t(c.feature);
            s.ModelIndex = 4;
            s.ECUIndex = 2;
            s.DataDict.Vehicle.assign("Van");
        });
        open();
        select(root);
        EXPECT_EQ(enabledPages(), c.pages);
        EXPECT_TRUE(window->CardSettingsLoaded());
        EXPECT_EQ(window->CardDataFolder(), QDir(root).filePath("Data"));
        for (const char *name : kCardEntries)
            EXPECT_TRUE(action(name)->isEnabled()) << name;
        for (const char *name : { "SaveToSDCard", "BitBtn24" })
            EXPECT_TRUE(button(name)->isEnabled()) << name;
        // On the "Logs" page, which a street dash disables as a whole.
        QWidget *logs = page(TfrmLoggerConfig::LogsPage);
        EXPECT_TRUE(button("ReadLogFile")->isEnabledTo(logs));
        EXPECT_TRUE(button("QuickLogImport")->isEnabledTo(logs));
        EXPECT_FALSE(button("SaveLogFile")->isEnabledTo(logs));
        EXPECT_EQ(window->findChild<QComboBox *>("DashModelList")->currentText(),
            "ZEL KRO-7 Pro Circuit");
        EXPECT_EQ(
            window->findChild<QComboBox *>("ECUModelList")->currentText(), "ZEL Motorsport ECUs");
        EXPECT_EQ(
            window->findChild<QLabel *>("CardIdentifier")->text(), "SD Card Identifier: DEMO");
        EXPECT_EQ(window->findChild<QLineEdit *>("CardIDEdit")->text(), "DEMO");
        EXPECT_EQ(window->findChild<QLineEdit *>("VehicleEdit")->text(), "Van");
        EXPECT_EQ(window->ECUChannelCount(), 47);
        EXPECT_TRUE(window->KROSettings().active());
        EXPECT_TRUE(window->Translations1().active());
        // A card without maths channels gets an empty table.
        EXPECT_EQ(readAll(CardPaths(root).mathsFile()).size(), TMathsChannels::kFileSize);
        window.reset();
    }
}

TEST_F(TfrmLoggerConfigTest, AShortSettingsFileIsReportedAndAnUnreadableCardShowsNoCard)
{
    const QString shortCard = insertCard("short");
    writeCard(shortCard);
    const QString settingsFile = CardPaths(shortCard).settingsFile();
    QFile::resize(settingsFile, 300);
    const QString noTranslations = insertCard("no translations");
    writeCard(noTranslations);
    QFile::remove(CardPaths(noTranslations).translationFile());
    open();

    select(shortCard);
    ASSERT_EQ(shownTexts(DialogKind::Warning).size(), 1);
    EXPECT_TRUE(shownTexts(DialogKind::Warning)[0].contains(settingsFile));
    EXPECT_TRUE(window->CardSettingsLoaded());

    select(noTranslations);
    EXPECT_EQ(shownTexts(DialogKind::Error).size(), 1);
    EXPECT_FALSE(window->CardSettingsLoaded());
    EXPECT_FALSE(window->KROSettings().active());
    EXPECT_TRUE(enabledPages().isEmpty());
    EXPECT_FALSE(action("QuickImport1")->isEnabled());
}

TEST_F(TfrmLoggerConfigTest, AChosenFolderStandsForACardUntilTheWindowCloses)
{
    const QString copy = temp.filePath("card copy");
    writeCard(copy);
    const QString drive = insertCard("drive");
    open();
    auto *box = window->findChild<QComboBox *>("SelectionDriveList");

    dialogs.answerFolder(std::nullopt);
    box->setCurrentIndex(box->count() - 1);
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_TRUE(window->CardDrive().isEmpty());

    dialogs.answerFolder(copy);
    box->setCurrentIndex(box->count() - 1);
    EXPECT_EQ(window->CardDrive(), copy);
    EXPECT_EQ(box->currentData().toString(), copy);
    EXPECT_TRUE(window->CardSettingsLoaded());

    // Still listed after the drives change, after the drives.
    drives.rootList.clear();
    Q_EMIT drives.removed();
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemData(0).toString(), copy);
    drives.rootList << drive;
    Q_EMIT drives.arrived();
    EXPECT_EQ(box->itemData(0).toString(), drive);
    EXPECT_EQ(box->itemData(1).toString(), copy);
}

TEST_F(TfrmLoggerConfigTest, SavingToTheCardWritesTheCardPageAndNeedsACardID)
{
    const QString root = insertCard("card");
    writeCard(root);
    const QString settingsFile = CardPaths(root).settingsFile();
    const QByteArray before = readAll(settingsFile);
    open();
    select(root);
    auto *cardID = window->findChild<QLineEdit *>("CardIDEdit");

    // A blank ID is refused and never reaches the settings, not even when they close.
    cardID->setText("   ");
    window->findChild<QLineEdit *>("VehicleEdit")->setText("Truck");
    button("SaveToSDCard")->click();
    EXPECT_EQ(shownTexts(DialogKind::Information), QStringList { "Please enter an SD Card ID" });
    window->closeCardTables();
    EXPECT_EQ(readAll(settingsFile), before);

    window->SelectionDriveListChange(); // the same card, loaded again
    cardID->setText("RED-7");
    window->findChild<QLineEdit *>("VehicleEdit")->setText("Truck");
    window->findChild<LimitedTextEdit *>("NotesMemo")->setPlainText("Dry");
    window->findChild<LimitedTextEdit *>("ExtraNotesMemo")->setPlainText("Sunny");
    action("SaveSettings1")->trigger();
    const QByteArray after = readAll(settingsFile);
    EXPECT_EQ(after.mid(kDriverNameOffset, 6), QByteArray("\x05RED-7", 6));
    const qsizetype dict = qsizetype(offsetof(TSettings, DataDict));
    EXPECT_EQ(after.mid(dict + qsizetype(offsetof(TDataDictionary, Vehicle)), 6),
        QByteArray("\x05Truck", 6));
    EXPECT_EQ(after.mid(dict + qsizetype(offsetof(TDataDictionary, TrackConditiion)), 4),
        QByteArray("\x03"
                   "Dry",
            4));
    EXPECT_EQ(after.mid(dict + qsizetype(offsetof(TDataDictionary, WeatherCondition)), 6),
        QByteArray("\x05Sunny", 6));
    EXPECT_EQ(after[qsizetype(offsetof(TSettings, LogSpeed))], 2);
    EXPECT_EQ(window->findChild<QLabel *>("CardIdentifier")->text(), "SD Card Identifier: RED-7");
    EXPECT_TRUE(window->CardSettingsLoaded());
}

TEST_F(TfrmLoggerConfigTest, ACardGoneOrSwappedIsNeverWrittenByTheWindow)
{
    // What becomes of the shown card's tables, changed in memory, at a device change.
    enum class Change { OtherDriveArrives, CardSwapped, CardRemoved };
    const struct
    {
        const char *name;
        Change change;
        bool saved;
    } cases[] = { { "other drive arrives", Change::OtherDriveArrives, true },
        { "card swapped", Change::CardSwapped, false },
        { "card removed", Change::CardRemoved, false } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        drives.rootList.clear();
        const QString root = insertCard(QStringLiteral("mount %1").arg(int(c.change)), "card A");
        writeCard(root);
        const CardPaths card(root);
        const QByteArray settingsA = readAll(card.settingsFile());
        const QByteArray translationsA = readAll(card.translationFile());
        open();
        select(root);
        window->KROSettings().settings().Brightness ^= 1;
        window->Translations1().record(0).AvgLevel ^= 1;

        const QString aside = root + " aside";
        switch (c.change) {
        case Change::OtherDriveArrives:
            insertCard(QStringLiteral("other %1").arg(int(c.change)));
            Q_EMIT drives.arrived();
            break;
        case Change::CardSwapped:
            // Card A leaves (its files go with it), card B is mounted at the same root.
            ASSERT_TRUE(QDir().rename(root, aside));
            writeCard(root, [](TSettings &s) { s.DataDict.DriverName.assign("B"); });
            drives.identities[root] = "card B";
            Q_EMIT drives.removed();
            Q_EMIT drives.arrived();
            break;
        case Change::CardRemoved:
            ASSERT_TRUE(QDir().rename(root, aside));
            drives.rootList.removeAll(root);
            Q_EMIT drives.removed();
            break;
        }

        auto *box = window->findChild<QComboBox *>("SelectionDriveList");
        EXPECT_EQ(box->currentIndex(), -1);
        EXPECT_TRUE(window->CardDrive().isEmpty());
        EXPECT_FALSE(window->CardSettingsLoaded());
        EXPECT_FALSE(window->KROSettings().active());
        EXPECT_TRUE(enabledPages().isEmpty());
        EXPECT_TRUE(shownTexts(DialogKind::Error).isEmpty())
            << shownTexts(DialogKind::Error).join("; ").toStdString();
        const CardPaths cardA(c.change == Change::OtherDriveArrives ? root : aside);
        EXPECT_EQ(readAll(cardA.settingsFile()) != settingsA, c.saved);
        EXPECT_EQ(readAll(cardA.translationFile()) != translationsA, c.saved);
        if (c.change == Change::CardSwapped) {
            const CardPaths cardB(root);
            const QByteArray settingsB = readAll(cardB.settingsFile());
            window.reset(); // closing the window writes nothing to card B either
            EXPECT_EQ(readAll(cardB.settingsFile()), settingsB);
            EXPECT_EQ(settingsB.mid(kDriverNameOffset, 2),
                QByteArray("\x01"
                           "B",
                    2));
        }
        window.reset();
    }
}

TEST_F(TfrmLoggerConfigTest, ImportAskForALogOnTheCardInAnyCase)
{
    const QString root = insertCard("card");
    writeCard(root);
    const QString raw = QDir(root).filePath("Logs/run.2.DSH");
    ASSERT_TRUE(QFile::rename(QDir(root).filePath("Logs/Datalog1.Dsh"), raw));
    open();
    select(root);

    dialogs.answerOpenFile(std::nullopt);
    EXPECT_FALSE(window->ImportLog());
    ASSERT_EQ(dialogs.shown().size(), 1);
    const FileDialogRequest &open = dialogs.shown()[0].file;
    EXPECT_EQ(open.filter, "KRO 7 Log Files|*.[Dd][Ss][Hh]");
    EXPECT_EQ(open.defaultExtension, "dsh");
    EXPECT_EQ(open.initialFolder, QDir(root).filePath("Logs"));
    EXPECT_FALSE(button("SaveLogFile")->isEnabled());

    dialogs.answerOpenFile(raw);
    button("ReadLogFile")->click();
    EXPECT_EQ(window->CurrentLogName(), "run.2.DSH");
    EXPECT_EQ(window->findChild<QLabel *>("CurrentLogLabel")->text(), "run.2.DSH");
    EXPECT_EQ(window->findChild<QStackedWidget *>("Pages")->currentIndex(),
        int(TfrmLoggerConfig::LogsPage));
    EXPECT_TRUE(button("SaveLogFile")->isEnabled());
    EXPECT_GT(data.LogDataTable().rowCount(), 100);
    EXPECT_EQ(window->progressBar().value(), window->progressBar().maximum());

    const QString target = temp.filePath("saved.kro");
    dialogs.answerSaveFile(target);
    button("SaveLogFile")->click();
    const FileDialogRequest &save = dialogs.shown().last().file;
    EXPECT_EQ(save.filter, "ZEL Log File|*.kro");
    EXPECT_EQ(save.initialFileName, "run");
    EXPECT_EQ(save.initialFolder, QDir(dataFolder()).filePath("DEMO"));
    EXPECT_TRUE(QFileInfo(save.initialFolder).isDir());
    EXPECT_TRUE(save.confirmOverwrite);
    RecordTable saved;
    saved.loadFromFile(target);
    EXPECT_EQ(saved.rowCount(), data.LogDataTable().rowCount());
    RecordTable register_;
    register_.loadFromFile(data.CardIDFile());
    ASSERT_EQ(register_.rowCount(), 1) << "the card is recorded";
    EXPECT_EQ(register_.textAt(register_.columnIndex("CardID"), 0), "DEMO");
}

TEST_F(TfrmLoggerConfigTest, ADamagedLogIsReportedAndNothingOfItCanBeSaved)
{
    const QString root = insertCard("card");
    writeCard(root);
    // A whole log first, so that a saveable import would be left over from it.
    const QString whole = QDir(root).filePath("Logs/Datalog1.Dsh");
    const QString damaged = QDir(root).filePath("Logs/damaged.Dsh");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(readAll(whole).left(100)); // cut inside the header
    file.close();
    open();
    select(root);
    dialogs.answerOpenFile(whole);
    ASSERT_TRUE(window->ImportLog());

    for (const char *entry : { "ReadLogFile", "QuickLogImport" }) {
        SCOPED_TRACE(entry);
        const qsizetype errorsBefore = shownTexts(DialogKind::Error).size();
        dialogs.answerOpenFile(damaged);
        button(entry)->click();
        EXPECT_EQ(shownTexts(DialogKind::Error).size(), errorsBefore + 1);
        EXPECT_FALSE(button("SaveLogFile")->isEnabled());
        action("SaveImportedLog1")->trigger(); // no save dialog: nothing to save
        EXPECT_TRUE(opened.isEmpty());
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_FALSE(QFileInfo::exists(QDir(dataFolder()).filePath("DEMO/damaged.kro")));
}

TEST_F(TfrmLoggerConfigTest, ADashModelOtherThanOneStillImportsItsChannels)
{
    const QString root = insertCard("card");
    writeCard(root, [](TSettings &s) { s.model = 2; });
    open();
    select(root);
    EXPECT_EQ(window->ECUChannelCount(), 0);
    dialogs.answerOpenFile(QDir(root).filePath("Logs/Datalog1.Dsh"));
    ASSERT_TRUE(window->ImportLog());
    RecordTable &table = data.LogDataTable();
    const int rpm = table.findColumn("ECU_RPM");
    ASSERT_GE(rpm, 0);
    double largest = 0;
    for (int row = 0; row < table.rowCount(); ++row)
        largest = std::max(largest, table.numberAt(rpm, row));
    EXPECT_GT(largest, 1000);
}

TEST_F(TfrmLoggerConfigTest, QuickImportSavesUnderAFreeNameInTheCardsFolderAndOpensIt)
{
    const struct
    {
        const char *cardID;
        bool saved;
    } cases[] = { { "DEMO", true }, { "", false }, { "../up", false } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cardID);
        const QString root = insertCard(QStringLiteral("card %1").arg(c.saved));
        writeCard(root, [&](TSettings &s) { s.DataDict.DriverName.assign(c.cardID); });
        const QString raw = QDir(root).filePath("Logs/run.2.Dsh");
        QFile::remove(raw);
        ASSERT_TRUE(QFile::copy(QDir(root).filePath("Logs/Datalog1.Dsh"), raw));
        // A log of the same name, imported before from run.1.Dsh, is kept.
        const QString cardFolder = QDir(dataFolder()).filePath("DEMO");
        QDir(cardFolder).removeRecursively();
        QDir().mkpath(cardFolder);
        const QString earlier = QDir(cardFolder).filePath("run.kro");
        QFile::remove(earlier);
        QFile(earlier).open(QIODevice::WriteOnly);
        const QStringList filesBefore = QDir(dataFolder()).entryList(QDir::Files);
        opened.clear();
        open();
        select(root);

        dialogs.answerOpenFile(raw);
        button("QuickLogImport")->click();
        EXPECT_EQ(QFileInfo(earlier).size(), 0);
        EXPECT_EQ(window->CurrentLogName(), "run.2.Dsh");
        if (c.saved) {
            const QString expected = QDir(cardFolder).filePath("run (2).kro");
            EXPECT_EQ(opened, QStringList { expected });
            RecordTable saved;
            saved.loadFromFile(expected);
            EXPECT_GT(saved.rowCount(), 100);
            EXPECT_FALSE(window->isVisible());
            EXPECT_EQ(window->result(), QDialog::Accepted);
        } else {
            EXPECT_TRUE(opened.isEmpty());
            EXPECT_EQ(QDir(cardFolder).entryList(QDir::Files), QStringList { "run.kro" });
            EXPECT_EQ(QDir(dataFolder()).entryList(QDir::Files), filesBefore);
            EXPECT_TRUE(window->isVisible());
        }
        window.reset();
    }
    // The unsafe ID was named; the empty one needs no word.
    ASSERT_EQ(shownTexts(DialogKind::Warning).size(), 1);
    EXPECT_TRUE(shownTexts(DialogKind::Warning)[0].contains("../up"));
}

TEST_F(TfrmLoggerConfigTest, ASplitLogIsSavedByTheImportAndQuickImportOpensItsFirstPart)
{
    const QString root = insertCard("card");
    writeCard(root);
    const QString raw = QDir(root).filePath("Logs/long.Dsh");
    RawLogWriter writer({ "RPM" });
    TLogRecord record {};
    for (int i = 1; i <= LogImport::kSplitRecords + 1; ++i) {
        record.RecordID = std::uint32_t(i);
        writer.appendRecord(record);
    }
    writer.save(raw);
    open();
    select(root);

    dialogs.answerOpenFile(raw);
    button("ReadLogFile")->click();
    EXPECT_TRUE(shownTexts(DialogKind::Information)
                    .contains("This log is very large and will be split into sections"));
    EXPECT_FALSE(button("SaveLogFile")->isEnabled()); // saved already, part by part
    const QDir cardFolder(QDir(dataFolder()).filePath("DEMO"));
    const QStringList firstParts = cardFolder.entryList(QDir::Files);
    ASSERT_EQ(firstParts.size(), 2);

    dialogs.answerOpenFile(raw);
    button("QuickLogImport")->click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(QFileInfo(opened[0]).absolutePath(), cardFolder.absolutePath());
    EXPECT_FALSE(firstParts.contains(QFileInfo(opened[0]).fileName())); // none replaced
    EXPECT_TRUE(QFileInfo(opened[0]).fileName().startsWith("long_1"));
    RecordTable part;
    part.loadFromFile(opened[0]);
    EXPECT_EQ(part.rowCount(), LogImport::kSplitRecords + 2); // its header row and records
    EXPECT_FALSE(window->isVisible());
}

TEST_F(TfrmLoggerConfigTest, ClosingSavesTheShownCardsTablesAndFreesTheImport)
{
    const QString root = insertCard("card");
    writeCard(root);
    const QByteArray before = readAll(CardPaths(root).settingsFile());
    open();
    select(root);
    dialogs.answerOpenFile(QDir(root).filePath("Logs/Datalog1.Dsh"));
    ASSERT_TRUE(window->ImportLog());
    window->KROSettings().settings().Brightness ^= 1;
    button("BitBtn1")->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_FALSE(window->KROSettings().active());
    EXPECT_FALSE(data.MathsChannels1().active());
    EXPECT_FALSE(data.LogDataTable().isOpen());
    EXPECT_NE(readAll(CardPaths(root).settingsFile()), before);
}

} // namespace
