#include "session/ColumnStore.h"

#include "common/DateTimeValue.h"
#include "session/NumberText.h"
#include "session/RecordTableError.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

namespace zel {

static_assert(std::endian::native == std::endian::little,
    "column values are written to files straight from memory");

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

// A total order for sorting and binary search: NaN sorts before every number and equals NaN.
int compareNumbers(double a, double b)
{
    const bool aNan = std::isnan(a);
    const bool bNan = std::isnan(b);
    if (aNan || bNan)
        return aNan == bNan ? 0 : (aNan ? -1 : 1);
    return (a > b) - (a < b);
}

int compareTexts(const QString &a, const QString &b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return sign(folded != 0 ? folded : QString::compare(a, b, Qt::CaseSensitive));
}

int compareBytes(const QByteArray &a, const QByteArray &b)
{
    return sign(a.compare(b));
}

// Cuts at a character boundary so that no half surrogate pair is left behind.
QString cutText(const QString &text, int size)
{
    if (text.size() <= size)
        return text;
    int length = size;
    if (length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

QString dateTimeText(const QDateTime &value, bool dateOnly)
{
    if (dateOnly)
        return value.date().toString(Qt::ISODate);
    const bool wholeSecond = value.time().msec() == 0;
    return value.toString(wholeSecond ? QStringLiteral("yyyy-MM-dd hh:mm:ss")
                                      : QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

std::optional<QDateTime> dateTimeFromText(const QString &text)
{
    QString iso = text.trimmed();
    if (iso.size() > 10 && iso.at(10) == QLatin1Char(' '))
        iso[10] = QLatin1Char('T');
    QDateTime value = QDateTime::fromString(iso, Qt::ISODateWithMs);
    if (!value.isValid()) {
        const QDate date = QDate::fromString(iso, Qt::ISODate);
        if (date.isValid())
            value = QDateTime(date, QTime(0, 0));
    }
    if (!value.isValid())
        return std::nullopt;
    return value;
}

std::optional<bool> booleanFromText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    if (const auto number = numberFromText(trimmed))
        return *number != 0.0;
    return std::nullopt;
}

QString booleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

double daysOf(const QDateTime &value, bool dateOnly)
{
    const double days = daysFromDateTime(value);
    return dateOnly ? std::trunc(days) : days;
}

void appendLength(QByteArray &out, uint32_t length)
{
    char bytes[4];
    std::memcpy(bytes, &length, 4);
    out.append(bytes, 4);
}

template <typename Values>
void gather(Values &target, const Values &source, const std::vector<uint32_t> &rows)
{
    // Room is reserved first, so reading from the same vector stays valid while appending.
    target.reserve(target.size() + rows.size());
    for (uint32_t row : rows)
        target.push_back(source[row]);
}

// Text cells keep their own layout; every other column keeps a std::vector of its values.
template <typename Values>
constexpr bool isTextCells = std::is_same_v<std::decay_t<Values>, TextCells>;

// Calls f(first, count) for each run of consecutive row numbers in rows, in order.
template <typename F> void forEachRun(const std::vector<uint32_t> &rows, F &&f)
{
    for (size_t i = 0; i < rows.size();) {
        size_t j = i + 1;
        while (j < rows.size() && rows[j] == rows[j - 1] + 1)
            ++j;
        f(rows[i], j - i);
        i = j;
    }
}

} // namespace

template <typename Self, typename F> decltype(auto) ColumnStore::visitValues(Self &self, F &&f)
{
    switch (self.m_def.type) {
    case ColumnType::Integer:
        return f(self.m_integers);
    case ColumnType::LongWord:
        return f(self.m_longWords);
    case ColumnType::Real:
    case ColumnType::DateTime:
    case ColumnType::Date:
        return f(self.m_reals);
    case ColumnType::Boolean:
        return f(self.m_booleans);
    case ColumnType::Text:
    case ColumnType::Memo:
        return f(self.m_texts);
    case ColumnType::Blob:
    case ColumnType::Bytes:
        break;
    }
    return f(self.m_bytes);
}

// Only for the fixed-width types: their values are saved and loaded straight from memory.
template <typename Self, typename F> decltype(auto) ColumnStore::visitNumbers(Self &self, F &&f)
{
    switch (self.m_def.type) {
    case ColumnType::Integer:
        return f(self.m_integers);
    case ColumnType::LongWord:
        return f(self.m_longWords);
    case ColumnType::Boolean:
        return f(self.m_booleans);
    default:
        return f(self.m_reals);
    }
}

ColumnStore::ColumnStore(ColumnDef def)
    : m_def(std::move(def))
{ }

void ColumnStore::fail(const QString &reason) const
{
    throw RecordTableError(QStringLiteral("Column '%1': %2").arg(m_def.name, reason));
}

bool ColumnStore::isVariableWidth() const
{
    return !isNumericType(m_def.type);
}

void ColumnStore::reserve(size_t rows)
{
    // Text cells take room as texts arrive.
    visitValues(*this, [rows](auto &values) {
        if constexpr (!isTextCells<decltype(values)>)
            values.reserve(rows);
    });
    m_empties.reserve(rows);
}

void ColumnStore::reserveIn(const std::shared_ptr<ColumnArena> &arena, size_t rows)
{
    visitValues(*this, [&](auto &values) {
        if constexpr (requires { values.reserveIn(arena, rows); })
            values.reserveIn(arena, rows);
        else if constexpr (!isTextCells<decltype(values)>)
            values.reserve(rows);
    });
    m_empties.reserveIn(arena, rows);
}

size_t ColumnStore::arenaBytes(const ColumnDef &def, size_t rows)
{
    // Slices are rounded up to cache lines.
    const auto slice = [](size_t bytes) { return (bytes + 63) / 64 * 64; };
    size_t valueBytes = 0;
    switch (def.type) {
    case ColumnType::Integer:
    case ColumnType::LongWord:
        valueBytes = rows * 4;
        break;
    case ColumnType::Real:
    case ColumnType::DateTime:
    case ColumnType::Date:
        valueBytes = rows * 8;
        break;
    case ColumnType::Boolean:
        valueBytes = rows;
        break;
    case ColumnType::Text:
    case ColumnType::Memo:
    case ColumnType::Blob:
    case ColumnType::Bytes:
        break; // their values live on the heap
    }
    return slice(valueBytes) + slice(RowBitmap::bytesFor(rows));
}

void ColumnStore::appendEmpty(size_t count)
{
    if (count == 1) {
        visitValues(*this, [](auto &values) {
            if constexpr (isTextCells<decltype(values)>)
                values.appendEmpty();
            else
                values.emplace_back();
        });
        m_empties.pushBack(true);
        return;
    }
    visitValues(*this, [count](auto &values) { values.resize(values.size() + count); });
    m_empties.append(count, true);
}

void ColumnStore::appendNumber(double value)
{
    // Reals and integers, the cells of a bulk import, are appended in one step; every other
    // type goes through the general conversion.
    switch (m_def.type) {
    case ColumnType::Real:
    case ColumnType::DateTime:
        m_reals.push_back(value);
        break;
    case ColumnType::Integer: {
        const double whole = std::nearbyint(value);
        if (!(whole >= std::numeric_limits<int32_t>::min()
                && whole <= std::numeric_limits<int32_t>::max()))
            fail(QStringLiteral("%1 is outside the integer range").arg(textFromNumber(value)));
        m_integers.push_back(static_cast<int32_t>(whole));
        break;
    }
    default:
        appendEmpty();
        try {
            storeNumber(rowCount() - 1, value);
        } catch (...) {
            truncate(rowCount() - 1);
            throw;
        }
        return;
    }
    m_empties.pushBack(false);
}

void ColumnStore::appendNumbers(const double *values, size_t count)
{
    if (m_def.type == ColumnType::Real || m_def.type == ColumnType::DateTime) {
        m_reals.append(values, count);
        m_empties.append(count, false);
        return;
    }
    if (m_def.type == ColumnType::Integer) {
        // The whole run is converted before any of it is marked, so that a failing value
        // leaves exactly the rows before it.
        size_t done = 0;
        for (; done < count; ++done) {
            const double whole = std::nearbyint(values[done]);
            if (!(whole >= std::numeric_limits<int32_t>::min()
                    && whole <= std::numeric_limits<int32_t>::max()))
                break;
            m_integers.push_back(static_cast<int32_t>(whole));
        }
        m_empties.append(done, false);
        if (done < count)
            appendNumber(values[done]); // reports the value as a single append does
        return;
    }
    for (size_t i = 0; i < count; ++i)
        appendNumber(values[i]);
}

void ColumnStore::truncate(size_t rows)
{
    if (rows >= rowCount())
        return;
    visitValues(*this, [rows](auto &values) { values.resize(rows); });
    m_empties.truncate(rows);
}

void ColumnStore::eraseRow(size_t row)
{
    visitValues(*this, [row](auto &values) {
        if constexpr (isTextCells<decltype(values)>)
            values.erase(row);
        else
            values.erase(values.begin() + ptrdiff_t(row));
    });
    m_empties.erase(row);
}

void ColumnStore::clearRows()
{
    visitValues(*this, [](auto &values) {
        values.clear();
        if constexpr (!isTextCells<decltype(values)>)
            values.shrink_to_fit();
    });
    m_empties.clear();
}

void ColumnStore::appendRows(const ColumnStore &source, const std::vector<uint32_t> &rows)
{
    const size_t oldRows = rowCount();
    visitValues(*this, [&](auto &values) {
        using Values = std::decay_t<decltype(values)>;
        const Values &from = *static_cast<const Values *>(valuesOf(source));
        if constexpr (isTextCells<Values>) {
            values.appendRows(from, rows);
        } else if (&source == this) {
            gather(values, from, rows);
        } else {
            // Views are mostly long runs of consecutive rows: each run is copied as a block.
            values.reserve(values.size() + rows.size());
            forEachRun(rows, [&](uint32_t first, size_t count) {
                values.insert(
                    values.end(), from.begin() + first, from.begin() + first + ptrdiff_t(count));
            });
        }
    });
    if (&source == this) {
        m_empties.reserve(oldRows + rows.size());
        for (uint32_t row : rows)
            m_empties.pushBack(source.m_empties.test(row));
        return;
    }
    forEachRun(rows, [&](uint32_t first, size_t count) {
        m_empties.appendRange(source.m_empties, first, count);
    });
}

void ColumnStore::copyCell(size_t row, const ColumnStore &source, size_t sourceRow)
{
    visitValues(*this, [&](auto &values) {
        using Values = std::decay_t<decltype(values)>;
        const auto &value = (*static_cast<const Values *>(valuesOf(source)))[sourceRow];
        if constexpr (isTextCells<Values>)
            values.set(row, value);
        else
            values[row] = value;
    });
    m_empties.set(row, source.m_empties.test(sourceRow));
}

const void *ColumnStore::valuesOf(const ColumnStore &store)
{
    return visitValues(store, [](const auto &values) -> const void * { return &values; });
}

void ColumnStore::setNull(size_t row)
{
    visitValues(*this, [row](auto &values) {
        if constexpr (isTextCells<decltype(values)>)
            values.set(row, {});
        else
            values[row] = {};
    });
    m_empties.set(row, true);
}

double ColumnStore::number(size_t row) const
{
    switch (m_def.type) {
    case ColumnType::Integer:
        return m_integers[row];
    case ColumnType::LongWord:
        return m_longWords[row];
    case ColumnType::Real:
    case ColumnType::DateTime:
    case ColumnType::Date:
        return m_reals[row];
    case ColumnType::Boolean:
        return m_booleans[row];
    default:
        return 0.0;
    }
}

double ColumnStore::parseNumber(const QString &text) const
{
    const auto number = numberFromText(text);
    if (!number)
        fail(QStringLiteral("'%1' is not a number").arg(text));
    return *number;
}

qint64 ColumnStore::asInteger(size_t row) const
{
    switch (m_def.type) {
    case ColumnType::Integer:
        return m_integers[row];
    case ColumnType::LongWord:
        return m_longWords[row];
    case ColumnType::Boolean:
        return m_booleans[row];
    default:
        break;
    }
    const double value = std::nearbyint(asReal(row));
    // 2^63 is exactly representable; anything at or past it does not fit a qint64.
    if (!std::isfinite(value) || value >= 9223372036854775808.0 || value < -9223372036854775808.0)
        fail(QStringLiteral("%1 is not a whole number in range").arg(textFromNumber(value)));
    return static_cast<qint64>(value);
}

double ColumnStore::asReal(size_t row) const
{
    if (isNumericType(m_def.type))
        return number(row);
    if (m_def.type == ColumnType::Blob || m_def.type == ColumnType::Bytes)
        fail(QStringLiteral("%1 values are not numbers").arg(columnTypeName(m_def.type)));
    return isNull(row) ? 0.0 : parseNumber(m_texts[row]);
}

QString ColumnStore::asText(size_t row) const
{
    if (isNull(row))
        return {};
    switch (m_def.type) {
    case ColumnType::Integer:
        return QString::number(m_integers[row]);
    case ColumnType::LongWord:
        return QString::number(m_longWords[row]);
    case ColumnType::Real:
        return textFromNumber(m_reals[row]);
    case ColumnType::DateTime:
    case ColumnType::Date: {
        const QDateTime value = dateTimeFromDays(m_reals[row]);
        // Values beyond the calendar helper's range still show as their number of days.
        return value.isValid() ? dateTimeText(value, m_def.type == ColumnType::Date)
                               : textFromNumber(m_reals[row]);
    }
    case ColumnType::Boolean:
        return booleanText(m_booleans[row]);
    case ColumnType::Text:
    case ColumnType::Memo:
        return m_texts[row];
    case ColumnType::Blob:
    case ColumnType::Bytes:
        break;
    }
    return QString::fromUtf8(m_bytes[row]);
}

QDateTime ColumnStore::asDateTime(size_t row) const
{
    if (isNull(row))
        return {};
    switch (m_def.type) {
    case ColumnType::Integer:
    case ColumnType::LongWord:
    case ColumnType::Real:
    case ColumnType::DateTime:
    case ColumnType::Date:
        return dateTimeFromDays(number(row));
    case ColumnType::Text:
    case ColumnType::Memo:
        if (const auto value = dateTimeFromText(m_texts[row]))
            return *value;
        fail(QStringLiteral("'%1' is not a date-time").arg(m_texts[row]));
    default:
        fail(QStringLiteral("%1 values are not date-times").arg(columnTypeName(m_def.type)));
    }
}

bool ColumnStore::asBoolean(size_t row) const
{
    if (isNull(row))
        return false;
    if (isNumericType(m_def.type))
        return number(row) != 0.0;
    if (m_def.type == ColumnType::Text || m_def.type == ColumnType::Memo) {
        if (const auto value = booleanFromText(m_texts[row]))
            return *value;
        fail(QStringLiteral("'%1' is not a boolean").arg(m_texts[row]));
    }
    fail(QStringLiteral("%1 values are not booleans").arg(columnTypeName(m_def.type)));
}

QByteArray ColumnStore::asBytes(size_t row) const
{
    switch (m_def.type) {
    case ColumnType::Blob:
    case ColumnType::Bytes:
        return m_bytes[row];
    case ColumnType::Text:
    case ColumnType::Memo:
        return m_texts[row].toUtf8();
    default:
        fail(QStringLiteral("%1 values are not bytes").arg(columnTypeName(m_def.type)));
    }
}

QVariant ColumnStore::value(size_t row) const
{
    if (isNull(row))
        return {};
    switch (m_def.type) {
    case ColumnType::Integer:
        return m_integers[row];
    case ColumnType::LongWord:
        return m_longWords[row];
    case ColumnType::Real:
        return m_reals[row];
    case ColumnType::DateTime:
    case ColumnType::Date:
        return dateTimeFromDays(m_reals[row]);
    case ColumnType::Boolean:
        return bool(m_booleans[row]);
    case ColumnType::Text:
    case ColumnType::Memo:
        return m_texts[row];
    case ColumnType::Blob:
    case ColumnType::Bytes:
        break;
    }
    return m_bytes[row];
}

void ColumnStore::storeNumber(size_t row, double value)
{
    switch (m_def.type) {
    case ColumnType::Integer: {
        const double whole = std::nearbyint(value);
        if (!(whole >= std::numeric_limits<int32_t>::min()
                && whole <= std::numeric_limits<int32_t>::max()))
            fail(QStringLiteral("%1 is outside the integer range").arg(textFromNumber(value)));
        m_integers[row] = static_cast<int32_t>(whole);
        break;
    }
    case ColumnType::LongWord: {
        const double whole = std::nearbyint(value);
        if (!(whole >= 0.0 && whole <= std::numeric_limits<uint32_t>::max()))
            fail(QStringLiteral("%1 is outside the longword range").arg(textFromNumber(value)));
        m_longWords[row] = static_cast<uint32_t>(whole);
        break;
    }
    case ColumnType::Real:
    case ColumnType::DateTime:
        m_reals[row] = value;
        break;
    case ColumnType::Date:
        m_reals[row] = std::trunc(value);
        break;
    case ColumnType::Boolean:
        m_booleans[row] = value != 0.0;
        break;
    case ColumnType::Text:
    case ColumnType::Memo:
        storeText(row, textFromNumber(value));
        return;
    case ColumnType::Blob:
    case ColumnType::Bytes:
        fail(QStringLiteral("%1 columns do not hold numbers").arg(columnTypeName(m_def.type)));
    }
    m_empties.set(row, false);
}

void ColumnStore::storeText(size_t row, const QString &value)
{
    if (value.isEmpty()) {
        setNull(row);
        return;
    }
    m_texts.set(row, m_def.type == ColumnType::Text ? cutText(value, m_def.size) : value);
    m_empties.set(row, false);
}

void ColumnStore::storeBytes(size_t row, const QByteArray &value)
{
    if (value.isEmpty()) {
        setNull(row);
        return;
    }
    QByteArray block = value;
    if (m_def.type == ColumnType::Bytes) {
        // A bytes column holds blocks of exactly its size.
        block.resize(m_def.size, '\0');
    }
    m_bytes[row] = block;
    m_empties.set(row, false);
}

void ColumnStore::setInteger(size_t row, qint64 value)
{
    if (m_def.type == ColumnType::Integer) {
        if (value < std::numeric_limits<int32_t>::min()
            || value > std::numeric_limits<int32_t>::max())
            fail(QStringLiteral("%1 is outside the integer range").arg(value));
        m_integers[row] = static_cast<int32_t>(value);
        m_empties.set(row, false);
    } else if (m_def.type == ColumnType::LongWord) {
        if (value < 0 || value > std::numeric_limits<uint32_t>::max())
            fail(QStringLiteral("%1 is outside the longword range").arg(value));
        m_longWords[row] = static_cast<uint32_t>(value);
        m_empties.set(row, false);
    } else if (m_def.type == ColumnType::Text || m_def.type == ColumnType::Memo) {
        storeText(row, QString::number(value));
    } else {
        storeNumber(row, double(value));
    }
}

void ColumnStore::setReal(size_t row, double value)
{
    storeNumber(row, value);
}

void ColumnStore::setText(size_t row, const QString &value)
{
    switch (m_def.type) {
    case ColumnType::Text:
    case ColumnType::Memo:
        storeText(row, value);
        return;
    case ColumnType::Blob:
    case ColumnType::Bytes:
        storeBytes(row, value.toUtf8());
        return;
    default:
        break;
    }
    if (value.trimmed().isEmpty()) {
        setNull(row);
    } else if (m_def.type == ColumnType::Boolean) {
        const auto flag = booleanFromText(value);
        if (!flag)
            fail(QStringLiteral("'%1' is not a boolean").arg(value));
        storeNumber(row, *flag ? 1.0 : 0.0);
    } else if (m_def.type == ColumnType::DateTime || m_def.type == ColumnType::Date) {
        if (const auto number = numberFromText(value))
            storeNumber(row, *number);
        else if (const auto dateTime = dateTimeFromText(value))
            storeNumber(row, daysFromDateTime(*dateTime));
        else
            fail(QStringLiteral("'%1' is not a date-time").arg(value));
    } else {
        storeNumber(row, parseNumber(value));
    }
}

void ColumnStore::setDateTime(size_t row, const QDateTime &value)
{
    if (!value.isValid()) {
        setNull(row);
        return;
    }
    switch (m_def.type) {
    case ColumnType::Real:
    case ColumnType::DateTime:
    case ColumnType::Date:
        storeNumber(row, daysOf(value, m_def.type == ColumnType::Date));
        return;
    case ColumnType::Text:
    case ColumnType::Memo:
        storeText(row, dateTimeText(value, false));
        return;
    default:
        fail(QStringLiteral("%1 columns do not hold date-times").arg(columnTypeName(m_def.type)));
    }
}

void ColumnStore::setBoolean(size_t row, bool value)
{
    if (m_def.type == ColumnType::Text || m_def.type == ColumnType::Memo)
        storeText(row, booleanText(value));
    else
        storeNumber(row, value ? 1.0 : 0.0);
}

void ColumnStore::setBytes(size_t row, const QByteArray &value)
{
    switch (m_def.type) {
    case ColumnType::Blob:
    case ColumnType::Bytes:
        storeBytes(row, value);
        return;
    case ColumnType::Text:
    case ColumnType::Memo:
        storeText(row, QString::fromUtf8(value));
        return;
    default:
        fail(QStringLiteral("%1 columns do not hold bytes").arg(columnTypeName(m_def.type)));
    }
}

void ColumnStore::setValue(size_t row, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        setNull(row);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        setBoolean(row, value.toBool());
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        setInteger(row, value.toLongLong());
        return;
    case QMetaType::ULongLong:
        setReal(row, double(value.toULongLong()));
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        setReal(row, value.toDouble());
        return;
    case QMetaType::QDateTime:
        setDateTime(row, value.toDateTime());
        return;
    case QMetaType::QDate:
        setDateTime(row, QDateTime(value.toDate(), QTime(0, 0)));
        return;
    case QMetaType::QByteArray:
        setBytes(row, value.toByteArray());
        return;
    default:
        setText(row, value.toString());
    }
}

int ColumnStore::compareRows(size_t a, size_t b) const
{
    const bool aNull = isNull(a);
    const bool bNull = isNull(b);
    if (aNull || bNull)
        return aNull == bNull ? 0 : (aNull ? -1 : 1);
    switch (m_def.type) {
    case ColumnType::Integer:
        return (m_integers[a] > m_integers[b]) - (m_integers[a] < m_integers[b]);
    case ColumnType::Text:
    case ColumnType::Memo:
        return compareTexts(m_texts[a], m_texts[b]);
    case ColumnType::Blob:
    case ColumnType::Bytes:
        return compareBytes(m_bytes[a], m_bytes[b]);
    default:
        return compareNumbers(number(a), number(b));
    }
}

std::optional<ColumnStore::Key> ColumnStore::keyFor(const QVariant &value) const
{
    Key key;
    if (!value.isValid() || value.isNull())
        return key;
    key.null = false;
    const int typeId = value.typeId();
    const bool dateOnly = m_def.type == ColumnType::Date;
    switch (m_def.type) {
    case ColumnType::Text:
    case ColumnType::Memo:
        if (typeId == QMetaType::Double || typeId == QMetaType::Float)
            key.text = textFromNumber(value.toDouble());
        else if (typeId == QMetaType::Bool)
            key.text = booleanText(value.toBool());
        else if (typeId == QMetaType::QDateTime)
            key.text = dateTimeText(value.toDateTime(), false);
        else if (typeId == QMetaType::QByteArray)
            key.text = QString::fromUtf8(value.toByteArray());
        else
            key.text = value.toString();
        key.null = key.text.isEmpty();
        return key;
    case ColumnType::Blob:
    case ColumnType::Bytes:
        if (typeId == QMetaType::QByteArray)
            key.bytes = value.toByteArray();
        else if (typeId == QMetaType::QString)
            key.bytes = value.toString().toUtf8();
        else
            return std::nullopt;
        key.null = key.bytes.isEmpty();
        return key;
    default:
        break;
    }
    if (typeId == QMetaType::QDateTime) {
        key.number = daysOf(value.toDateTime(), dateOnly);
    } else if (typeId == QMetaType::QDate) {
        key.number = daysOf(QDateTime(value.toDate(), QTime(0, 0)), dateOnly);
    } else if (typeId == QMetaType::QString) {
        const QString text = value.toString();
        std::optional<double> number = numberFromText(text);
        if (!number && m_def.type == ColumnType::Boolean) {
            if (const auto flag = booleanFromText(text))
                number = *flag ? 1.0 : 0.0;
        }
        if (!number && (m_def.type == ColumnType::DateTime || dateOnly)) {
            if (const auto dateTime = dateTimeFromText(text))
                number = daysOf(*dateTime, dateOnly);
        }
        if (!number)
            return std::nullopt;
        key.number = *number;
    } else {
        bool ok = false;
        key.number = value.toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    return key;
}

int ColumnStore::compareToKey(size_t row, const Key &key) const
{
    const bool cellNull = isNull(row);
    if (cellNull || key.null)
        return cellNull == key.null ? 0 : (cellNull ? -1 : 1);
    switch (m_def.type) {
    case ColumnType::Text:
    case ColumnType::Memo:
        return compareTexts(m_texts[row], key.text);
    case ColumnType::Blob:
    case ColumnType::Bytes:
        return compareBytes(m_bytes[row], key.bytes);
    default:
        return compareNumbers(number(row), key.number);
    }
}

const void *ColumnStore::fixedData() const
{
    if (isVariableWidth())
        return nullptr;
    return visitNumbers(*this, [](const auto &values) -> const void * { return values.data(); });
}

size_t ColumnStore::fixedDataSize() const
{
    if (isVariableWidth())
        return 0;
    return visitNumbers(*this, [](const auto &values) -> size_t {
        return values.size() * sizeof(typename std::decay_t<decltype(values)>::value_type);
    });
}

void ColumnStore::encodeVariableData(QByteArray &out) const
{
    out.resize(0);
    const size_t rows = rowCount();
    if (m_def.type == ColumnType::Text || m_def.type == ColumnType::Memo) {
        // Most cells of a session log's text columns are empty: their four zero bytes are
        // laid down at once, and only the texts are encoded.
        out.reserve(qsizetype(rows) * 4);
        for (size_t row = 0; row < rows;) {
            size_t empty = row;
            while (empty < rows && m_texts.isEmpty(empty))
                ++empty;
            if (empty > row) {
                out.append(qsizetype(empty - row) * 4, '\0');
                row = empty;
                continue;
            }
            const QByteArray utf8 = m_texts[row].toUtf8();
            appendLength(out, uint32_t(utf8.size()));
            out.append(utf8);
            ++row;
        }
    } else {
        for (size_t row = 0; row < rows; ++row) {
            appendLength(out, uint32_t(m_bytes[row].size()));
            out.append(m_bytes[row]);
        }
    }
}

void ColumnStore::checkEmptiesSize(
    const unsigned char *empties, size_t emptiesSize, size_t rows) const
{
    if (empties && emptiesSize != (rows + 7) / 8) {
        fail(QStringLiteral("empty-cell map holds %1 bytes where %2 rows need %3")
                 .arg(emptiesSize)
                 .arg(rows)
                 .arg((rows + 7) / 8));
    }
}

void ColumnStore::applyEmpties(const unsigned char *empties, size_t emptiesSize, size_t rows)
{
    if (!empties)
        return;
    // A session log's text columns are empty in nearly every row: one pass over the set
    // bits, with the value type chosen once.
    visitValues(*this, [&](auto &values) {
        for (size_t byte = 0; byte < emptiesSize; ++byte) {
            for (unsigned bits = empties[byte]; bits != 0; bits &= bits - 1) {
                const size_t row = byte * 8 + size_t(std::countr_zero(bits));
                if (row >= rows)
                    return;
                if constexpr (isTextCells<decltype(values)>) {
                    if (!values.isEmpty(row))
                        values.set(row, {});
                } else {
                    values[row] = {};
                }
                m_empties.set(row, true);
            }
        }
    });
}

void ColumnStore::loadFixedData(const DataReader &read, size_t dataSize,
    const unsigned char *empties, size_t emptiesSize, size_t rows,
    const std::shared_ptr<ColumnArena> &arena)
{
    clearRows();
    checkEmptiesSize(empties, emptiesSize, rows);
    if (isVariableWidth())
        fail(QStringLiteral("values of variable width cannot be read as fixed-width values"));
    visitNumbers(*this, [&](auto &values) {
        using Value = typename std::decay_t<decltype(values)>::value_type;
        if (dataSize != rows * sizeof(Value)) {
            fail(QStringLiteral("data holds %1 bytes where %2 rows need %3")
                     .arg(dataSize)
                     .arg(rows)
                     .arg(rows * sizeof(Value)));
        }
        values.reserveIn(arena, rows);
        values.resizeUninitialized(rows);
        if (dataSize)
            read(values.data(), dataSize);
    });
    if (m_def.type == ColumnType::Boolean) {
        for (size_t row = 0; row < rows; ++row) {
            if (m_booleans[row] > 1) {
                const unsigned value = m_booleans[row];
                clearRows();
                fail(QStringLiteral("row %1 holds %2, not a boolean").arg(row).arg(value));
            }
        }
    }
    m_empties.reserveIn(arena, rows);
    m_empties.append(rows, false);
    applyEmpties(empties, emptiesSize, rows);
}

void ColumnStore::loadData(const unsigned char *data, size_t dataSize, const unsigned char *empties,
    size_t emptiesSize, size_t rows, const std::shared_ptr<ColumnArena> &arena)
{
    if (!isVariableWidth()) {
        loadFixedData([data](void *target, size_t size) { std::memcpy(target, data, size); },
            dataSize, empties, emptiesSize, rows, arena);
        return;
    }
    clearRows();
    checkEmptiesSize(empties, emptiesSize, rows);
    // Every row needs at least its 4-byte length, so a row count that the data cannot
    // hold is refused before any room is reserved for it.
    if (dataSize / 4 < rows)
        fail(QStringLiteral("data of %1 bytes is too short for %2 rows").arg(dataSize).arg(rows));
    const bool isText = m_def.type == ColumnType::Text || m_def.type == ColumnType::Memo;
    visitValues(*this, [rows](auto &values) { values.resize(rows); });
    m_empties.reserveIn(arena, rows);
    m_empties.append(rows, false);
    size_t offset = 0;
    for (size_t row = 0; row < rows; ++row) {
        if (dataSize - offset < 4)
            fail(QStringLiteral("data ends inside the length of row %1").arg(row));
        uint32_t length = 0;
        std::memcpy(&length, data + offset, 4);
        offset += 4;
        if (length > dataSize - offset)
            fail(QStringLiteral("row %1 claims %2 bytes past the end of the data")
                     .arg(row)
                     .arg(length));
        const char *bytes = reinterpret_cast<const char *>(data + offset);
        offset += length;
        if (length == 0) {
            m_empties.set(row, true);
            continue;
        }
        if (isText) {
            QString text = QString::fromUtf8(bytes, qsizetype(length));
            if (m_def.type == ColumnType::Text && text.size() > m_def.size)
                fail(
                    QStringLiteral("row %1 is longer than %2 characters").arg(row).arg(m_def.size));
            m_texts.set(row, std::move(text));
        } else {
            if (m_def.type == ColumnType::Bytes && length != uint32_t(m_def.size))
                fail(QStringLiteral("row %1 holds %2 bytes, not %3")
                         .arg(row)
                         .arg(length)
                         .arg(m_def.size));
            m_bytes[row] = QByteArray(bytes, qsizetype(length));
        }
    }
    if (offset != dataSize)
        fail(QStringLiteral("data has %1 bytes after the last row").arg(dataSize - offset));
    applyEmpties(empties, emptiesSize, rows);
}
} // namespace zel
