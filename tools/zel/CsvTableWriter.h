#pragma once

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
/// Number cells are written straight from the column values into one buffer, which goes
/// to the sink a piece at a time; only text, date and byte cells are read as text.
class CsvTableWriter
{
public:
    /// Receives the CSV text in order, about kPieceBytes at a time.
    using Sink = std::function<void(QByteArrayView)>;
    static constexpr qsizetype kPieceBytes = qsizetype(1) << 20;

    /// Prepares to write \a table, which must not change while the writer is in use.
    explicit CsvTableWriter(const RecordTable &table);

    /// Writes the CSV text to \a sink; returns the number of rows written.
    int write(const Sink &sink) const;

private:
    enum class CellKind { Real, Integer, LongWord, Boolean, Date, Text, Bytes };
    struct Column
    {
        CellKind kind;
        const ColumnStore *store;
        const void *values; // the typed values of the number kinds, else null
        size_t valueBytes; // the size of one of them
    };
    class Buffer;

    static Column columnOf(const ColumnStore &store);
    static void fetchAhead(const Column &column, size_t row);
    static char *writeCell(Buffer &buffer, char *at, const Column &column, size_t row);

    const RecordTable &m_table;
    std::vector<Column> m_columns;
    size_t m_rowRoom = 1; // the most bytes a row's number cells, commas and break take
};

} // namespace zel
