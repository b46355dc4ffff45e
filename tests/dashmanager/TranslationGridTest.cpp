#include "dashmanager/TLogTranslationGrid.h"
#include "session/RecordTable.h"
#include "session/TranslationTableLayout.h"
#include "ui/ScriptedUserDialogs.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

using namespace zel;

namespace {

class TranslationGridTest : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::c());
        for (const ShownDialog &shown : dialogs.unexpected())
            ADD_FAILURE() << "unexpected dialog: " << shown.summary().toStdString();
    }

    /// A grid bound to \a table with the settings the translation page gives it.
    std::unique_ptr<TLogTranslationGrid> makeGrid(RecordTable *table = nullptr)
    {
        auto grid = std::make_unique<TLogTranslationGrid>(dialogs);
        grid->setLOG_MemTable(table);
        grid->setLOG_RecordType(TranslationTableLayout::kAnalogueInput);
        return grid;
    }

    static void openLayout(RecordTable &table)
    {
        TranslationTableLayout::addColumns(table);
        table.open();
    }

    /// Appends a row of record type \a type with the points \a points from "Col_0" on.
    static void appendRow(RecordTable &table, const QString &type, int rowNumber,
        const QList<double> &points, std::optional<qint64> count = std::nullopt)
    {
        table.Append();
        table.fieldByName("RecordType").setText(type);
        table.fieldByName("RowNumber").setInteger(rowNumber);
        const int first = table.columnIndex("Col_0");
        for (int i = 0; i < points.size(); ++i)
            table.field(first + i).setReal(points[i]);
        if (count)
            table.fieldByName("ColumnCount").setInteger(*count);
        table.Post();
    }

    static QStringList row(const TLogTranslationGrid &grid, int rowIndex)
    {
        QStringList texts;
        for (int column = 1; column < grid.columnCount(); ++column)
            texts << grid.cellText(column, rowIndex);
        return texts;
    }

    QStringList errors() const { return dialogs.shownTexts(DialogKind::Error); }

    ScriptedUserDialogs dialogs;
};

TEST_F(TranslationGridTest, TypingAcceptsOnlyTheUsersDecimalSeparator)
{
    struct Case
    {
        QLocale locale;
        const char *typed;
        const char *shown;
    };
    const Case cases[] = {
        { QLocale::c(), "1.5", "1.5" },
        { QLocale::c(), "1,5", "15" },
        { QLocale(QLocale::German, QLocale::Germany), "1,5", "1,5" },
        { QLocale(QLocale::German, QLocale::Germany), "1.5", "15" },
        { QLocale::c(), "2x;9 ", "29" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        QLocale::setDefault(c.locale);
        auto grid = makeGrid();
        grid->setPointCount(2);
        grid->setCurrentCell(0, 1);
        QTest::keyClicks(grid.get(), c.typed);
        EXPECT_EQ(grid->cellText(1, 0), c.shown);
        EXPECT_TRUE(grid->isChanged());
    }
    // The grid reads its cells in the user's format.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto grid = makeGrid();
    grid->setPointCount(1);
    grid->setCurrentCell(1, 1);
    QTest::keyClicks(grid.get(), "2,5");
    EXPECT_FLOAT_EQ(grid->CellNumberValue(1, 1), 2.5f);
    QTest::keyClick(grid.get(), Qt::Key_PageUp);
    EXPECT_EQ(grid->cellText(1, 1), "3,50");
}

TEST_F(TranslationGridTest, TypingReplacesAJustSelectedCellAndTakesSignsOnlyFirst)
{
    auto grid = makeGrid();
    grid->setPointCount(3);
    grid->setCellText(1, 0, "12");
    grid->setCellText(2, 0, "12");
    grid->setCurrentCell(0, 1);
    QTest::keyClick(grid.get(), Qt::Key_Return);
    EXPECT_EQ(grid->cellText(1, 0), "12.00");
    EXPECT_FALSE(grid->isChanged());

    grid->setCurrentCell(0, 2);
    QTest::keyClicks(grid.get(), "7+-8");
    EXPECT_EQ(grid->cellText(2, 0), "78");
    QTest::keyClick(grid.get(), Qt::Key_Backspace);
    EXPECT_EQ(grid->cellText(2, 0), "7");

    // A sign goes into an emptied cell only.
    grid->setCurrentCell(0, 3);
    QTest::keyClicks(grid.get(), "-4-");
    EXPECT_EQ(grid->cellText(3, 0), "-4");
    EXPECT_TRUE(grid->isChanged());

    // The titles column takes no typing.
    grid->setCellText(0, 0, "A to D");
    grid->setCurrentCell(0, 0);
    QTest::keyClicks(grid.get(), "5");
    EXPECT_EQ(grid->cellText(0, 0), "A to D");
}

TEST_F(TranslationGridTest, CommandsStepEverySelectedCell)
{
    struct Case
    {
        Qt::Key key;
        double increment;
        QStringList shown;
    };
    const Case cases[] = {
        { Qt::Key_PageUp, 1.0, { "2.00", "3.50", "1.00" } },
        { Qt::Key_PageDown, 1.0, { "0.00", "1.50", "-1.00" } },
        { Qt::Key_Return, 1.0, { "1.00", "2.50", "0.00" } },
        { Qt::Key_Enter, 1.0, { "1.00", "2.50", "0.00" } },
        // The step is used as a whole number.
        { Qt::Key_PageUp, 2.4, { "3.00", "4.50", "2.00" } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.shown.join(' ').toStdString());
        auto grid = makeGrid();
        grid->setLOG_CellInc(c.increment);
        grid->setPointCount(4);
        grid->setCellText(1, 1, "1");
        grid->setCellText(2, 1, "2.5");
        grid->setCellText(4, 1, "9");
        grid->setCurrentCell(1, 1);
        grid->setRangeSelected(QTableWidgetSelectionRange(1, 1, 1, 3), true);
        QTest::keyClick(grid.get(), c.key);
        EXPECT_EQ(row(*grid, 1), c.shown + QStringList { "9" });
    }
}

TEST_F(TranslationGridTest, ACommandStopsAtACellThatHoldsNoNumber)
{
    auto grid = makeGrid();
    grid->setPointCount(3);
    grid->setCellText(1, 0, "1");
    grid->setCellText(2, 0, "1..2");
    grid->setCellText(3, 0, "5");
    grid->setCurrentCell(0, 1);
    grid->setRangeSelected(QTableWidgetSelectionRange(0, 1, 0, 3), true);
    QTest::keyClick(grid.get(), Qt::Key_PageUp);
    EXPECT_EQ(row(*grid, 0), QStringList({ "2.00", "1..2", "5" }));
    EXPECT_EQ(errors(), QStringList { "'1..2' is not a valid floating point value" });
}

TEST_F(TranslationGridTest, AltCopiesTheCellIntoTheNextCellSelectedOnce)
{
    auto grid = makeGrid();
    grid->setPointCount(4);
    grid->setCellText(1, 0, "42");
    grid->setCurrentCell(0, 1);
    QTest::keyClick(grid.get(), Qt::Key_Alt, Qt::AltModifier);
    grid->setCurrentCell(0, 2);
    grid->setCurrentCell(0, 3);
    EXPECT_EQ(row(*grid, 0), QStringList({ "42", "42", "", "" }));

    // Ctrl with the arrows only moves left, and never onto the titles.
    QTest::keyClick(grid.get(), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(grid->currentColumn(), 2);
    for (const Qt::Key key : { Qt::Key_Right, Qt::Key_Up, Qt::Key_Down }) {
        QTest::keyClick(grid.get(), key, Qt::ControlModifier);
        EXPECT_EQ(grid->currentColumn(), 2);
        EXPECT_EQ(grid->currentRow(), 0);
    }
    grid->setCurrentCell(0, 1);
    QTest::keyClick(grid.get(), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(grid->currentColumn(), 1);
}

TEST_F(TranslationGridTest, CellNumberValueIsZeroOutsideTheTableAndForNonNumbers)
{
    auto grid = makeGrid();
    grid->setPointCount(5);
    grid->setLOG_MaxColumns(4);
    const QStringList texts = { "2.5", "", "abc", "7", "8" };
    for (int column = 1; column <= 5; ++column) {
        grid->setCellText(column, 0, texts[column - 1]);
        grid->setCellText(column, 1, texts[column - 1]);
    }
    grid->setCellText(0, 1, "9");
    struct Case
    {
        int column;
        int row;
        float value;
    };
    const Case cases[] = { { 1, 0, 2.5f }, { 1, 1, 2.5f }, { 2, 1, 0 }, { 3, 1, 0 }, { 4, 1, 7 },
        { 5, 1, 0 }, { 0, 1, 0 }, { 1, 2, 0 }, { 1, -1, 0 }, { -1, 0, 0 } };
    for (const Case &c : cases)
        EXPECT_EQ(grid->CellNumberValue(c.column, c.row), c.value) << c.column << "," << c.row;
}

TEST_F(TranslationGridTest, PointCountIsHeldTo0To70)
{
    auto grid = makeGrid();
    for (const auto &[asked, columns] : std::initializer_list<std::pair<int, int>> {
             { -1, 1 }, { 0, 1 }, { 11, 12 }, { 70, 71 }, { 71, 71 }, { 255, 71 } }) {
        grid->setPointCount(asked);
        EXPECT_EQ(grid->columnCount(), columns) << asked;
    }
}

TEST_F(TranslationGridTest, WrittenTableReadsBack)
{
    RecordTable table;
    openLayout(table);
    appendRow(table, "OTHER", 0, { 77 }, 1);
    auto grid = makeGrid(&table);
    grid->setPointCount(11);
    for (int column = 1; column <= 11; ++column) {
        grid->setCellText(column, 0, QString::number(column * 100));
        grid->setCellText(column, 1, QString::number(column * 1.25));
    }
    grid->setCurrentCell(0, 2);
    QTest::keyClick(grid.get(), Qt::Key_PageUp);
    EXPECT_EQ(grid->cellText(2, 0), "201.00");
    grid->WriteToTable();

    table.Locate("RowNumber", { 0 });
    EXPECT_EQ(table.fieldByName("ColumnCount").asInteger(), 11);
    EXPECT_EQ(table.fieldByName("Col_1").asReal(), 201.0);
    EXPECT_EQ(table.fieldByName("Col_11").asReal(), 1100.0); // point 10
    EXPECT_EQ(table.fieldByName("Col_12").asReal(), 0.0); // the spare column is cleared
    EXPECT_TRUE(table.fieldByName("Col_13").isNull());
    table.Locate("RowNumber", { 1 });
    EXPECT_EQ(table.fieldByName("Col_4").asReal(), 5.0); // point 3 is in "Col_4"

    auto reader = makeGrid(&table);
    reader->ReadFromTable();
    EXPECT_EQ(reader->columnCount(), 12);
    EXPECT_EQ(reader->cellText(0, 0), "A to D");
    EXPECT_EQ(reader->cellText(0, 1), "Translation");
    EXPECT_EQ(row(*reader, 0),
        QStringList(
            { "100", "201", "300", "400", "500", "600", "700", "800", "900", "1000", "1100" }));
    EXPECT_EQ(row(*reader, 1).first(), "1.25");
    EXPECT_EQ(row(*reader, 1).last(), "13.75");
    EXPECT_EQ(reader->ColumnRange(2), 201);
    EXPECT_EQ(reader->ColumnRange(12), 0);

    // Writing again edits the two rows instead of adding others; other record types stay.
    grid->WriteToTable();
    table.setFiltered(false);
    EXPECT_EQ(table.recordCount(), 3);
}

TEST_F(TranslationGridTest, RawValuesAreWrittenAsWholeNumbersIn16Bits)
{
    RecordTable table;
    openLayout(table);
    auto grid = makeGrid(&table);
    const QStringList typed = { "102.00", "3.9", "-5", "70000", "1e30", "abc", "" };
    const QList<double> stored = { 102, 3, 0, 65535, 65535, 0, 0 };
    grid->setPointCount(int(typed.size()));
    for (int i = 0; i < typed.size(); ++i)
        grid->setCellText(i + 1, 0, typed[i]);
    grid->WriteToTable();
    table.Locate("RowNumber", { 0 });
    const int first = table.columnIndex("Col_0");
    for (int i = 0; i < stored.size(); ++i)
        EXPECT_EQ(table.field(first + i).asReal(), stored[i]) << typed[i].toStdString();
}

TEST_F(TranslationGridTest, HostileTablesReadIntoAtMost70Points)
{
    struct Case
    {
        const char *name;
        std::optional<qint64> count;
        QList<double> raw;
        int points;
    };
    QList<double> many;
    for (int i = 0; i < 99; ++i)
        many << i;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        { "count 255", 255, many, 70 },
        { "count 99", 99, many, 70 },
        { "negative count", -3, many, 0 },
        { "count 11", 11, many, 11 },
        { "raw values outside 16 bits", 3, { -7, 70000, nan }, 3 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecordTable table;
        openLayout(table);
        appendRow(table, "ANLINPUT", 0, c.raw, c.count);
        auto grid = makeGrid(&table);
        grid->ReadFromTable();
        EXPECT_EQ(grid->pointCount(), c.points);
        // Row 1 is missing: every translation shows 0.0.
        EXPECT_EQ(row(*grid, 1), QStringList(c.points, "0.0"));
        if (c.points == 3) {
            EXPECT_EQ(row(*grid, 0), QStringList({ "0", "65535", "0" }));
            EXPECT_EQ(grid->ColumnRange(2), 65535);
        }
    }
}

TEST_F(TranslationGridTest, TableWithoutAColumnCountEndsBeforeAValueAbove4096)
{
    RecordTable table;
    table.addColumn("RecordType", ColumnType::Text, 20);
    table.addColumn("RowNumber", ColumnType::Integer);
    for (const QString &name : TranslationTableLayout::pointColumnNames())
        table.addColumn(name, ColumnType::Real);
    table.open();
    appendRow(table, "ANLINPUT", 0, { 10, 20, 30, 4096, 5000, 40 });
    appendRow(table, "ANLINPUT", 1, { 1.5, 2 });
    auto grid = makeGrid(&table);
    grid->ReadFromTable();
    EXPECT_EQ(row(*grid, 0), QStringList({ "10", "20", "30", "4096" }));
    EXPECT_EQ(row(*grid, 1), QStringList({ "1.50", "2.00", "0.0", "0.0" }));

    // Writing adds the missing count column and keeps the table's rows.
    grid->WriteToTable();
    EXPECT_EQ(table.rowCount(), 2);
    ASSERT_TRUE(table.Locate("RowNumber", { 0 }));
    EXPECT_EQ(table.fieldByName("ColumnCount").asInteger(), 4);
    EXPECT_EQ(table.fieldByName("Col_5").asReal(), 0.0); // the 5000 is gone with its point
}

TEST_F(TranslationGridTest, NothingIsReadOrWrittenWithoutTableRowsOrRecordType)
{
    RecordTable table;
    openLayout(table);
    appendRow(table, "OTHER", 0, { 1, 2 }, 2);
    auto grid = makeGrid(&table);
    grid->setPointCount(3);
    grid->setCellText(1, 0, "9");
    grid->ReadFromTable();
    EXPECT_EQ(grid->columnCount(), 4);
    EXPECT_EQ(grid->cellText(1, 0), "9");

    grid->setLOG_RecordType(" ");
    grid->WriteToTable();
    EXPECT_EQ(table.rowCount(), 1);

    grid->setLOG_MemTable(nullptr);
    grid->setLOG_RecordType("ANLINPUT");
    grid->WriteToTable();
    grid->ReadFromTable();
    EXPECT_EQ(table.rowCount(), 1);
}

TEST_F(TranslationGridTest, TrnFileRoundTrip)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString path = temp.filePath("channel.trn");
    {
        RecordTable table;
        openLayout(table);
        auto grid = makeGrid(&table);
        grid->setPointCount(70);
        for (int column = 1; column <= 70; ++column) {
            grid->setCellText(column, 0, QString::number(column * 58));
            grid->setCellText(column, 1, QString::number(column * 0.5 - 3));
        }
        grid->WriteToTable();
        table.saveToFile(path);
    }
    RecordTable loaded;
    loaded.loadFromFile(path);
    EXPECT_EQ(loaded.columnCount(), 22 + 99);
    EXPECT_EQ(loaded.findColumn("Col_3"), -1);
    EXPECT_EQ(loaded.rowCount(), 2);
    auto grid = makeGrid(&loaded);
    grid->ReadFromTable();
    ASSERT_EQ(grid->pointCount(), 70);
    EXPECT_EQ(grid->cellText(1, 0), "58");
    EXPECT_EQ(grid->cellText(70, 0), "4060");
    EXPECT_EQ(grid->cellText(1, 1), "-2.50");
    EXPECT_EQ(grid->cellText(70, 1), "32.00");
    EXPECT_EQ(grid->ColumnRange(70), 4060);
}

} // namespace
