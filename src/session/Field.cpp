#include "session/Field.h"

#include "session/RecordTable.h"

namespace zel {

QString Field::name() const
{
    return m_table->column(m_column).name;
}

bool Field::isNull() const
{
    int row = -1;
    const ColumnStore &column = m_table->readColumn(m_column, row);
    return row < 0 || column.isNull(size_t(row));
}

void Field::clear()
{
    int row = -1;
    m_table->writeColumn(m_column, row).setNull(size_t(row));
}

qint64 Field::asInteger() const
{
    int row = -1;
    const ColumnStore &column = m_table->readColumn(m_column, row);
    return row < 0 ? 0 : column.asInteger(size_t(row));
}

double Field::asReal() const
{
    int row = -1;
    const ColumnStore &column = m_table->readColumn(m_column, row);
    return row < 0 ? 0.0 : column.asReal(size_t(row));
}

QString Field::asText() const
{
    int row = -1;
    const ColumnStore &column = m_table->readColumn(m_column, row);
    return row < 0 ? QString() : column.asText(size_t(row));
}

QDateTime Field::asDateTime() const
{
    int row = -1;
    const ColumnStore &column = m_table->readColumn(m_column, row);
    return row < 0 ? QDateTime() : column.asDateTime(size_t(row));
}

bool Field::asBoolean() const
{
    int row = -1;
    const ColumnStore &column = m_table->readColumn(m_column, row);
    return row >= 0 && column.asBoolean(size_t(row));
}

QByteArray Field::asBytes() const
{
    int row = -1;
    const ColumnStore &column = m_table->readColumn(m_column, row);
    return row < 0 ? QByteArray() : column.asBytes(size_t(row));
}

void Field::setInteger(qint64 value)
{
    int row = -1;
    m_table->writeColumn(m_column, row).setInteger(size_t(row), value);
}

void Field::setReal(double value)
{
    int row = -1;
    m_table->writeColumn(m_column, row).setReal(size_t(row), value);
}

void Field::setText(const QString &value)
{
    int row = -1;
    m_table->writeColumn(m_column, row).setText(size_t(row), value);
}

void Field::setDateTime(const QDateTime &value)
{
    int row = -1;
    m_table->writeColumn(m_column, row).setDateTime(size_t(row), value);
}

void Field::setBoolean(bool value)
{
    int row = -1;
    m_table->writeColumn(m_column, row).setBoolean(size_t(row), value);
}

void Field::setBytes(const QByteArray &value)
{
    int row = -1;
    m_table->writeColumn(m_column, row).setBytes(size_t(row), value);
}

} // namespace zel
