#pragma once

#include "session/RowBitmap.h"
#include "tools/zel/OrderedBlockWorkers.h"

#include <QByteArray>
#include <QByteArrayView>
#include <functional>
#include <vector>

namespace zel {

class ColumnStore;
class RecordTable;

/// Writes the rows of a record table's view as CSV: a line of column names, then one line
/// per row in view order. Numbers are in the C locale, in the shortest text that reads back
/// as the same number ("nan", "inf" and "-inf" when not finite); dates are
/// "yyyy-MM-dd hh:mm:ss" text, empty outside the years 1 to 9999; byte cells are hex; an
/// empty cell is an empty field. A field is quoted, its quotes doubled, only when it holds a
/// comma, quote or line break.
///
/// Number cells are written straight from the column values; only text, date and byte cells
/// are read as text. Rows are written in blocks, several at once on worker threads, and the
/// blocks go to the sink in row order: memory holds a few blocks of text, never the CSV.
class CsvTableWriter
{
public:
    /// Receives the CSV text in order: the line of column names, then a block of rows at a
    /// time.
    using Sink = std::function<void(QByteArrayView)>;
    /// A block holds as many rows as have room for kBlockBytes of number cells, at most
    /// kMaxBlockRows, so that a table of texts alone does not become one block.
    static constexpr size_t kBlockBytes = size_t(1) << 19;
    static constexpr size_t kMaxBlockRows = 4096;

    /// Prepares to write \a table, which must not change while the writer is in use, with
    /// \a threads threads writing rows (1: the calling thread alone).
    explicit CsvTableWriter(
        const RecordTable &table, unsigned threads = OrderedBlockWorkers::threadsForCores());

    /// Writes the CSV text to \a sink; returns the number of rows written. When the sink
    /// throws, the threads are stopped before the exception leaves.
    int write(const Sink &sink) const;

private:
    enum class CellKind { Real, Integer, LongWord, Boolean, Date, Text, Bytes };
    struct Column
    {
        CellKind kind;
        const ColumnStore *store;
        const void *values; // the typed values of the number kinds, else null
        size_t valueBytes; // the size of one of them
        const RowBitmap *empties = nullptr; // null when the column has no empty cell

        bool isEmpty(size_t row) const { return empties && empties->test(row); }
    };
    class BlockText;
    struct RowBlock;

    static Column columnOf(const ColumnStore &store);
    /// The column's kind and values, without its empty cells.
    static Column cellsOf(const ColumnStore &store);
    static void fetchAhead(const Column &column, size_t row);
    static char *writeCell(BlockText &text, char *at, const Column &column, size_t row);
    QByteArray headerLine() const;
    void writeRows(RowBlock &block) const;

    const RecordTable &m_table;
    unsigned m_threads;
    std::vector<Column> m_columns;
    size_t m_rowRoom = 1; // the most bytes a row's number cells, commas and break take
    size_t m_rowsPerBlock = 1;
};

} // namespace zel
