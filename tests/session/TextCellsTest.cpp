#include "session/TextCells.h"

#include "session/RecordTable.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

#if defined(__SANITIZE_ADDRESS__)
// From the AddressSanitizer run-time, whose header GCC does not ship.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

using namespace zel;

namespace {

// Bytes the program holds on the heap now.
size_t heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

void expectSame(const TextCells &cells, const std::vector<QString> &model)
{
    ASSERT_EQ(cells.size(), model.size());
    for (size_t row = 0; row < model.size(); ++row)
        ASSERT_EQ(cells[row], model[row]) << "row " << row;
}

} // namespace

// Every edit gives the cells a plain vector of strings would hold, whatever the order of
// edits that empty, reuse and move texts.
TEST(TextCells, EditsMatchAPlainVectorOfTexts)
{
    std::mt19937 random(7);
    TextCells cells;
    TextCells other;
    std::vector<QString> model;
    std::vector<QString> otherModel;
    const auto pick = [&](size_t n) { return size_t(random() % n); };
    const auto text = [&] {
        return random() % 3 == 0 ? QString() : QStringLiteral("t%1").arg(random() % 1000);
    };
    other.resize(5);
    otherModel.resize(5);
    for (size_t row = 0; row < 5; ++row) {
        otherModel[row] = text();
        other.set(row, otherModel[row]);
    }
    for (int step = 0; step < 5000; ++step) {
        switch (random() % 6) {
        case 0:
        case 1:
            if (!model.empty()) {
                const size_t row = pick(model.size());
                model[row] = text();
                cells.set(row, model[row]);
            }
            break;
        case 2:
            if (!model.empty()) {
                const size_t row = pick(model.size());
                model.erase(model.begin() + ptrdiff_t(row));
                cells.erase(row);
            }
            break;
        case 3: {
            const size_t rows = pick(model.size() + 8);
            model.resize(rows);
            cells.resize(rows);
            break;
        }
        case 4: {
            // From the column itself, rows may repeat.
            std::vector<uint32_t> rows;
            for (size_t i = 0; i < model.size() && i < 6; ++i)
                rows.push_back(uint32_t(pick(model.size())));
            for (uint32_t row : rows)
                model.push_back(model[row]);
            cells.appendRows(cells, rows);
            break;
        }
        default: {
            const std::vector<uint32_t> rows { 4, 0, 2, 2 };
            for (uint32_t row : rows)
                model.push_back(otherModel[row]);
            cells.appendRows(other, rows);
            break;
        }
        }
        expectSame(cells, model);
        if (HasFatalFailure())
            return;
    }
    cells.clear();
    EXPECT_EQ(cells.size(), 0u);
}

// Session logs fill their text columns in the header row alone: an empty cell after the last
// text costs its bit alone (beside the table's 4-byte row number, which the row's cells
// share), both when rows are appended and when a file is loaded.
TEST(TextCells, EmptyCellsAfterTheLastTextCostTheirBit)
{
    constexpr int kRows = 100000;
    constexpr int kTextColumns = 9;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("session.kro"));

    const size_t beforeAppend = heapInUse();
    {
        RecordTable table;
        for (int c = 0; c < kTextColumns; ++c)
            table.addColumn(
                QStringLiteral("Text%1").arg(c), c % 2 ? ColumnType::Memo : ColumnType::Text, 255);
        table.open();
        table.reserveRows(kRows);
        for (int row = 0; row < kRows; ++row) {
            table.Append();
            if (row == 0) {
                for (int c = 0; c < kTextColumns; ++c)
                    table.field(c).setText(QStringLiteral("header"));
            }
            table.Post();
        }
        const double perCell = double(heapInUse() - beforeAppend) / (kRows * kTextColumns);
        EXPECT_LT(perCell, 1.0) << "bytes per appended cell";
        table.saveToFile(file);
    }

    RecordTable loaded;
    const size_t beforeLoad = heapInUse();
    loaded.loadFromFile(file);
    const double perCell = double(heapInUse() - beforeLoad) / (kRows * kTextColumns);
    EXPECT_LT(perCell, 1.0) << "bytes per loaded cell";
    EXPECT_EQ(loaded.textAt(3, 0), QStringLiteral("header"));
    EXPECT_TRUE(loaded.isNullAt(3, 1));
}
