#include "ui/ChannelGridModel.h"

#include "session/ChannelGrid.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace zel;

TEST(ChannelGridModelTest, ShowsCellsTransposedAndFollowsChanges)
{
    ChannelGrid grid;
    ChannelGridModel model(grid);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "0");

    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    grid.setColCount(3);
    grid.setRowCount(4);
    EXPECT_EQ(reset.count(), 2);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.rowCount(), 4);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    grid.setCell(2, 3, "5000.5"); // column 2, row 3
    ASSERT_EQ(changed.count(), 1);
    const QModelIndex at = changed.at(0).at(0).value<QModelIndex>();
    EXPECT_EQ(at.row(), 3);
    EXPECT_EQ(at.column(), 2);
    EXPECT_EQ(model.data(model.index(3, 2)).toString(), "5000.5");
    EXPECT_FALSE(model.data(model.index(3, 2), Qt::EditRole).isValid());

    // A batch reports once, over every cell it changed; an unchanged text reports nothing.
    changed.clear();
    {
        const ChannelGrid::UpdateBatch batch(grid);
        grid.setCell(2, 1, "1");
        grid.setCell(1, 2, "2");
        grid.setCell(2, 3, "5000.5");
        EXPECT_EQ(changed.count(), 0);
    }
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>(), model.index(1, 1));
    EXPECT_EQ(changed.at(0).at(1).value<QModelIndex>(), model.index(2, 2));
    {
        const ChannelGrid::UpdateBatch batch(grid);
        grid.setCell(2, 1, "1");
    }
    EXPECT_EQ(changed.count(), 1);
}

TEST(ChannelGridModelTest, AGridDestroyedFirstLeavesAnEmptyModel)
{
    auto grid = std::make_unique<ChannelGrid>();
    ChannelGridModel model(*grid);
    grid.reset();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
    EXPECT_FALSE(model.data(model.index(0, 0)).isValid());
}
