#include "dashmanager/TLOGCheckBox.h"
#include "dashmanager/TLOGEdit.h"
#include "dashmanager/TLogCombo.h"
#include "dashmanager/TLogSpinEdit.h"
#include "dashmanager/TZELSpinEdit.h"
#include "logger/TKROSettings.h"
#include "session/RecordTable.h"
#include "session/TranslationTableLayout.h"
#include "ui/ScriptedUserDialogs.h"

#include <QLocale>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace zel;

namespace {

class SettingControlsTest : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::c());
        for (const ShownDialog &shown : dialogs.unexpected())
            ADD_FAILURE() << "unexpected dialog: " << shown.summary().toStdString();
    }

    std::unique_ptr<TLOGEdit> numericEdit(qint32 minValue, qint32 maxValue)
    {
        auto edit = std::make_unique<TLOGEdit>(dialogs);
        edit->setNumericOnly(true);
        edit->setMinValue(minValue);
        edit->setMaxValue(maxValue);
        return edit;
    }

    QStringList errors() const { return dialogs.shownTexts(DialogKind::Error); }

    ScriptedUserDialogs dialogs;
};

// ---- TLOGEdit

TEST_F(SettingControlsTest, NumericEditFiltersTypingAndKeepsTheRange)
{
    struct Case
    {
        qint32 minValue;
        qint32 maxValue;
        const char *typed;
        const char *shown;
    };
    const Case cases[] = {
        { 0, 0, "12a", "12" },
        { 0, 0, "-3x.5,", "-3.5" },
        { 10, 100, "5", "10" },
        { 10, 100, "500", "100" },
        { 10, 100, "-", "-" },
        { 10, 100, "-5", "10" },
        { -50, 50, "-70", "-50" },
        { 0, 0, "99999", "99999" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        auto edit = numericEdit(c.minValue, c.maxValue);
        QTest::keyClicks(edit.get(), c.typed);
        EXPECT_EQ(edit->text(), c.shown);
    }
    // Without NumericOnly the text is free.
    TLOGEdit free(dialogs);
    free.setMaxValue(5);
    QTest::keyClicks(&free, "12a");
    EXPECT_EQ(free.text(), "12a");
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(SettingControlsTest, EmptiedNumericEditShowsTheMinimumSelected)
{
    for (const auto &[minValue, shown] :
        std::initializer_list<std::pair<qint32, const char *>> { { 0, "0" }, { 3, "3" } }) {
        auto edit = numericEdit(minValue, minValue == 0 ? 0 : 70);
        QTest::keyClicks(edit.get(), "7");
        QTest::keyClick(edit.get(), Qt::Key_Backspace);
        EXPECT_EQ(edit->text(), shown);
        EXPECT_EQ(edit->selectedText(), shown);
        // The next digit replaces the selected minimum.
        QTest::keyClicks(edit.get(), "9");
        EXPECT_EQ(edit->text(), "9");
    }
}

TEST_F(SettingControlsTest, NumericEditReportsTextsThatAreNoNumber)
{
    for (const char *typed : { ".", "1..2" }) {
        auto edit = numericEdit(0, 100);
        QTest::keyClicks(edit.get(), typed);
        EXPECT_EQ(edit->text(), typed);
    }
    EXPECT_EQ(errors(),
        QStringList({ "'.' is not a valid floating point value",
            "'1..' is not a valid floating point value",
            "'1..2' is not a valid floating point value" }));
}

TEST_F(SettingControlsTest, EnterAcceptsTheEditsValue)
{
    auto edit = numericEdit(0, 100);
    int written = 0;
    edit->OnBeforeWriteField = [&] { ++written; };
    QTest::keyClicks(edit.get(), "42");
    QTest::keyClick(edit.get(), Qt::Key_Return);
    EXPECT_EQ(written, 1);
    edit->setReadOnly(true);
    QTest::keyClick(edit.get(), Qt::Key_Enter);
    EXPECT_EQ(written, 1);

    // A hook that fails shows its message and goes no further.
    edit->setReadOnly(false);
    edit->OnBeforeWriteField = [] { throw Error("The dash refused the value."); };
    QTest::keyClick(edit.get(), Qt::Key_Return);
    EXPECT_EQ(errors(), QStringList { "The dash refused the value." });
}

TEST_F(SettingControlsTest, BaseValueKeeps16Bits)
{
    struct Case
    {
        const char *text;
        quint16 value;
    };
    const Case cases[]
        = { { "2.5", 2 }, { "3.9", 3 }, { "-2.5", 65534 }, { "70000", 4464 }, { "65535", 65535 },
              { "abc", 0 }, { "1e30", 0 }, { "-1e300", 0 }, { "nan", 0 }, { "inf", 0 } };
    TLOGEdit edit(dialogs);
    for (const Case &c : cases) {
        edit.setText(c.text);
        EXPECT_EQ(edit.GetBaseValue(), c.value) << c.text;
    }
    // An empty numeric text reads as 0 and shows it.
    auto numeric = numericEdit(0, 0);
    numeric->setText(" ");
    EXPECT_EQ(numeric->GetBaseValue(), 0);
    EXPECT_EQ(numeric->text(), "0");

    // The hook converts instead; when it fails the value is 0.
    edit.OnCalcValueBase = [](quint16 &base, const QString &text) {
        if (text == "bad")
            throw Error("no value");
        base = quint16(text.size());
    };
    edit.setText("abcd");
    EXPECT_EQ(edit.GetBaseValue(), 4);
    edit.setText("bad");
    EXPECT_EQ(edit.GetBaseValue(), 0);
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(SettingControlsTest, SetBaseValueShowsTheValueAndReportsIt)
{
    TLOGEdit edit(dialogs);
    QList<qint32> reported;
    edit.OnAfterReadField = [&](qint32 value) { reported << value; };
    edit.SetBaseValue(65535);
    EXPECT_EQ(edit.text(), "65535");
    edit.OnCalcBaseValue
        = [](quint16 base, QString &text) { text = QString("%1 rpm").arg(base * 2); };
    edit.SetBaseValue(100);
    EXPECT_EQ(edit.text(), "200 rpm");
    EXPECT_EQ(reported, QList<qint32>({ 65535, 100 }));
}

TEST_F(SettingControlsTest, NumericValueInTheUsersFormat)
{
    TLOGEdit text(dialogs);
    text.setText("2.5");
    EXPECT_EQ(text.GetNumericValue(), 0.0);
    text.SetNumericValue(2.5);
    EXPECT_EQ(text.text(), "");

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto edit = numericEdit(0, 0);
    edit->SetNumericValue(2.5);
    EXPECT_EQ(edit->text(), "2,5");
    EXPECT_EQ(edit->GetNumericValue(), 2.5);
    edit->SetNumericValue(0.1 + 0.2);
    EXPECT_EQ(edit->text(), "0,3");
    edit->clear();
    EXPECT_EQ(edit->GetNumericValue(), 0.0);
    EXPECT_EQ(edit->text(), "0");
    edit->setText("1x");
    EXPECT_THROW(edit->GetNumericValue(), Error);
}

// ---- TLOGCheckBox

TEST_F(SettingControlsTest, CheckBoxBeyondTheChannelListIsSpare)
{
    TKROSettings settings;
    settings.SetChannels(1, 4, 0, 0, 0);
    ASSERT_EQ(settings.channelCount(), 13);
    struct Case
    {
        quint16 channel;
        bool enabled;
        const char *caption;
        quint8 dataSize;
    };
    const Case cases[]
        = { { 12, true, "Speed", 4 }, { 13, false, "Spare", 0 }, { 47, false, "Spare", 0 } };
    for (const Case &c : cases) {
        TLOGCheckBox box(dialogs);
        box.setText("Speed");
        box.setChannelNumber(c.channel);
        box.setChannelDataSize(4);
        box.SetCheckValue(1);
        box.setEnabled(false);
        box.SetKROSettings(&settings);
        EXPECT_EQ(box.isEnabled(), c.enabled) << c.channel;
        EXPECT_EQ(box.text(), c.caption) << c.channel;
        EXPECT_EQ(box.GetCheckValue(), c.enabled) << c.channel;
        EXPECT_EQ(box.GetDataSize(), c.dataSize) << c.channel;
    }
    // Without a component the box stays as it is.
    TLOGCheckBox box(dialogs);
    box.setChannelNumber(40);
    box.SetKROSettings(nullptr);
    EXPECT_TRUE(box.isEnabled());
    EXPECT_EQ(box.KROSettings(), nullptr);
}

TEST_F(SettingControlsTest, CheckBoxReportsEveryChangeAndItsGroupFollows)
{
    TLOGCheckBox box(dialogs);
    TLOGCheckBox group(dialogs);
    box.setText("Oil pressure");
    box.adjustSize();
    box.setChannelNumber(300); // reported by its low byte
    box.setChannelDataSize(4);
    box.setGroupCheckBox(&group);
    QStringList events;
    box.OnBeforeWritetoECU = [&] { events << "before"; };
    box.OnWritetoECU = [&](quint8 index, bool value, bool update) {
        events << QString("write %1 %2 %3").arg(index).arg(value).arg(update);
    };

    box.SetCheckValue(1);
    EXPECT_EQ(events, QStringList({ "before", "write 44 1 1" }));
    EXPECT_TRUE(group.isChecked());
    EXPECT_EQ(box.GetDataSize(), 4);
    box.SetCheckValue(1); // no change, nothing reported
    EXPECT_EQ(events.size(), 2);

    // The space key reports the state the box still has, then the toggle reports the new.
    events.clear();
    QTest::keyClick(&box, Qt::Key_Space);
    EXPECT_EQ(events, QStringList({ "before", "write 44 1 1", "before", "write 44 0 1" }));
    EXPECT_FALSE(group.isChecked());

    events.clear();
    QTest::mouseClick(&box, Qt::LeftButton);
    EXPECT_EQ(events, QStringList({ "before", "write 44 1 1" }));

    // Read-only: the user cannot change it.
    box.setReadOnly(true);
    QTest::mouseClick(&box, Qt::LeftButton);
    QTest::keyClick(&box, Qt::Key_Space);
    EXPECT_TRUE(box.isChecked());
    EXPECT_EQ(events.size(), 2);

    // A failing hook is reported; the group still follows.
    box.OnWritetoECU = [](quint8, bool, bool) { throw Error("Write failed."); };
    box.SetCheckValue(0);
    EXPECT_EQ(errors(), QStringList { "Write failed." });
    EXPECT_FALSE(group.isChecked());
}

// ---- TLogCombo

TEST_F(SettingControlsTest, ComboListsTheChannelNames)
{
    TKROSettings settings;
    settings.SetChannels(1, 4, 0, 0, 0);
    TLogCombo combo;
    int initialised = 0;
    combo.OnInitialiseObject = [&] {
        ++initialised;
        EXPECT_EQ(combo.currentIndex(), combo.count() > 0 ? 0 : -1);
    };
    combo.SetKROSettings(&settings);
    ASSERT_EQ(combo.count(), 13);
    EXPECT_EQ(combo.itemText(12), settings.ChannelNames().at(12));
    combo.setCurrentIndex(5);
    settings.SetChannels(1, 1, 1, 1, 2);
    combo.Refresh();
    EXPECT_EQ(combo.count(), settings.channelCount());
    combo.SetKROSettings(nullptr);
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(initialised, 3);
}

// ---- TLogSpinEdit

class LogSpinEditTest : public SettingControlsTest
{
protected:
    void SetUp() override
    {
        SettingControlsTest::SetUp();
        TranslationTableLayout::addColumns(table);
        table.open();
        spin = std::make_unique<TLogSpinEdit>(dialogs);
        spin->setLog_MemTable(&table);
        spin->setLog_RecordType("ANLINPUT");
        spin->setLog_FieldName("ColumnCount");
        spin->setNumericOnly(true);
    }

    void appendRow(const QString &type, int rowNumber, const QString &description, qint64 count)
    {
        table.Append();
        table.fieldByName("RecordType").setText(type);
        table.fieldByName("RowNumber").setInteger(rowNumber);
        table.fieldByName("Description").setText(description);
        table.fieldByName("ColumnCount").setInteger(count);
        table.Post();
    }

    RecordTable table;
    std::unique_ptr<TLogSpinEdit> spin;
};

TEST_F(LogSpinEditTest, ReadsRowZeroOfItsRecordType)
{
    appendRow("OTHER", 0, "other", 5);
    appendRow("ANLINPUT", 1, "row one", 6);
    QStringList read;
    spin->OnAfterReadFromTable = [&](const QString &text) { read << text; };
    spin->setText("kept");
    EXPECT_FALSE(spin->ReadFromTable());
    EXPECT_EQ(spin->text(), "kept");

    appendRow("ANLINPUT", 0, "Oil", 70000);
    EXPECT_TRUE(spin->ReadFromTable());
    EXPECT_EQ(spin->text(), "70000");
    spin->OnCalcBaseValue = [](quint32 base, QString &text) { text = QString("<%1>").arg(base); };
    EXPECT_TRUE(spin->ReadFromTable());
    EXPECT_EQ(spin->text(), "<4464>"); // taken as 16 bits
    spin->setNumericOnly(false);
    spin->setLog_FieldName("Description");
    EXPECT_TRUE(spin->ReadFromTable());
    EXPECT_EQ(spin->text(), "Oil");
    spin->setNumericOnly(true);
    spin->OnCalcBaseValue = nullptr;
    EXPECT_TRUE(spin->ReadFromTable());
    EXPECT_EQ(spin->text(), "0"); // no integer
    EXPECT_EQ(read, QStringList({ "70000", "70000", "Oil", "Oil" }));

    spin->setLog_MemTable(nullptr);
    EXPECT_FALSE(spin->ReadFromTable());
}

TEST_F(LogSpinEditTest, WritesRowZeroAppendingItWhenMissing)
{
    appendRow("OTHER", 0, "other", 5);
    spin->setText("12");
    EXPECT_TRUE(spin->WriteToTable());
    EXPECT_EQ(table.rowCount(), 2);
    ASSERT_TRUE(table.Locate("RowNumber", { 0 }));
    EXPECT_EQ(table.fieldByName("RecordType").asText(), "ANLINPUT");
    EXPECT_EQ(table.fieldByName("ColumnCount").asInteger(), 12);

    spin->setText("3.5");
    spin->OnCalcValueBase
        = [](quint32 &base, const QString &text) { base = quint32(text.toDouble() * 10); };
    EXPECT_TRUE(spin->WriteToTable());
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.fieldByName("ColumnCount").asInteger(), 35);

    spin->setNumericOnly(false);
    spin->setLog_FieldName("Description");
    spin->setText("Water");
    EXPECT_TRUE(spin->WriteToTable());
    EXPECT_EQ(table.fieldByName("Description").asText(), "Water");

    spin->setReadOnly(true);
    spin->setText("Fuel");
    EXPECT_FALSE(spin->WriteToTable());
    EXPECT_EQ(table.fieldByName("Description").asText(), "Water");
}

TEST_F(LogSpinEditTest, RefusedTextsLeaveTheTableUnchanged)
{
    struct Case
    {
        bool numericOnly;
        const char *field;
        const char *text;
        const char *message;
    };
    const Case cases[] = {
        { false, "ColumnCount", "7", "Table Field is not a string type." },
        { true, "ColumnCount", "7.5", "'7.5' is not a valid integer value" },
        { true, "ColumnCount", "", "'' is not a valid integer value" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        spin->setNumericOnly(c.numericOnly);
        spin->setLog_FieldName(c.field);
        spin->setText(c.text);
        try {
            spin->WriteToTable();
            ADD_FAILURE() << "no error";
        } catch (const Error &error) {
            EXPECT_EQ(error.message(), c.message);
        }
        EXPECT_EQ(table.rowCount(), 0);
        EXPECT_EQ(table.state(), RecordTable::State::Browse);
    }
}

TEST_F(LogSpinEditTest, KeysAndButtonsKeepTheRange)
{
    spin->setMinValue(3);
    spin->setMaxValue(70);
    int accepted = 0;
    spin->OnBeforeWritetoECU = [&] { ++accepted; };

    spin->setText("3");
    QTest::keyClick(spin.get(), Qt::Key_Down);
    EXPECT_EQ(spin->text(), "3");
    spin->stepDown();
    EXPECT_EQ(spin->text(), "3");
    spin->stepUp();
    EXPECT_EQ(spin->text(), "4");
    spin->setText("70");
    QTest::keyClick(spin.get(), Qt::Key_Up);
    EXPECT_EQ(spin->text(), "70");

    QPalette colours = spin->palette();
    colours.setColor(QPalette::Base, Qt::yellow);
    spin->setPalette(colours);
    spin->setText("99");
    QTest::keyClick(spin.get(), Qt::Key_Return);
    EXPECT_EQ(spin->text(), "70");
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(spin->palette().color(QPalette::Base), QColor(Qt::white));
    spin->setText("1");
    QTest::keyClick(spin.get(), Qt::Key_Enter);
    EXPECT_EQ(spin->text(), "3");
    EXPECT_EQ(accepted, 2);

    // With one bound only, the buttons step freely.
    spin->setMaxValue(0);
    spin->setText("3");
    spin->stepDown();
    EXPECT_EQ(spin->text(), "2");
}

TEST_F(LogSpinEditTest, TypingTakesSignsOnlyWithAConversionHook)
{
    struct Case
    {
        bool numericOnly;
        bool hook;
        const char *shown;
    };
    const Case cases[]
        = { { true, false, "123" }, { true, true, "1-2.3" }, { false, false, "1-2.3a" } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.shown);
        TLogSpinEdit edit(dialogs);
        edit.setNumericOnly(c.numericOnly);
        if (c.hook)
            edit.OnCalcValueBase = [](quint32 &, const QString &) {};
        QTest::keyClicks(&edit, "1-2.3a");
        EXPECT_EQ(edit.text(), c.shown);
    }
}

// ---- TZELSpinEdit

TEST_F(SettingControlsTest, FloatingSpinEditKeepsItsBoundsOnEnter)
{
    struct Case
    {
        qint32 minValue;
        qint32 maxValue;
        const char *text;
        const char *shown;
    };
    const Case cases[] = {
        { 5, 10, "2.5", "5" },
        { 5, 10, "12.5", "10" },
        { 5, 10, "7.25", "7.25" },
        { 0, 10, "-3", "-3" }, // a bound of 0 is not applied
        { -5, 0, "99", "99" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        TZELSpinEdit edit(dialogs);
        edit.setMinValue(c.minValue);
        edit.setMaxValue(c.maxValue);
        int accepted = 0;
        edit.OnBeforeWritetoECU = [&](bool &) { ++accepted; };
        edit.setText(c.text);
        QTest::keyClick(&edit, Qt::Key_Return);
        EXPECT_EQ(edit.text(), c.shown);
        EXPECT_EQ(accepted, 1);
    }

    TZELSpinEdit edit(dialogs);
    edit.setText("x");
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(errors(), QStringList { "'x' is not a valid floating point value" });
}

TEST_F(SettingControlsTest, FloatingSpinEditRefusalStopsTheEnterKey)
{
    TZELSpinEdit edit(dialogs);
    int finished = 0;
    QObject::connect(&edit, &QAbstractSpinBox::editingFinished, [&] { ++finished; });
    bool accept = false;
    edit.OnBeforeWritetoECU = [&](bool &Accept) { Accept = accept; };
    edit.setValue(1.5);
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(finished, 0);
    accept = true;
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(finished, 1);
}

TEST_F(SettingControlsTest, FloatingSpinEditSteps)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TZELSpinEdit edit(dialogs);
    edit.setIncrement(0.5);
    edit.stepUp();
    EXPECT_EQ(edit.text(), ""); // nothing while empty
    edit.setValue(1.25);
    EXPECT_EQ(edit.text(), "1,25");
    edit.stepUp();
    EXPECT_EQ(edit.text(), "1,75");
    EXPECT_EQ(edit.Value(), 1.75);
    edit.setMinValue(1);
    edit.setMaxValue(2);
    edit.stepUp();
    EXPECT_EQ(edit.text(), "2");
    edit.setValue(1.1);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), "1");

    edit.setNumericOnly(true);
    edit.setText("");
    QTest::keyClicks(&edit, "-1,5.x");
    EXPECT_EQ(edit.text(), "-1,5.");
}

} // namespace
