#include "session/TranslationTableLayout.h"

#include "session/RecordTable.h"

#include <gtest/gtest.h>

using namespace zel;

TEST(TranslationTableLayout, ColumnsInOrderWithoutCol3)
{
    RecordTable table;
    TranslationTableLayout::addColumns(table);
    ASSERT_EQ(table.columnCount(), 22 + 99);
    const QStringList head
        = { "RecId", "RecordType", "RowNumber", "Description", "gaugeindex", "GaugeType", "UOM",
              "DisplayDesc", "Digits", "Leds", "Percent1", "Percent2", "Decimals", "Left", "Top",
              "Height", "Width", "Labels", "ShowDigits", "ShowZones", "ShowAtoD", "ColumnCount" };
    for (int i = 0; i < head.size(); ++i)
        EXPECT_EQ(table.column(i).name, head[i]) << i;
    EXPECT_EQ(table.column(1).type, ColumnType::Text);
    EXPECT_EQ(table.column(1).size, 20);
    EXPECT_EQ(table.column(21).type, ColumnType::Integer);
    // Points are addressed by position from "Col_0": the fourth point lives in "Col_4".
    const int first = table.columnIndex("Col_0");
    EXPECT_EQ(first, 22);
    EXPECT_EQ(table.column(first + 2).name, "Col_2");
    EXPECT_EQ(table.column(first + 3).name, "Col_4");
    EXPECT_EQ(table.column(table.columnCount() - 1).name, "Col_99");
    EXPECT_EQ(table.findColumn("Col_3"), -1);
    EXPECT_EQ(table.column(first).type, ColumnType::Real);
}

TEST(TranslationTableLayout, EnsureColumnCountKeepsTheRows)
{
    RecordTable table;
    table.addColumn("RecordType", ColumnType::Text, 20);
    table.addColumn("RowNumber", ColumnType::Integer);
    table.addColumn("Col_0", ColumnType::Real);
    table.open();
    for (const char *type : { "ANLINPUT", "OTHER" }) {
        table.Append();
        table.fieldByName("RecordType").setText(type);
        table.fieldByName("RowNumber").setInteger(0);
        table.fieldByName("Col_0").setReal(12.5);
        table.Post();
    }
    table.setFilter("RecordType = 'OTHER'");
    table.setFiltered(true);

    TranslationTableLayout::ensureColumnCount(table);

    ASSERT_GE(table.findColumn("ColumnCount"), 0);
    EXPECT_EQ(table.column(table.findColumn("ColumnCount")).type, ColumnType::Integer);
    EXPECT_EQ(table.rowCount(), 2);
    table.First();
    EXPECT_EQ(table.fieldByName("Col_0").asReal(), 12.5);
    EXPECT_TRUE(table.fieldByName("ColumnCount").isNull());

    // A second call changes nothing.
    TranslationTableLayout::ensureColumnCount(table);
    EXPECT_EQ(table.columnCount(), 4);

    RecordTable closed;
    closed.addColumn("RecordType", ColumnType::Text, 20);
    TranslationTableLayout::ensureColumnCount(closed);
    EXPECT_TRUE(closed.isOpen());
    EXPECT_GE(closed.findColumn("ColumnCount"), 0);
}
