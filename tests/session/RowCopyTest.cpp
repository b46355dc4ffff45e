#include "session/RecordTable.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {

void define(RecordTable &table)
{
    table.addColumn("K", ColumnType::Integer);
    table.addColumn("N", ColumnType::Integer);
    table.addColumn("R", ColumnType::Real);
    table.addColumn("T", ColumnType::Text, 10);
}

} // namespace

// Copies move runs of rows in blocks; empties must land on their rows at any bit offset.
TEST(RowCopyTest, CopiedRowsKeepTheirValuesAndEmptiesAtAnyOffset)
{
    RecordTable source;
    define(source);
    source.open();
    for (int row = 0; row < 300; ++row) {
        source.Append();
        source.field(0).setInteger(row % 13 < 9 ? 1 : 0); // runs of 9 rows pass "K = 1"
        if (row % 5 != 0)
            source.field(1).setInteger(row);
        if (row % 7 != 3)
            source.field(2).setReal(row * 0.5);
        if (row % 11 == 0)
            source.field(3).setText(QString::number(row));
        source.Post();
    }
    for (const bool filtered : { false, true }) {
        source.setFilter("K = 1");
        source.setFiltered(filtered);
        RecordTable target;
        define(target);
        target.open();
        for (int i = 0; i < 37; ++i) { // an odd start inside a bitmap word
            target.Append();
            target.field(1).setInteger(-1);
            target.Post();
        }
        target.copyRowsFrom(source);
        ASSERT_EQ(target.rowCount(), 37 + source.recordCount());
        for (int i = 0; i < source.recordCount(); ++i) {
            const int from = source.viewRow(i);
            for (int c = 0; c < 4; ++c) {
                EXPECT_EQ(target.isNullAt(c, 37 + i), source.isNullAt(c, from)) << from << " " << c;
                EXPECT_EQ(target.numberAt(c, 37 + i), source.numberAt(c, from)) << from << " " << c;
            }
            target.setRecNo(37 + i);
            source.setRecNo(i);
            EXPECT_EQ(target.field(3).asText(), source.field(3).asText());
        }
        for (int i = 0; i < 37; ++i)
            EXPECT_TRUE(target.isNullAt(2, i));
    }
}

TEST(RowCopyTest, TakingRowsMovesThemAndLeavesTheSourceEmpty)
{
    for (const bool sameColumns : { true, false }) {
        RecordTable source;
        define(source);
        source.open();
        for (int row = 0; row < 5; ++row) {
            source.Append();
            source.field(0).setInteger(row % 2);
            if (row != 2)
                source.field(2).setReal(row + 0.25);
            source.Post();
        }
        source.setFilter("K = 1"); // taking ignores the filter
        source.setFiltered(true);
        RecordTable target;
        define(target);
        if (!sameColumns)
            target.addColumn("Extra", ColumnType::Real);
        target.setFilter("K = 0");
        target.setFiltered(true);
        target.open();
        target.takeRowsFrom(source);
        EXPECT_TRUE(source.isOpen());
        EXPECT_EQ(source.rowCount(), 0);
        ASSERT_EQ(target.rowCount(), 5);
        EXPECT_EQ(target.recordCount(), 3);
        EXPECT_TRUE(target.isNullAt(2, 2));
        EXPECT_EQ(target.numberAt(2, 4), 4.25);
        EXPECT_EQ(target.recNo(), 0);
    }
}
