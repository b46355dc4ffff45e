#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace zel {

/// Value type of a record table column.
enum class ColumnType { Integer, LongWord, Real, Text, DateTime, Date, Boolean, Memo, Blob, Bytes };

/// The name a column type is saved under ("integer", "longword", ...).
QString columnTypeName(ColumnType type);

/// The column type saved under \a name, or nothing when the name is unknown (exact match).
std::optional<ColumnType> columnTypeFromName(QStringView name);

/// True for the types held as numbers (integer, longword, real, date-time, date, boolean).
bool isNumericType(ColumnType type);

/// True for the types whose size is significant (text: maximum length; bytes: block size).
bool isSizedType(ColumnType type);

} // namespace zel
