// The "Log Settings" and "Log Channels" pages of the logger configuration window, driven as a
// user would, checked against the bytes of the saved "Settings.prm".

#include "card/CardDrives.h"
#include "LoggerConfigTesting.h"
#include "card/CardPaths.h"
#include "card/DemoCard.h"
#include "dashmanager/TLOGCheckBox.h"
#include "dashmanager/TLOGEdit.h"
#include "dashmanager/TZELSpinEdit.h"
#include "dashmanager/TfrmLoggerConfig.h"
#include "logger/LogRecords.h"
#include "logger/TKROSettings.h"
#include "logger/TTranslations.h"
#include "session/TKRO_Data.h"
#include "ui/ScriptedUserDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstddef>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace zel;

namespace {

/// Edits the record of \a root's "Settings.prm" in place, every other byte kept.
void patchSettings(const QString &root, const std::function<void(TSettings &)> &edit)
{
    QFile file(CardPaths(root).settingsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), qsizetype(sizeof(TSettings)));
    TSettings settings;
    std::memcpy(&settings, bytes.constData(), sizeof settings);
    edit(settings);
    file.seek(0);
    file.write(reinterpret_cast<const char *>(&settings), sizeof settings);
}

QByteArray floatBytes(float value)
{
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}

QByteArray shortString(const QByteArray &text, int capacity)
{
    QByteArray bytes(1, char(text.size()));
    bytes += text;
    return bytes + QByteArray(capacity - text.size(), '\0');
}

constexpr qsizetype kHeader = qsizetype(offsetof(TSettings, DataDict));
constexpr qsizetype kNumberOfChannels
    = kHeader + qsizetype(offsetof(TDataDictionary, NumberOfChannels));
constexpr qsizetype kLogRecordLength
    = kHeader + qsizetype(offsetof(TDataDictionary, LogRecordLength));
constexpr qsizetype kChannelNames = kHeader + qsizetype(offsetof(TDataDictionary, ChannelNames));
constexpr qsizetype kDataSize = kHeader + qsizetype(offsetof(TDataDictionary, DataSize));
constexpr qsizetype kLogChannels = kHeader + qsizetype(offsetof(TDataDictionary, LogChannels));

class LogSettingsPagesTest : public LoggerConfigTest
{
protected:
    void SetUp() override
    {
        LoggerConfigTest::SetUp();
        root = temp.filePath("card");
        DemoCard().write(root);
        drives.rootList << root;
        // A translation name that differs from the channel's own name.
        TTranslations translations;
        translations.setTranslationFileName(CardPaths(root).translationFile());
        translations.LoadTranslationTables();
        translations.record(1).Name.assign(QStringLiteral("Engine Speed"));
        translations.CloseTranslationTables();
    }

    void openCard()
    {
        window = std::make_unique<TfrmLoggerConfig>(data, dialogs, drives, program, nullptr);
        window->show();
        auto *box = window->findChild<QComboBox *>("SelectionDriveList");
        box->setCurrentIndex(box->findData(root));
        ASSERT_TRUE(window->CardSettingsLoaded());
    }
    void saveToCard() { QTest::mouseClick(child<QPushButton>("SaveToSDCard"), Qt::LeftButton); }
    QByteArray settingsFile() const { return readAll(CardPaths(root).settingsFile()); }

    template <typename T> T *child(const char *name)
    {
        auto *found = window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QRadioButton *radio(const char *group, const char *caption)
    {
        for (auto *button : child<QGroupBox>(group)->findChildren<QRadioButton *>()) {
            if (button->text() == QLatin1String(caption))
                return button;
        }
        ADD_FAILURE() << group << " has no " << caption;
        return nullptr;
    }
    int checkedRadio(const char *group)
    {
        const auto buttons = child<QGroupBox>(group)->findChildren<QRadioButton *>();
        for (int i = 0; i < buttons.size(); ++i) {
            if (buttons[i]->isChecked())
                return i;
        }
        return -1;
    }
    TLOGCheckBox *channelBox(int channel)
    {
        return child<TLOGCheckBox>(QStringLiteral("LOGCheckBox%1").arg(channel + 1).toLatin1());
    }
    /// Replaces the text of \a edit as typed: its text selected, the keys, Enter.
    template <typename Edit> static void retype(Edit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QWidget *widget = edit;
        if (text.isEmpty())
            QTest::keyClick(widget, Qt::Key_Backspace);
        QTest::keyClicks(widget, text);
        QTest::keyClick(widget, Qt::Key_Return);
    }

    QString root;
};

TEST_F(LogSettingsPagesTest, TheLogSettingsPageShowsEveryBoundField)
{
    patchSettings(root, [](TSettings &s) {
        s.Name.assign(QStringLiteral("Practice"));
        s.ContiguousLogMode = 1;
        s.Logmemory = 1;
        s.DoTrackMessages = 1;
        s.SpeedUOM = 1;
        s.LogStartMethod = 2;
        s.StartChan = 3;
        s.StartMode = 1;
        s.StopMode = 0;
        s.StartValue = 1234.75f;
        s.StopValue = 99.0f;
        s.Start = 37.9f;
        s.Stop = 120.0f;
    });
    openCard();

    EXPECT_EQ(child<TLOGEdit>("LOGEdit1")->text(), "Practice");
    const std::pair<const char *, int> groups[] = { { "LogRecordingMode", 1 }, { "LogMemory", 1 },
        { "TrackMessages", 1 }, { "GPSUnits", 1 }, { "LogStartStopMode", 2 } };
    for (const auto &[group, index] : groups)
        EXPECT_EQ(checkedRadio(group), index) << group;

    // The channel list holds the translation names of the logger's channels.
    auto *channels = child<QComboBox>("LogCombo1");
    TTranslations translations;
    translations.setTranslationFileName(CardPaths(root).translationFile());
    translations.LoadTranslationTables();
    ASSERT_EQ(channels->count(), window->KROSettings().channelCount());
    for (int i = 0; i < channels->count(); ++i)
        EXPECT_EQ(channels->itemText(i), translations.record(i).Name.toString()) << i;
    EXPECT_EQ(channels->itemText(1), "Engine Speed");
    EXPECT_EQ(channels->currentIndex(), 3);
    EXPECT_EQ(child<QComboBox>("StartCompare")->currentText(), "Less than");
    EXPECT_EQ(child<QComboBox>("StopCompare")->currentText(), "Greater or Equal");

    // Stored singles are shown as whole numbers; the start delays are kept but not shown.
    EXPECT_EQ(child<TLOGEdit>("LOGEdit38")->text(), "1234");
    EXPECT_EQ(child<TLOGEdit>("LOGEdit39")->text(), "99");
    EXPECT_EQ(child<TZELSpinEdit>("StartDelay")->text(), "37");
    EXPECT_EQ(child<TZELSpinEdit>("StopDelay")->text(), "120");
    EXPECT_FALSE(child<TZELSpinEdit>("StartDelay")->isVisibleTo(window.get()));
    EXPECT_FALSE(child<TZELSpinEdit>("StopDelay")->isVisibleTo(window.get()));
}

TEST_F(LogSettingsPagesTest, EachControlChangedByTheUserReachesItsFieldOnSave)
{
    patchSettings(root, [](TSettings &s) {
        s.ContiguousLogMode = 1;
        s.Logmemory = 0;
        s.DoTrackMessages = 1;
        s.SpeedUOM = 0;
        s.LogStartMethod = 2;
        s.StartChan = 3;
        s.StartMode = 1;
        s.StopMode = 0;
        s.StartValue = 1000.0f;
        s.StopValue = 2000.0f;
        s.Start = 37.9f; // not edited: keeps its fraction
        s.Stop = 120.0f;
    });
    const QByteArray before = settingsFile();
    openCard();

    struct Row
    {
        const char *control;
        std::function<void()> change;
        qsizetype offset;
        QByteArray bytes;
    };
    const Row rows[] = {
        { "Log File Name", [&] { retype(child<TLOGEdit>("LOGEdit1"), "Qualifying"); },
            qsizetype(offsetof(TSettings, Name)), shortString("Qualifying", 31) },
        { "Log Recording Mode", [&] { radio("LogRecordingMode", "Separate Log Files")->click(); },
            qsizetype(offsetof(TSettings, ContiguousLogMode)), QByteArray(1, 0) },
        { "Log Memory", [&] { radio("LogMemory", "Log to internal memory")->click(); },
            qsizetype(offsetof(TSettings, Logmemory)), QByteArray(1, 1) },
        { "Track Messages", [&] { radio("TrackMessages", "De-Activate Messages")->click(); },
            qsizetype(offsetof(TSettings, DoTrackMessages)), QByteArray(1, 0) },
        { "GPS units", [&] { radio("GPSUnits", "MPH and Feet per second")->click(); },
            qsizetype(offsetof(TSettings, SpeedUOM)), QByteArray(1, 1) },
        { "Log Start/Stop Mode",
            [&] { radio("LogStartStopMode", "Use Start / Stop Channels")->click(); },
            qsizetype(offsetof(TSettings, LogStartMethod)), QByteArray(1, 0) },
        { "Start / Stop Channel",
            [&] {
                auto *list = child<QComboBox>("LogCombo1");
                list->setFocus();
                QTest::keyClick(list, Qt::Key_Down);
                QTest::keyClick(list, Qt::Key_Down);
            },
            qsizetype(offsetof(TSettings, StartChan)), QByteArray(1, 5) },
        { "first Compare", [&] { QTest::keyClick(child<QComboBox>("StartCompare"), Qt::Key_Up); },
            qsizetype(offsetof(TSettings, StartMode)), QByteArray(1, 0) },
        { "second Compare", [&] { QTest::keyClick(child<QComboBox>("StopCompare"), Qt::Key_Down); },
            qsizetype(offsetof(TSettings, StopMode)), QByteArray(1, 1) },
        { "first Compare Value", [&] { retype(child<TLOGEdit>("LOGEdit38"), "40000"); },
            qsizetype(offsetof(TSettings, StartValue)), floatBytes(40000.0f) },
        { "second Compare Value", [&] { retype(child<TLOGEdit>("LOGEdit39"), "7"); },
            qsizetype(offsetof(TSettings, StopValue)), floatBytes(7.0f) },
        { "Stop delay (over its maximum)",
            [&] { retype(child<TZELSpinEdit>("StopDelay"), "2500"); },
            qsizetype(offsetof(TSettings, Stop)), floatBytes(2000.0f) },
    };

    QByteArray expected = before;
    // The header names its channels by their translation names, renamed since the card
    // was written.
    expected.replace(kChannelNames + 32, 32, shortString("Engine Speed", 31));
    for (const Row &row : rows) {
        row.change();
        expected.replace(row.offset, row.bytes.size(), row.bytes);
        // Each control writes its field as soon as the user has changed it.
        const QByteArray inMemory(
            reinterpret_cast<const char *>(&window->KROSettings().settings()) + row.offset,
            row.bytes.size());
        EXPECT_EQ(inMemory.toHex(' ').toStdString(), row.bytes.toHex(' ').toStdString())
            << row.control;
    }
    saveToCard();

    const QByteArray after = settingsFile();
    ASSERT_EQ(after.size(), expected.size());
    for (const Row &row : rows)
        EXPECT_EQ(after.mid(row.offset, row.bytes.size()).toHex(' ').toStdString(),
            row.bytes.toHex(' ').toStdString())
            << row.control;
    // Every other byte, the unedited start delay among them, is as the card had it.
    for (qsizetype i = 0; i < after.size(); ++i)
        ASSERT_EQ(after[i], expected[i]) << "byte " << i;
    EXPECT_EQ(child<TLOGEdit>("LOGEdit1")->text(), "Qualifying");
    EXPECT_EQ(child<QComboBox>("LogCombo1")->currentIndex(), 5);
}

TEST_F(LogSettingsPagesTest, TypedNamesAndCompareValuesAreKeptInRange)
{
    struct Case
    {
        const char *control;
        QString typed;
        qsizetype offset;
        QByteArray saved;
    };
    const qsizetype name = qsizetype(offsetof(TSettings, Name));
    const qsizetype startValue = qsizetype(offsetof(TSettings, StartValue));
    const qsizetype stopValue = qsizetype(offsetof(TSettings, StopValue));
    const Case cases[] = {
        { "LOGEdit1", QString(), name, shortString("Datalog", 31) },
        { "LOGEdit1", QStringLiteral("   "), name, shortString("Datalog", 31) },
        { "LOGEdit1", QString(40, u'L'), name, shortString(QByteArray(31, 'L'), 31) },
        { "LOGEdit38", QStringLiteral("-10"), startValue, floatBytes(0.0f) },
        { "LOGEdit38", QStringLiteral("70000"), startValue, floatBytes(65535.0f) },
        { "LOGEdit39", QStringLiteral("65535"), stopValue, floatBytes(65535.0f) },
        { "LOGEdit39", QString(), stopValue, floatBytes(0.0f) },
    };
    openCard();
    for (const Case &c : cases) {
        retype(child<TLOGEdit>(c.control), c.typed);
        saveToCard();
        EXPECT_EQ(settingsFile().mid(c.offset, c.saved.size()).toHex(' ').toStdString(),
            c.saved.toHex(' ').toStdString())
            << c.control << " typed \"" << c.typed.toStdString() << '"';
    }
}

TEST_F(LogSettingsPagesTest, TheChannelBoxesFollowTheListAndBuildTheLogHeader)
{
    openCard();
    const int listed = window->KROSettings().channelCount(); // the demo card: 47
    ASSERT_EQ(listed, 47);
    const TTranslations &translations = window->Translations1();
    for (int channel = 0; channel < listed; ++channel) {
        TLOGCheckBox *box = channelBox(channel);
        EXPECT_EQ(box->text(), translations.record(channel).Name.toString()) << channel;
        EXPECT_TRUE(box->isEnabled() && box->isChecked()) << channel;
    }
    EXPECT_EQ(channelBox(1)->text(), "Engine Speed");
    TLOGCheckBox *last = channelBox(47);
    EXPECT_EQ(last->text(), "Spare");
    EXPECT_FALSE(last->isEnabled() || last->isChecked());
    EXPECT_FALSE(last->isVisibleTo(window.get()));

    window->findChild<QStackedWidget *>("Pages")->setCurrentIndex(
        TfrmLoggerConfig::LogChannelsPage);
    for (int channel : { 0, 2, 46 })
        QTest::mouseClick(channelBox(channel), Qt::LeftButton);
    EXPECT_EQ(window->KROSettings().settings().DataDict.DataSize[2], 0);
    QTest::mouseClick(channelBox(2), Qt::LeftButton); // ticked again
    EXPECT_EQ(window->KROSettings().settings().DataDict.DataSize[2], 4);
    saveToCard();

    const QByteArray saved = settingsFile();
    QByteArray dataSize(48, '\4');
    dataSize[0] = dataSize[46] = dataSize[47] = 0;
    EXPECT_EQ(saved.mid(kDataSize, 48).toHex(' ').toStdString(), dataSize.toHex(' ').toStdString());
    EXPECT_EQ(quint8(saved[kNumberOfChannels]), 45);
    const int recordLength = logRecordLength(45 * 4);
    EXPECT_EQ(
        quint8(saved[kLogRecordLength]) | quint8(saved[kLogRecordLength + 1]) << 8, recordLength);
    QByteArray positions(48, char(0xFF));
    for (int p = 0; p < 45; ++p)
        positions[p] = char(p + 1);
    EXPECT_EQ(
        saved.mid(kLogChannels, 48).toHex(' ').toStdString(), positions.toHex(' ').toStdString());
    for (int p = 0; p < 48; ++p) {
        const QByteArray expectedName = p < 45
            ? shortString(translations.record(p + 1).Name.toString().toLatin1(), 31)
            : QByteArray(32, '\0');
        EXPECT_EQ(saved.mid(kChannelNames + 32 * p, 32), expectedName) << "position " << p;
    }
    // The page shows what was saved.
    EXPECT_FALSE(channelBox(0)->isChecked());
    EXPECT_TRUE(channelBox(2)->isChecked());
}

TEST_F(LogSettingsPagesTest, ChannelsBeyondTheListAreSpareAndNeverLogged)
{
    // The dash's own channels only: the file still says the ECU's channels are logged.
    patchSettings(root, [](TSettings &s) { s.ecufeature = 0; });
    openCard();
    const int listed = window->KROSettings().channelCount();
    ASSERT_GT(listed, 0);
    ASSERT_LT(listed, 47);
    for (int channel = 0; channel < 48; ++channel) {
        TLOGCheckBox *box = channelBox(channel);
        const bool inList = channel < listed;
        EXPECT_EQ(box->isEnabled(), inList) << channel;
        EXPECT_EQ(box->isChecked(), inList) << channel;
        if (!inList) {
            EXPECT_EQ(box->text(), "Spare") << channel;
        }
    }
    saveToCard();
    const QByteArray saved = settingsFile();
    QByteArray dataSize(48, '\0');
    dataSize.replace(0, listed, QByteArray(listed, '\4'));
    EXPECT_EQ(saved.mid(kDataSize, 48).toHex(' ').toStdString(), dataSize.toHex(' ').toStdString());
    EXPECT_EQ(quint8(saved[kNumberOfChannels]), listed);
}

TEST_F(LogSettingsPagesTest, ACardWithoutSettingsShowsNoValuesOfTheCardBefore)
{
    const QString blank = temp.filePath("blank");
    QDir().mkpath(blank);
    drives.rootList << blank;
    openCard();
    auto *box = window->findChild<QComboBox *>("SelectionDriveList");
    box->setCurrentIndex(box->findData(blank));
    ASSERT_FALSE(window->CardSettingsLoaded());

    EXPECT_TRUE(child<TLOGEdit>("LOGEdit1")->text().isEmpty());
    for (const char *group :
        { "LogRecordingMode", "LogMemory", "TrackMessages", "GPSUnits", "LogStartStopMode" })
        EXPECT_EQ(checkedRadio(group), -1) << group;
    EXPECT_EQ(child<QComboBox>("LogCombo1")->count(), 0);
    for (const char *list : { "StartCompare", "StopCompare" })
        EXPECT_EQ(child<QComboBox>(list)->currentIndex(), -1) << list;
    for (const char *edit : { "LOGEdit38", "LOGEdit39" })
        EXPECT_EQ(child<TLOGEdit>(edit)->text(), "0") << edit; // an emptied number shows 0
    for (int channel = 0; channel < 48; ++channel)
        EXPECT_FALSE(channelBox(channel)->isChecked()) << channel;
}

} // namespace
