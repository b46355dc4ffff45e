#include "dashmanager/ChannelTranslationsPage.h"

#include "card/CardDrives.h"
#include "LoggerConfigTesting.h"
#include "card/CardPaths.h"
#include "card/DemoCard.h"
#include "dashmanager/TLogSpinEdit.h"
#include "dashmanager/TLogTranslationGrid.h"
#include "dashmanager/TfrmLoggerConfig.h"
#include "logger/TTranslations.h"
#include "session/RecordTable.h"
#include "session/TKRO_Data.h"
#include "ui/ScriptedUserDialogs.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace zel;

namespace {

QByteArray recordBytes(const TTranslation &record)
{
    return QByteArray(reinterpret_cast<const char *>(&record), sizeof record);
}

template <typename T> T valueAt(const QByteArray &bytes, int offset)
{
    T value;
    std::memcpy(&value, bytes.constData() + offset, sizeof value);
    return value;
}

class ChannelTranslationsPageTest : public LoggerConfigTest
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        LoggerConfigTest::SetUp();
        card = temp.filePath("card");
        DemoCard().write(card);
        drives.rootList << card;
    }

    /// Changes the card's translation records before the window reads them.
    void editCardTranslations(const std::function<void(TTranslations &)> &edit)
    {
        TTranslations translations;
        translations.setTranslationFileName(CardPaths(card).translationFile());
        translations.LoadTranslationTables();
        edit(translations);
        translations.CloseTranslationTables();
    }

    /// Opens the window with the card selected and the translation page showing.
    ChannelTranslationsPage &openCard()
    {
        window = std::make_unique<TfrmLoggerConfig>(
            data, dialogs, drives, program, [](const QString &) {});
        window->show();
        auto *box = window->findChild<QComboBox *>("SelectionDriveList");
        box->setCurrentIndex(box->findData(card));
        showPage(TfrmLoggerConfig::ChannelTranslationsPage);
        return window->translationsPage();
    }

    void showPage(TfrmLoggerConfig::Page page)
    {
        auto *tree = window->findChild<QTreeWidget *>("PageTree");
        tree->setCurrentItem(tree->topLevelItem(page));
    }

    /// Leaves the translation page, which saves the translations.
    void leavePage() { showPage(TfrmLoggerConfig::SDCardPage); }

    QByteArray savedRecord(int index)
    {
        return readAll(CardPaths(card).translationFile())
            .mid(index * TTranslations::kRecordSize, TTranslations::kRecordSize);
    }

    TTranslation &record(int index) { return window->Translations1().record(index); }
    template <typename T> T *child(const char *name)
    {
        T *found = window->translationsPage().findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    TLogTranslationGrid &grid() { return *child<TLogTranslationGrid>("TrnGrid"); }
    QTableWidget &list() { return *child<QTableWidget>("StringGrid1"); }
    QAbstractButton *radio(const char *group, int index)
    {
        return child<QGroupBox>(group)->findChildren<QAbstractButton *>().at(index);
    }
    void click(const char *buttonName) { child<QPushButton>(buttonName)->click(); }
    /// The panel's own state: the tab around it follows the kind of translation.
    bool tablePanelEnabled()
    {
        QWidget *panel = child<QWidget>("TablePanel");
        return panel->isEnabledTo(panel->parentWidget());
    }
    void useTablePage() { radio("RadioGroup4", 1)->click(); }

    QStringList gridRow(int row)
    {
        QStringList texts;
        for (int column = 1; column < grid().columnCount(); ++column)
            texts << grid().cellText(column, row);
        return texts;
    }

    QString card;
};

TEST_F(ChannelTranslationsPageTest, CardLoadSelectsFirstChannelAndTitleRowChangesNothing)
{
    editCardTranslations([](TTranslations &t) {
        t.record(0).CalcChannel_A = 9;
        t.record(0).ColumnCount = 2;
        t.record(0).DigitalValue[1] = 300;
        t.record(0).TranslationValue[1] = 0.1f;
    });
    ChannelTranslationsPage &page = openCard();
    EXPECT_EQ(list().rowCount(), 47);
    EXPECT_EQ(list().horizontalHeaderItem(2)->text(), "Unit of measure");
    EXPECT_EQ(page.selectedRow(), 1);
    EXPECT_EQ(record(0).CalcChannel_A, 0);
    EXPECT_EQ(window->Translations1().ItemIndex(), 0);
    EXPECT_TRUE(tablePanelEnabled());
    EXPECT_EQ(gridRow(0), QStringList({ "0", "300" }));
    EXPECT_EQ(gridRow(1), QStringList({ "0", "0.100000001490116" }));
    EXPECT_EQ(child<TLogSpinEdit>("LogSpinEdit1")->text(), "2");

    QByteArray before;
    for (const TTranslation &r : window->Translations1().TranslationTables())
        before += recordBytes(r);
    page.StringGrid1SelectCell(0);
    QByteArray after;
    for (const TTranslation &r : window->Translations1().TranslationTables())
        after += recordBytes(r);
    EXPECT_EQ(after, before);
    EXPECT_EQ(page.selectedRow(), 0);
    EXPECT_FALSE(tablePanelEnabled());
}

TEST_F(ChannelTranslationsPageTest, TranslationChoicesFollowAndStoreTheRecord)
{
    editCardTranslations([](TTranslations &t) { t.record(1).Active = 1; });
    ChannelTranslationsPage &page = openCard();
    auto *kinds = child<QTabWidget>("TranslationPages");
    EXPECT_EQ(kinds->currentIndex(), 0);
    page.StringGrid1SelectCell(2);
    EXPECT_EQ(kinds->currentIndex(), 1);
    EXPECT_TRUE(radio("RadioGroup4", 1)->isChecked());

    radio("RadioGroup4", 0)->click();
    EXPECT_EQ(kinds->currentIndex(), 0);
    EXPECT_FALSE(kinds->isTabEnabled(1));
    radio("RadioGroup1", 1)->click();
    child<QComboBox>("LogCombo7")->setCurrentIndex(2);
    emit child<QComboBox>("LogCombo7")->activated(2);
    auto *constant = child<QLineEdit>("LOGEdit1");
    constant->setFocus();
    constant->selectAll();
    QTest::keyClicks(constant, "2.75");
    QTest::keyClick(constant, Qt::Key_Return);
    EXPECT_EQ(record(1).Active, 0);
    EXPECT_EQ(record(1).TranslationMode, 1);
    EXPECT_EQ(record(1).Condition_AB, 2);
    EXPECT_EQ(record(1).Value_A, 2.75f);
    EXPECT_TRUE(window->isVisible()) << "Enter reached the window's default button";

    constant->selectAll();
    QTest::keyClicks(constant, "abc");
    QTest::keyClick(constant, Qt::Key_Return);
    EXPECT_EQ(record(1).Value_A, 2.75f);
    ASSERT_FALSE(dialogs.shown().isEmpty());
    EXPECT_EQ(dialogs.shown().last().text, "'abc' is not a valid floating point value");

    radio("RadioGroup4", 2)->click();
    EXPECT_FALSE(kinds->isTabEnabled(0));
    EXPECT_FALSE(kinds->isTabEnabled(1));

    // Leaving saves and runs the translations-loaded step, which the window's other pages
    // follow.
    QSignalSpy loaded(&page, &ChannelTranslationsPage::translationsLoaded);
    leavePage();
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(quint8(savedRecord(1)[1]), 2);
}

TEST_F(ChannelTranslationsPageTest, EditingAndLeavingThePageStoresTheRecord)
{
    editCardTranslations([](TTranslations &t) {
        t.record(2).Name.assign(QString());
        t.record(0).ColumnCount = 3;
    });
    openCard();
    useTablePage();
    EXPECT_EQ(child<QTabWidget>("TranslationPages")->currentIndex(), 1);

    // Typing replaces a cell just selected; Page Up steps it, Enter re-formats it. Raw
    // values outside 16 bits are held at the nearer end.
    grid().setFocus();
    grid().setCurrentCell(0, 1);
    QTest::keyClicks(&grid(), "250");
    QTest::keyClick(&grid(), Qt::Key_PageUp);
    grid().setCurrentCell(1, 1);
    QTest::keyClicks(&grid(), "12.5");
    QTest::keyClick(&grid(), Qt::Key_Return);
    grid().setCurrentCell(0, 2);
    QTest::keyClicks(&grid(), "-7");
    grid().setCurrentCell(0, 3);
    QTest::keyClicks(&grid(), "99999999999");
    EXPECT_EQ(gridRow(0), QStringList({ "251.00", "-7", "99999999999" }));
    EXPECT_EQ(grid().cellText(1, 1), "12.50");

    // Names keep 31 characters and units 7; the fixed cell names an unnamed channel.
    list().item(1, 1)->setText(QString(40, u'N'));
    list().item(1, 2)->setText("Percent%");
    EXPECT_EQ(list().item(1, 1)->text(), QString(31, u'N'));
    EXPECT_EQ(child<QLabel>("PanelTitle")->text(), QString(31, u'N'));
    const QRect fixedCell = list().visualItemRect(list().item(2, 0));
    QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, fixedCell.center());
    EXPECT_EQ(list().item(2, 1)->text(), list().item(2, 0)->text());
    EXPECT_EQ(window->translationsPage().selectedRow(), 3);

    leavePage();
    const QByteArray first = savedRecord(0);
    EXPECT_EQ(quint8(first[1]), 1); // Active: the table
    EXPECT_EQ(quint8(first[45]), 3); // ColumnCount
    EXPECT_EQ(valueAt<quint16>(first, 46), 251);
    EXPECT_EQ(valueAt<quint16>(first, 48), 0);
    EXPECT_EQ(valueAt<quint16>(first, 50), 65535);
    EXPECT_EQ(valueAt<float>(first, 186), 12.5f);
    const QByteArray second = savedRecord(1);
    EXPECT_EQ(second.mid(3, 32), QByteArray(1, 31) + QByteArray(31, 'N'));
    EXPECT_EQ(second.mid(35, 8), QByteArray("\x07Percent", 8));
    const QByteArray third = savedRecord(2);
    EXPECT_EQ(third.mid(4, quint8(third[3])), list().item(2, 0)->text().toLatin1());
    EXPECT_EQ(quint8(third[484]), 2); // CalcChannel_A of the row selected
}

TEST_F(ChannelTranslationsPageTest, LeavingCopiesAtMostSeventyPointsAndNothingBeyond)
{
    editCardTranslations([](TTranslations &t) {
        for (int index : { 0, 1 }) {
            TTranslation &r = t.record(index);
            r.ColumnCount = index == 0 ? 70 : 200; // the byte can say more than exists
            for (int i = 0; i < kTranslationPoints; ++i) {
                r.DigitalValue[i] = std::uint16_t(i * 900 + 7);
                r.TranslationValue[i] = float(i) * 0.1f - 3.0f;
            }
            r.Condition_AB = 3;
            r.Value_A = 2.5f;
        }
        t.record(2).ColumnCount = 0;
        t.record(2).DigitalValue[0] = 1234;
    });
    const QByteArray original = readAll(CardPaths(card).translationFile());
    ChannelTranslationsPage &page = openCard();
    for (int row : { 1, 2, 3 }) {
        SCOPED_TRACE(row);
        page.StringGrid1SelectCell(row);
        EXPECT_EQ(grid().columnCount(), row == 3 ? 2 : 71);
        leavePage();
        showPage(TfrmLoggerConfig::ChannelTranslationsPage);

        const int index = row - 1;
        QByteArray expected = original.mid(index * 722, 722);
        expected[45] = char(row == 3 ? 0 : 70);
        expected[484] = char(index);
        EXPECT_EQ(savedRecord(index).toHex(), expected.toHex());
    }
}

TEST_F(ChannelTranslationsPageTest, CreateTable)
{
    struct Case
    {
        const char *minMillivolts, *maxMillivolts, *minUnits, *maxUnits, *points;
        QStringList raw;
        QStringList shown;
    };
    const QList<Case> cases = {
        { "500", "4500", "0", "100", "11",
            { "102", "182", "264", "346", "428", "510", "592", "674", "756", "838", "920" },
            { "0.000", "10.000", "20.000", "30.000", "40.000", "50.000", "60.000", "70.000",
                "80.000", "90.000", "100.000" } },
        { "500", "4500", "0", "5", "11",
            { "102", "182", "264", "346", "428", "510", "592", "674", "756", "838", "920" },
            { "0.000", "0.500", "1.000", "1.500", "2.000", "2.500", "3.000", "3.500", "4.000",
                "4.500", "5.000" } },
        // Too few points would divide by zero; more than 70 do not fit the record.
        { "0", "4000", "0", "1", "1", { "0", "409", "818" }, { "0.000", "0.500", "1.000" } },
    };
    openCard();
    useTablePage();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.points);
        child<QLineEdit>("MinMillivolts")->setText(c.minMillivolts);
        child<QLineEdit>("MaxMillivolts")->setText(c.maxMillivolts);
        child<QLineEdit>("MinUnits")->setText(c.minUnits);
        child<QLineEdit>("MaxUnits")->setText(c.maxUnits);
        child<TLogSpinEdit>("LogSpinEdit1")->setText(c.points);
        click("Button2");
        EXPECT_EQ(gridRow(0), c.raw);
        EXPECT_EQ(gridRow(1), c.shown);
        EXPECT_EQ(record(0).ColumnCount, c.raw.size());
        for (int i = 0; i < c.raw.size(); ++i) {
            EXPECT_EQ(record(0).DigitalValue[i], c.raw[i].toUShort());
            EXPECT_NEAR(record(0).TranslationValue[i], c.shown[i].toDouble(), 1e-4);
        }
    }

    child<TLogSpinEdit>("LogSpinEdit1")->setText("200");
    click("Button2");
    EXPECT_EQ(child<TLogSpinEdit>("LogSpinEdit1")->text(), "70");
    EXPECT_EQ(grid().pointCount(), 70);
    EXPECT_EQ(record(0).ColumnCount, 70);
}

TEST_F(ChannelTranslationsPageTest, CalculatorsStoreConstantAndInputs)
{
    openCard();
    child<QSpinBox>("SpeedPulses")->setValue(4);
    child<QDoubleSpinBox>("WheelDiameter")->setValue(0.5);
    child<QDoubleSpinBox>("DifferentialRatio")->setValue(1.0);
    click("Button1");
    EXPECT_EQ(child<QLineEdit>("LOGEdit1")->text(), "1.414");
    EXPECT_EQ(child<QComboBox>("LogCombo7")->currentText(), "Channel multiplied by value");

    radio("RadioGroup6", 1)->click();
    EXPECT_EQ(child<QLabel>("WheelDiameterLabel")->text(), "Wheel diameter in feet");
    click("Button1");
    EXPECT_EQ(child<QLineEdit>("LOGEdit1")->text(), "0.268");
    radio("RadioGroup6", 0)->click();
    click("Button1");

    child<QSlider>("TrackBar1")->setValue(7);
    EXPECT_EQ(child<QLabel>("FilterLevelLabel")->text(), "Filter Level 7");
    leavePage();
    QByteArray saved = savedRecord(0);
    EXPECT_EQ(quint8(saved[466]), 3); // Condition_AB
    EXPECT_EQ(valueAt<float>(saved, 468), 1.414f);
    EXPECT_EQ(quint8(saved[488]), 7); // AvgLevel
    EXPECT_EQ(valueAt<float>(saved, 502), 4.0f);
    EXPECT_EQ(valueAt<float>(saved, 506), 0.5f);
    EXPECT_EQ(valueAt<float>(saved, 510), 1.0f);

    showPage(TfrmLoggerConfig::ChannelTranslationsPage);
    child<QSpinBox>("RPMPulses")->setValue(2);
    click("Button3");
    EXPECT_EQ(child<QLineEdit>("LOGEdit1")->text(), "30.000");
    leavePage();
    saved = savedRecord(0);
    EXPECT_EQ(valueAt<float>(saved, 468), 30.0f);
    EXPECT_EQ(valueAt<float>(saved, 502), 2.0f);
    EXPECT_EQ(valueAt<float>(saved, 506), 0.5f);

    // The inputs come back with the record.
    showPage(TfrmLoggerConfig::ChannelTranslationsPage);
    window->translationsPage().StringGrid1SelectCell(2);
    window->translationsPage().StringGrid1SelectCell(1);
    EXPECT_EQ(child<QSpinBox>("SpeedPulses")->value(), 2);
    EXPECT_EQ(child<QSlider>("TrackBar1")->value(), 7);
}

TEST_F(ChannelTranslationsPageTest, TrnFileKeepsThePointCountOfTheSpinEdit)
{
    openCard();
    useTablePage();
    click("Button2"); // 11 points
    child<TLogSpinEdit>("LogSpinEdit1")->setText("15");
    const QString path = temp.filePath("table.trn");
    dialogs.answerSaveFile(path);
    click("Button5");

    RecordTable saved;
    saved.loadFromFile(path);
    ASSERT_TRUE(saved.Locate("RowNumber", { 0 }));
    EXPECT_EQ(saved.fieldByName("ColumnCount").asInteger(), 15);
    EXPECT_EQ(saved.fieldByName("RecordType").asText(), "ANLINPUT");

    child<TLogSpinEdit>("LogSpinEdit1")->setText("3");
    click("Button2");
    dialogs.answerOpenFile(path);
    click("Button4");
    EXPECT_EQ(grid().columnCount(), 16);
    EXPECT_EQ(gridRow(0).mid(11), QStringList({ "0", "0", "0", "0" }));
    EXPECT_EQ(gridRow(0).first(), "102");
    EXPECT_EQ(child<TLogSpinEdit>("LogSpinEdit1")->text(), "15");

    // The record follows the loaded table once the page is left.
    leavePage();
    EXPECT_EQ(quint8(savedRecord(0)[45]), 15);
    EXPECT_EQ(valueAt<quint16>(savedRecord(0), 46 + 2 * 10), 920);
}

TEST_F(ChannelTranslationsPageTest, UnusableTrnFilesLeaveTheGridAsItWas)
{
    const QString garbage = temp.filePath("garbage.trn");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a table at all");
    file.close();
    const QString wrongExtension = temp.filePath("table.txt");
    QFile::copy(garbage, wrongExtension);

    openCard();
    useTablePage();
    click("Button2");
    const QStringList before = gridRow(0);
    for (const QString &path : { garbage, wrongExtension }) {
        dialogs.answerOpenFile(path);
        click("Button4");
        EXPECT_EQ(gridRow(0), before);
    }
    EXPECT_EQ(dialogs.shownTexts(DialogKind::Error).size(), 1);
}

TEST_F(ChannelTranslationsPageTest, TrnFileWithTooManyPointsIsHeldToSeventy)
{
    openCard();
    useTablePage();
    child<TLogSpinEdit>("LogSpinEdit1")->setText("70");
    click("Button2");
    child<TLogSpinEdit>("LogSpinEdit1")->setText("250");
    const QString path = temp.filePath("big.trn");
    dialogs.answerSaveFile(path);
    click("Button5");
    dialogs.answerOpenFile(path);
    click("Button4");
    EXPECT_EQ(grid().columnCount(), 71);
    leavePage();
    EXPECT_EQ(quint8(savedRecord(0)[45]), 70);
    EXPECT_EQ(valueAt<quint16>(savedRecord(0), 46 + 2 * 69), 920);
}

} // namespace
