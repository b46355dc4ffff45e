#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace zel {

class RecordTable;

/// A light handle on one column of a table's current row (or of the row being inserted or
/// edited). Reads of a table without a current row give empty values; writes need the
/// table in insert or edit state. Conversions are those of ColumnStore.
class Field
{
public:
    /// Name of the column.
    QString name() const;
    /// True when the cell is empty.
    bool isNull() const;
    /// Empties the cell.
    void clear();
    /// The value as an integer.
    qint64 asInteger() const;
    /// The value as a real (0 when empty).
    double asReal() const;
    /// The value as text.
    QString asText() const;
    /// The value as a date-time (invalid when empty).
    QDateTime asDateTime() const;
    /// The value as a boolean.
    bool asBoolean() const;
    /// The value as bytes.
    QByteArray asBytes() const;
    /// Stores an integer.
    void setInteger(qint64 value);
    /// Stores a real.
    void setReal(double value);
    /// Stores text (cut to a text column's size).
    void setText(const QString &value);
    /// Stores a date-time.
    void setDateTime(const QDateTime &value);
    /// Stores a boolean.
    void setBoolean(bool value);
    /// Stores bytes.
    void setBytes(const QByteArray &value);

private:
    friend class RecordTable;
    Field(RecordTable *table, int column)
        : m_table(table)
        , m_column(column)
    { }

    RecordTable *m_table;
    int m_column;
};

} // namespace zel
