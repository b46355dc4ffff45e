#include "session/ColumnType.h"

#include <array>

namespace zel {

namespace {
constexpr std::array<const char *, 10> kTypeNames = {
    "integer",
    "longword",
    "real",
    "text",
    "datetime",
    "date",
    "boolean",
    "memo",
    "blob",
    "bytes",
};
} // namespace

QString columnTypeName(ColumnType type)
{
    return QString::fromLatin1(kTypeNames[static_cast<size_t>(type)]);
}

std::optional<ColumnType> columnTypeFromName(QStringView name)
{
    for (size_t i = 0; i < kTypeNames.size(); ++i) {
        if (name == QLatin1String(kTypeNames[i]))
            return static_cast<ColumnType>(i);
    }
    return std::nullopt;
}

bool isNumericType(ColumnType type)
{
    switch (type) {
    case ColumnType::Integer:
    case ColumnType::LongWord:
    case ColumnType::Real:
    case ColumnType::DateTime:
    case ColumnType::Date:
    case ColumnType::Boolean:
        return true;
    default:
        return false;
    }
}

bool isSizedType(ColumnType type)
{
    return type == ColumnType::Text || type == ColumnType::Bytes;
}

} // namespace zel
