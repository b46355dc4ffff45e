#include "session/ColumnValues.h"

#include "session/ColumnArena.h"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

using namespace zel;

namespace {

std::vector<int> contents(const ColumnValues<int> &values)
{
    return { values.begin(), values.end() };
}

} // namespace

TEST(ColumnValues, OutgrowingAnAreaSliceMovesTheValuesToTheHeap)
{
    auto arena = ColumnArena::create(ColumnArena::kMinimumBytes);
    ASSERT_TRUE(arena);
    ColumnValues<int> values;
    values.reserveIn(arena, 8);
    EXPECT_EQ(arena.use_count(), 2);
    std::vector<int> expected(1000);
    std::iota(expected.begin(), expected.end(), -500);
    for (int value : expected)
        values.push_back(value);
    EXPECT_EQ(contents(values), expected);
    EXPECT_EQ(arena.use_count(), 1); // the slice was let go

    // Moving into an area keeps the values too.
    values.reserveIn(arena, 2000);
    EXPECT_EQ(contents(values), expected);
    EXPECT_EQ(arena.use_count(), 2);
}

TEST(ColumnValues, AnAreaWithoutRoomLeavesTheValuesOnTheHeap)
{
    auto arena = ColumnArena::create(ColumnArena::kMinimumBytes);
    ASSERT_TRUE(arena);
    EXPECT_EQ(arena->allocate(arena->available() + 1), nullptr);
    ASSERT_NE(arena->allocate(arena->available()), nullptr);

    ColumnValues<int> values;
    values.push_back(7);
    values.reserveIn(arena, 100);
    EXPECT_EQ(arena.use_count(), 1);
    EXPECT_GE(values.capacity(), 100u);
    EXPECT_EQ(contents(values), std::vector<int>({ 7 }));
}

TEST(ColumnValues, AppendingItsOwnValuesSurvivesTheMoveOfGrowing)
{
    for (const bool inArena : { false, true }) {
        auto arena = ColumnArena::create(ColumnArena::kMinimumBytes);
        ColumnValues<int> values;
        if (inArena)
            values.reserveIn(arena, 3);
        for (int value : { 1, 2, 3 })
            values.push_back(value);
        values.shrink_to_fit(); // a no-op while values are held
        values.append(values.data() + 1, 2);
        values.append(values.data(), values.size());
        EXPECT_EQ(contents(values), std::vector<int>({ 1, 2, 3, 2, 3, 1, 2, 3, 2, 3 })) << inArena;
    }
}

TEST(ColumnValues, CopiesAreIndependentOfTheArea)
{
    ColumnValues<double> copy;
    {
        auto arena = ColumnArena::create(ColumnArena::kMinimumBytes);
        ColumnValues<double> values;
        values.reserveIn(arena, 4);
        values.resize(4, 2.5);
        copy = values;
    }
    ASSERT_EQ(copy.size(), 4u);
    for (double value : copy)
        EXPECT_EQ(value, 2.5);
}
