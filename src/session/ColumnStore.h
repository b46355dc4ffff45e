#pragma once

#include "session/ColumnArena.h"
#include "session/ColumnDef.h"
#include "session/ColumnValues.h"
#include "session/RowBitmap.h"
#include "session/TextCells.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace zel {

/// The values of one record table column: one typed vector, or the text cells of a text or
/// memo column (only the one the type needs), plus a bitmap of empty cells. An empty cell
/// always holds 0 or an empty string, so readers of the raw vectors see 0 for it. Text and
/// memo cells treat the empty string as empty.
class ColumnStore
{
public:
    /// A search value converted to this column's domain (see keyFor).
    struct Key
    {
        bool null = true;
        double number = 0.0;
        QString text;
        QByteArray bytes;
    };

    /// Creates an empty column of the given definition.
    explicit ColumnStore(ColumnDef def);

    /// Name, type and size.
    const ColumnDef &def() const { return m_def; }
    /// The column name.
    const QString &name() const { return m_def.name; }
    /// The column type.
    ColumnType type() const { return m_def.type; }
    /// Number of stored rows.
    size_t rowCount() const { return m_empties.size(); }

    /// Reserves room for \a rows rows.
    void reserve(size_t rows);
    /// Reserves room for \a rows rows in slices of \a arena (see RecordTable::reserveRows).
    void reserveIn(const std::shared_ptr<ColumnArena> &arena, size_t rows);
    /// Bytes of arena that reserveIn takes for \a rows rows of a column of \a def.
    static size_t arenaBytes(const ColumnDef &def, size_t rows);
    /// Appends \a count empty rows.
    void appendEmpty(size_t count = 1);
    /// Appends one row holding \a value, converted as setReal does; on failure nothing is
    /// appended.
    void appendNumber(double value);
    /// appendNumber, with the commonest cell of an import (a real) appended inline.
    void appendNumberFast(double value)
    {
        if (m_def.type == ColumnType::Real || m_def.type == ColumnType::DateTime) {
            m_reals.push_back(value);
            m_empties.pushBack(false);
        } else {
            appendNumber(value);
        }
    }
    /// Appends \a count rows holding \a values, each converted as by appendNumber; on failure
    /// the rows before the failing value stay appended.
    void appendNumbers(const double *values, size_t count);
    /// Keeps the first \a rows rows.
    void truncate(size_t rows);
    /// Removes row \a row.
    void eraseRow(size_t row);
    /// Removes every row.
    void clearRows();
    /// Appends the cells \a rows of \a source, which has the same type and size.
    void appendRows(const ColumnStore &source, const std::vector<uint32_t> &rows);
    /// Overwrites cell \a row with cell \a sourceRow of \a source (same type and size).
    void copyCell(size_t row, const ColumnStore &source, size_t sourceRow);

    /// True when the cell is empty.
    bool isNull(size_t row) const { return m_empties.test(row); }
    /// Empties the cell.
    void setNull(size_t row);

    /// The cell of a numeric column as a double (0 when empty); other types give 0.
    double number(size_t row) const;
    /// The cell of a real or date-time column, read as asReal reads it but without its
    /// type dispatch (0 when empty). Other types must use asReal.
    double realAt(size_t row) const { return m_reals[row]; }
    /// Stores a real in a real or date-time column, as setReal does but without its type
    /// dispatch. Other types must use setReal.
    void setRealAt(size_t row, double value)
    {
        m_reals[row] = value;
        m_empties.set(row, false);
    }
    /// The cell as an integer (reals are rounded half to even).
    qint64 asInteger(size_t row) const;
    /// The cell as a real (0 when empty).
    double asReal(size_t row) const;
    /// The cell as text (numbers in the C locale, shortest form that reads back the same).
    QString asText(size_t row) const;
    /// The cell as a date-time (invalid when empty).
    QDateTime asDateTime(size_t row) const;
    /// The cell as a boolean (numbers: non-zero is true).
    bool asBoolean(size_t row) const;
    /// The cell as bytes (text in UTF-8).
    QByteArray asBytes(size_t row) const;
    /// The cell as a variant (invalid when empty), for copies between columns of other types.
    QVariant value(size_t row) const;

    /// Stores an integer; integer and longword columns refuse values outside their range.
    void setInteger(size_t row, qint64 value);
    /// Stores a real; integer columns round it half to even and refuse it outside their range.
    void setReal(size_t row, double value);
    /// Stores text; number columns parse it; text is cut to the column size; "" empties the cell.
    void setText(size_t row, const QString &value);
    /// Stores a date-time (date columns keep the date only); an invalid one empties the cell.
    void setDateTime(size_t row, const QDateTime &value);
    /// Stores a boolean.
    void setBoolean(size_t row, bool value);
    /// Stores bytes; bytes columns pad or cut them to the block size.
    void setBytes(size_t row, const QByteArray &value);
    /// Stores a variant by its own type; an invalid or null variant empties the cell.
    void setValue(size_t row, const QVariant &value);

    /// Orders two cells: empty first, then NaN, then values; text without regard to case first.
    int compareRows(size_t a, size_t b) const;
    /// Converts a search value to this column's domain, or nothing when it cannot be one.
    std::optional<Key> keyFor(const QVariant &value) const;
    /// Orders a cell against a key, as compareRows does.
    int compareToKey(size_t row, const Key &key) const;

    /// Values of a real, date-time or date column (empty for other types).
    std::span<const double> reals() const { return m_reals; }
    /// Values of an integer column (empty for other types).
    std::span<const int32_t> integers() const { return m_integers; }
    /// Values of a longword column (empty for other types).
    std::span<const uint32_t> longWords() const { return m_longWords; }
    /// Values of a boolean column, 0 or 1 (empty for other types).
    std::span<const uint8_t> booleans() const { return m_booleans; }
    /// Empty cells.
    const RowBitmap &empties() const { return m_empties; }

    /// Values of a fixed-width column as saved (little-endian), or null for variable-width types.
    const void *fixedData() const;
    /// Byte size of a fixed-width column's values.
    size_t fixedDataSize() const;
    /// Replaces \a out with the values of a variable-width column as saved: per row a uint32
    /// length and the bytes (\a out keeps its room, so one buffer can serve many columns).
    void encodeVariableData(QByteArray &out) const;
    /// Replaces the rows with \a rows rows read from saved data and empties (null when the
    /// column has no empty cell); throws RecordTableError with the reason when they do not
    /// fit the column. With an \a arena the values go into a slice of it.
    void loadData(const unsigned char *data, size_t dataSize, const unsigned char *empties,
        size_t emptiesSize, size_t rows, const std::shared_ptr<ColumnArena> &arena = {});
    /// Copies \a size bytes of saved values into \a target.
    using DataReader = std::function<void(void *target, size_t size)>;
    /// As loadData for a fixed-width column whose \a dataSize bytes of values \a read
    /// copies straight into the column, so that they are not copied twice.
    void loadFixedData(const DataReader &read, size_t dataSize, const unsigned char *empties,
        size_t emptiesSize, size_t rows, const std::shared_ptr<ColumnArena> &arena = {});

private:
    [[noreturn]] void fail(const QString &reason) const;
    void checkEmptiesSize(const unsigned char *empties, size_t emptiesSize, size_t rows) const;
    void applyEmpties(const unsigned char *empties, size_t emptiesSize, size_t rows);
    void storeNumber(size_t row, double value);
    void storeText(size_t row, const QString &value);
    void storeBytes(size_t row, const QByteArray &value);
    double parseNumber(const QString &text) const;
    bool isVariableWidth() const;
    static const void *valuesOf(const ColumnStore &store);
    template <typename Self, typename F> static decltype(auto) visitValues(Self &self, F &&f);
    template <typename Self, typename F> static decltype(auto) visitNumbers(Self &self, F &&f);

    ColumnDef m_def;
    ColumnValues<int32_t> m_integers;
    ColumnValues<uint32_t> m_longWords;
    ColumnValues<double> m_reals;
    ColumnValues<uint8_t> m_booleans;
    TextCells m_texts;
    std::vector<QByteArray> m_bytes;
    RowBitmap m_empties;
};

} // namespace zel
