// Backup, restore, backup removal, card initialisation and clearing the logs, driven through
// the logger configuration window and its two card windows.
#include "dashmanager/TCardIDFrm.h"
#include "dashmanager/TfrmInitCard.h"
#include "dashmanager/TfrmLoggerConfig.h"

#include "card/CardDrives.h"
#include "LoggerConfigTesting.h"
#include "card/CardPaths.h"
#include "card/DashModels.h"
#include "card/DemoCard.h"
#include "card/InitialisationTemplates.h"
#include "logger/ChannelLists.h"
#include "logger/TKROSettings.h"
#include "session/RecordTable.h"
#include "session/TKRO_Data.h"
#include "ui/ScriptedUserDialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace zel;

namespace {

TSettings settingsOf(const QString &root)
{
    TKROSettings settings;
    settings.setSettingsFileName(CardPaths(root).settingsFile());
    settings.LoadSettingsTable();
    const TSettings record = settings.settings();
    settings.CloseSettingsTable();
    return record;
}

// The dash's own files, which only the dash reads; the demo card has none of them.
const QStringList kDashFiles
    = { "GaugeParam.prm", "PWMLoop.prm", "Screen1.scn", "Screen2.scn", "Screen3.scn" };
const QStringList kBackupFiles = { "GaugeParam.prm", "PWMLoop.prm", "Settings.prm",
    "Translation.prm", "Maths.prm", "Screen1.scn", "Screen2.scn", "Screen3.scn" };

class CardSettingsWindowsTest : public LoggerConfigTest
{
protected:
    void TearDown() override
    {
        LoggerConfigTest::TearDown();
        EXPECT_EQ(dialogs.pendingAnswers(), 0);
    }

    QString insertCard(const QString &name)
    {
        const QString root = temp.filePath(name);
        QDir().mkpath(root);
        drives.rootList << root;
        return root;
    }
    // A demo card with the dash's own files, card ID \a id.
    QString insertDemoCard(const QString &name, const QString &id = QStringLiteral("DEMO"))
    {
        const QString root = insertCard(name);
        DemoCard().write(root);
        for (const QString &file : kDashFiles)
            writeFile(QDir(root).filePath("Data/" + file), (name + " " + file).toUtf8());
        if (id != QLatin1String(DemoCard::kCardID)) {
            TKROSettings settings;
            settings.setSettingsFileName(CardPaths(root).settingsFile());
            settings.LoadSettingsTable();
            settings.settings().DataDict.DriverName.assign(id);
            settings.SaveSettingsTable();
            settings.CloseSettingsTable();
        }
        return root;
    }

    TfrmLoggerConfig &open()
    {
        window = std::make_unique<TfrmLoggerConfig>(
            data, dialogs, drives, program, [](const QString &) { });
        window->onInitialiseCard = [this] { initCard.run(*window); };
        window->show();
        return *window;
    }
    void select(const QString &root)
    {
        auto *box = window->findChild<QComboBox *>("SelectionDriveList");
        box->setCurrentIndex(box->findData(root));
        ASSERT_EQ(window->CardDrive(), root);
    }

    // Runs \a act on the modal window of type W once it shows.
    template <typename W> void whenShown(std::function<void(W &)> act)
    {
        QTimer::singleShot(0, [act] {
            auto *shown = qobject_cast<W *>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            act(*shown);
            if (shown->isVisible())
                shown->close();
        });
    }

    void backup() { window->findChild<QPushButton *>("BitBtn12")->click(); }
    void restore(std::function<void(TCardIDFrm &)> choose)
    {
        whenShown<TCardIDFrm>(std::move(choose));
        window->findChild<QPushButton *>("BitBtn13")->click();
    }
    // Chooses \a dash and \a ecu in the initialisation window as the user does and presses
    // "Initialise Card".
    void initialise(int dash, int ecu)
    {
        whenShown<TfrmInitCard>([dash, ecu](TfrmInitCard &init) {
            init.ecuList().setCurrentIndex(ecu);
            init.dashList().setCurrentIndex(dash);
            init.findChild<QPushButton *>("Button1")->click();
        });
        window->findChild<QAction *>("InitialiseNewCard1")->trigger();
    }

    // The dialogs shown since the last clearShown().
    QStringList shownTexts(DialogKind kind) const { return dialogs.shownTexts(kind, m_seen); }
    bool nothingShown() const { return dialogs.shown().size() == m_seen; }
    void clearShown() { m_seen = dialogs.shown().size(); }
    QString backupFolder(const QString &id) const
    {
        return QDir(program).filePath("Data/" + id + "/Settings");
    }
    QStringList registerIDs()
    {
        RecordTable &table = data.CardID();
        QStringList ids;
        for (int position = 0; position < table.recordCount(); ++position)
            ids << table.textAt(table.columnIndex("CardID"), table.viewRow(position));
        return ids;
    }

    TfrmInitCard initCard;

private:
    qsizetype m_seen = 0;
};

TEST_F(CardSettingsWindowsTest, BackupCopiesTheEightFilesAndRecordsTheCardOnlyWhenAnswered)
{
    const QString root = insertDemoCard("card");
    open();
    select(root);

    dialogs.answerQuestion(false);
    backup();
    EXPECT_EQ(shownTexts(DialogKind::Question), QStringList { "Backing up settings for DEMO" });
    EXPECT_FALSE(QFile::exists(QDir(backupFolder("DEMO")).filePath("Settings.prm")));
    EXPECT_TRUE(registerIDs().isEmpty());
    EXPECT_TRUE(window->CardSettingsLoaded()) << "the card is selected again";

    dialogs.answerQuestion(true);
    backup();
    EXPECT_EQ(shownTexts(DialogKind::Information), QStringList { "Backup has completed" });
    for (const QString &file : kBackupFiles) {
        EXPECT_EQ(readAll(QDir(backupFolder("DEMO")).filePath(file)),
            readAll(CardPaths(root).dataFile(file)))
            << file.toStdString();
    }
    EXPECT_EQ(registerIDs(), QStringList { "DEMO" });
    RecordTable saved;
    saved.loadFromFile(data.CardIDFile());
    EXPECT_EQ(saved.recordCount(), 1);
    EXPECT_EQ(window->progressBar().value(), 0);
}

TEST_F(CardSettingsWindowsTest, BackupNamesTheFilesItCouldNotCopyButNotTheOptionalOnes)
{
    // Maths channels and a third screen are the user's additions; the others every
    // initialised card holds.
    struct Case
    {
        QStringList removed;
        QString warning;
    };
    const Case cases[] = {
        { { "Maths.prm", "Screen3.scn" }, {} },
        { { "PWMLoop.prm", "Screen3.scn" },
            "These files were skipped because they do not exist: PWMLoop.prm." },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.removed.join(", ").toStdString());
        const QString root = insertDemoCard("card" + QString::number(drives.rootList.size()));
        for (const QString &file : c.removed)
            QFile::remove(QDir(root).filePath("Data/" + file));
        open();
        select(root);
        dialogs.answerQuestion(true);
        backup();
        EXPECT_EQ(shownTexts(DialogKind::Warning),
            c.warning.isEmpty() ? QStringList() : QStringList { c.warning });
        EXPECT_EQ(shownTexts(DialogKind::Information),
            c.warning.isEmpty() ? QStringList { "Backup has completed" } : QStringList())
            << "completion is claimed only without news";
        EXPECT_EQ(registerIDs(), QStringList { "DEMO" }) << "the settings were backed up";
        clearShown();
    }
}

TEST_F(CardSettingsWindowsTest, ACardIDThatCannotNameAFolderAbortsTheBackup)
{
    for (const QString &id : { QStringLiteral(".."), QStringLiteral("a/b"), QStringLiteral("a\\b"),
             QStringLiteral("C:"), QStringLiteral(" x"), QStringLiteral("tab\there") }) {
        const QString root = insertDemoCard("card" + QString::number(drives.rootList.size()), id);
        open();
        select(root);
        backup();
        EXPECT_EQ(shownTexts(DialogKind::Information).value(0),
            "Failed to create backup folder. Operation has aborted")
            << id.toStdString();
        clearShown();
        EXPECT_TRUE(window->CardSettingsLoaded());
    }
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(),
        drives.rootList.size() + 1)
        << "nothing was made beside the cards and the program";
    EXPECT_TRUE(registerIDs().isEmpty());
}

TEST_F(CardSettingsWindowsTest, ACardIDThatCannotNameAFolderIsNeverSaved)
{
    const QString root = insertDemoCard("card");
    open();
    select(root);
    const QByteArray settings = readAll(CardPaths(root).settingsFile());
    for (const QString &id : { QStringLiteral("../up"), QStringLiteral("a/b"),
             QStringLiteral("x."), QStringLiteral(" x"), QStringLiteral("..") }) {
        window->findChild<QLineEdit *>("CardIDEdit")->setText(id);
        window->findChild<QPushButton *>("SaveToSDCard")->click();
        const QStringList shown = shownTexts(DialogKind::Information);
        ASSERT_EQ(shown.size(), 1) << id.toStdString();
        EXPECT_TRUE(shown[0].startsWith("The SD Card ID \"" + id + "\" can not name a folder"));
        clearShown();
    }
    window.reset();
    EXPECT_EQ(readAll(CardPaths(root).settingsFile()), settings);
}

TEST_F(CardSettingsWindowsTest, EnterInAFieldKeepsTheWindowOpen)
{
    const QString root = insertDemoCard("card");
    open();
    select(root);
    auto *cardID = window->findChild<QLineEdit *>("CardIDEdit");
    cardID->setFocus();
    QTest::keyClicks(cardID, "NEW");
    QTest::keyClick(cardID, Qt::Key_Return);
    QTest::keyClick(cardID, Qt::Key_Enter);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->CardDrive(), root);
}

TEST_F(CardSettingsWindowsTest, RestoreAsksWhatTheChoiceNeedsAndCopiesTheBackup)
{
    const QString cardA = insertDemoCard("cardA", "ALPHA");
    const QString cardB = insertDemoCard("cardB", "BRAVO");
    open();
    select(cardA);
    dialogs.answerQuestion(true);
    backup();
    const QByteArray backedUp = readAll(QDir(cardA).filePath("Data/GaugeParam.prm"));
    writeFile(QDir(cardA).filePath("Data/GaugeParam.prm"), "changed since");
    clearShown();

    // The card's own backup: only the overwrite question.
    dialogs.answerQuestion(true);
    restore([](TCardIDFrm &chooser) {
        EXPECT_EQ(chooser.currentRow(), 0) << "starts on the current card";
        chooser.SelectClick();
    });
    EXPECT_EQ(shownTexts(DialogKind::Question),
        QStringList { "Do you want to overwrite the existing Logger setting?" });
    EXPECT_EQ(shownTexts(DialogKind::Information), QStringList { "Restore has completed" });
    EXPECT_EQ(readAll(QDir(cardA).filePath("Data/GaugeParam.prm")), backedUp);
    EXPECT_TRUE(window->CardSettingsLoaded());
    clearShown();

    // Another card's backup: the mismatch question, answered no, changes nothing.
    select(cardB);
    const QByteArray cardBSettings = readAll(CardPaths(cardB).settingsFile());
    dialogs.answerQuestion(false);
    restore([](TCardIDFrm &chooser) { chooser.SelectClick(); });
    EXPECT_EQ(shownTexts(DialogKind::Question),
        QStringList { "The Selected Card ID does not match the current SD Card. DO YOU WANT TO "
                      "CONTINUE?" });
    EXPECT_EQ(readAll(CardPaths(cardB).settingsFile()), cardBSettings);
}

TEST_F(CardSettingsWindowsTest, LeavingTheChooserWithoutChoosingStopsTheRestore)
{
    const QString cardA = insertDemoCard("cardA", "ALPHA");
    const QString cardB = insertDemoCard("cardB", "BRAVO");
    open();
    select(cardA);
    dialogs.answerQuestion(true);
    backup();
    select(cardB);
    // A choice made earlier in the run must not survive a cancel or a close by the frame.
    dialogs.answerQuestion(false);
    restore([](TCardIDFrm &chooser) { chooser.SelectClick(); });
    clearShown();
    const QByteArray cardBSettings = readAll(CardPaths(cardB).settingsFile());
    for (const auto &leave : std::vector<std::function<void(TCardIDFrm &)>> {
             [](TCardIDFrm &chooser) { chooser.CancelClick(); },
             [](TCardIDFrm &chooser) { chooser.close(); } }) {
        restore(leave);
        EXPECT_TRUE(nothingShown());
        EXPECT_TRUE(data.KROCardID().isEmpty());
        EXPECT_TRUE(data.KROCardIDBackup().isEmpty());
    }
    EXPECT_EQ(readAll(CardPaths(cardB).settingsFile()), cardBSettings);
}

TEST_F(CardSettingsWindowsTest, TheChooserDeletesABackupAndItsRowButKeepsTheFolders)
{
    const QString root = insertDemoCard("card");
    open();
    select(root);
    dialogs.answerQuestion(true);
    backup();
    clearShown();

    dialogs.answerQuestion(false);
    dialogs.answerQuestion(true);
    restore([this](TCardIDFrm &chooser) {
        chooser.DeleteClick();
        EXPECT_EQ(registerIDs(), QStringList { "DEMO" }) << "answered no";
        chooser.DeleteClick();
        EXPECT_TRUE(registerIDs().isEmpty());
        EXPECT_EQ(chooser.currentRow(), -1);
        chooser.CancelClick();
    });
    EXPECT_EQ(shownTexts(DialogKind::Question),
        QStringList({ "Do you want to remove this backup ?", "Do you want to remove this backup ?" }));
    EXPECT_TRUE(QDir(backupFolder("DEMO")).exists());
    EXPECT_TRUE(QDir(backupFolder("DEMO")).isEmpty());
    RecordTable saved;
    saved.loadFromFile(data.CardIDFile());
    EXPECT_EQ(saved.recordCount(), 0);
}

TEST_F(CardSettingsWindowsTest, RestoreRefusesARegisteredCardWithoutABackup)
{
    const QString root = insertDemoCard("card");
    open();
    select(root);
    dialogs.answerQuestion(true);
    backup();
    QFile::remove(QDir(backupFolder("DEMO")).filePath("Settings.prm"));
    clearShown();
    writeFile(QDir(root).filePath("Data/GaugeParam.prm"), "kept");
    restore([](TCardIDFrm &chooser) { chooser.SelectClick(); });
    EXPECT_EQ(shownTexts(DialogKind::Information),
        QStringList { "This card ID does not have a backup." });
    EXPECT_EQ(readAll(QDir(root).filePath("Data/GaugeParam.prm")), "kept");
}

class CardInitialisationTest : public CardSettingsWindowsTest
{
protected:
    void SetUp() override
    {
        CardSettingsWindowsTest::SetUp();
        writeInitialisationTemplates(program);
    }
};

TEST_F(CardInitialisationTest, EveryDashModelAndEcuInitialisesAFreshCard)
{
    const QStringList dashes = dashModelEntries().mid(0, 4);
    open();
    for (int dash = 0; dash < dashes.size(); ++dash) {
        for (int ecu = 0; ecu < ecuEntries().size(); ++ecu) {
            if (isRefusedCombination(dash, ecu))
                continue;
            SCOPED_TRACE(QStringLiteral("%1 / %2").arg(dashes[dash], ecuEntries()[ecu]).toStdString());
            const QString root = insertCard(QStringLiteral("card%1%2").arg(dash).arg(ecu));
            window->finddrives();
            select(root);
            initialise(dash, ecu);
            EXPECT_TRUE(nothingShown()) << "a fresh card needs no question";
            clearShown();

            const QString templates = templateFolder(program, dash, ecu);
            for (const QString &file : initialisationFileNames()) {
                if (file == QLatin1String("Settings.prm"))
                    continue; // its codes are checked below
                EXPECT_EQ(readAll(CardPaths(root).dataFile(file)),
                    readAll(QDir(templates).filePath(file)))
                    << file.toStdString();
            }
            const CardCodes codes = cardCodes(dash, ecu);
            const TSettings settings = settingsOf(root);
            EXPECT_EQ(settings.model, 1);
            EXPECT_EQ(settings.feature, codes.feature);
            EXPECT_EQ(settings.ModelIndex, codes.modelIndex);
            EXPECT_EQ(settings.ECUIndex, codes.ecuIndex);
            EXPECT_EQ(settings.LastLog, 1);
            EXPECT_EQ(window->KROSettings().ChannelNames(),
                loggerChannelList(codes.feature, codes.ecuMake, codes.ecuModel, codes.ecuFeature));
            EXPECT_TRUE(QDir(CardPaths(root).logsFolder()).exists());
            EXPECT_TRUE(window->CardSettingsLoaded());
            EXPECT_EQ(window->findChild<QStackedWidget *>("Pages")
                          ->widget(TfrmLoggerConfig::LogSettingsPage)
                          ->isEnabled(),
                codes.feature != 0);
        }
    }
}

TEST_F(CardInitialisationTest, TheListsAskForBothChoicesAndRefuseAStreetDashWithoutAnEcu)
{
    const QString root = insertDemoCard("card");
    open();
    select(root);
    const QByteArray settings = readAll(CardPaths(root).settingsFile());
    const QStringList channels = window->KROSettings().ChannelNames();
    whenShown<TfrmInitCard>([](TfrmInitCard &init) {
        init.findChild<QPushButton *>("Button1")->click();
        init.ecuList().setCurrentIndex(0);
        init.dashList().setCurrentIndex(0);
        init.ComboBox2Change();
        EXPECT_EQ(init.dashChoice(), -1);
        EXPECT_EQ(init.ecuChoice(), 0);
        init.dashList().setCurrentIndex(2);
        init.ComboBox2Change();
    });
    window->findChild<QAction *>("InitialiseNewCard1")->trigger();
    EXPECT_EQ(shownTexts(DialogKind::Information),
        QStringList({ "You must select an ECU model and dash model",
            "Can not select a Street Dash without an ECU" }));
    // Choosing in the lists changes nothing of the loaded card until it is initialised.
    EXPECT_EQ(window->KROSettings().ChannelNames(), channels);
    window.reset();
    EXPECT_EQ(readAll(CardPaths(root).settingsFile()), settings);
}

TEST_F(CardInitialisationTest, ACardInUseIsOverwrittenOnlyAfterBothQuestions)
{
    const QString root = insertDemoCard("card");
    open();
    select(root);
    const QByteArray settings = readAll(CardPaths(root).settingsFile());
    const QStringList logs = QDir(CardPaths(root).logsFolder()).entryList(QDir::Files);
    ASSERT_FALSE(logs.isEmpty());

    dialogs.answerQuestion(true);
    dialogs.answerQuestion(false);
    initialise(3, 1);
    EXPECT_EQ(shownTexts(DialogKind::Question),
        QStringList({ "THIS WILL REMOVE ANY PREVIOUS SETTINGS. DO YOU WHISH TO CONTINUE?",
            "THIS WILL REMOVE ALL LOG FILES FROM SD CARD. DO YOU WHISH TO CONTINUE?" }));
    EXPECT_EQ(readAll(CardPaths(root).settingsFile()), settings);
    EXPECT_EQ(QDir(CardPaths(root).logsFolder()).entryList(QDir::Files), logs);
    clearShown();

    dialogs.answerQuestion(true);
    dialogs.answerQuestion(true);
    initialise(0, 2);
    EXPECT_TRUE(QDir(CardPaths(root).logsFolder()).isEmpty());
    EXPECT_EQ(settingsOf(root).feature, 0);
    EXPECT_EQ(settingsOf(root).ECUIndex, 3);
}

TEST_F(CardInitialisationTest, AMissingTemplateFileIsNamedAndAMissingSettingsFileInitialisesNothing)
{
    const QString root = insertCard("card");
    QFile::remove(QDir(templateFolder(program, 3, 1)).filePath("screen2.scn"));
    open();
    select(root);
    initialise(3, 1);
    ASSERT_EQ(shownTexts(DialogKind::Warning).size(), 1);
    EXPECT_TRUE(shownTexts(DialogKind::Warning)[0].contains("screen2.scn"));
    EXPECT_TRUE(window->CardSettingsLoaded());
    clearShown();

    const QString other = insertCard("other");
    window->finddrives();
    select(other);
    QFile::remove(QDir(templateFolder(program, 2, 4)).filePath("Settings.prm"));
    initialise(2, 4);
    ASSERT_EQ(shownTexts(DialogKind::Error).size(), 1);
    EXPECT_TRUE(shownTexts(DialogKind::Error)[0].startsWith("The card was not initialised."));
    EXPECT_FALSE(QFile::exists(CardPaths(other).settingsFile()));
    EXPECT_FALSE(window->CardSettingsLoaded());
}

TEST_F(CardSettingsWindowsTest, ClearingTheLogsEmptiesOnlyTheCardsLogsFolder)
{
    const QString root = insertDemoCard("card");
    TKROSettings settings;
    settings.setSettingsFileName(CardPaths(root).settingsFile());
    settings.LoadSettingsTable();
    settings.settings().LastLog = 7;
    settings.SaveSettingsTable();
    settings.CloseSettingsTable();
    open();
    select(root);

    dialogs.answerQuestion(false);
    window->findChild<QAction *>("ClearLogs1")->trigger();
    EXPECT_FALSE(QDir(CardPaths(root).logsFolder()).isEmpty());
    EXPECT_EQ(settingsOf(root).LastLog, 7);

    // A "Logs" that leads off the card is refused, and the numbering stays.
    const QString elsewhere = temp.filePath("elsewhere");
    QDir().mkpath(elsewhere);
    writeFile(QDir(elsewhere).filePath("keep.Dsh"), "not the card's");
    const QString logs = CardPaths(root).logsFolder();
    ASSERT_TRUE(QDir(logs).removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere, logs));
    dialogs.answerQuestion(true);
    window->findChild<QAction *>("ClearLogs1")->trigger();
    EXPECT_EQ(shownTexts(DialogKind::Error).size(), 1);
    EXPECT_TRUE(QFile::exists(QDir(elsewhere).filePath("keep.Dsh")));
    EXPECT_EQ(settingsOf(root).LastLog, 7);

    QFile::remove(logs);
    dialogs.answerQuestion(true);
    window->findChild<QPushButton *>("ClearAllLogs")->click();
    EXPECT_TRUE(QDir(CardPaths(root).logsFolder()).exists());
    EXPECT_EQ(settingsOf(root).LastLog, 1);
}

} // namespace
