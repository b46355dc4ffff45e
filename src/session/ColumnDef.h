#pragma once

#include "session/ColumnType.h"

#include <QString>

namespace zel {

/// Largest text length or bytes block size a column may declare: far above anything the
/// system defines, small enough that a size read from a hostile file cannot matter.
constexpr int kMaxColumnSize = 1 << 30;

/// Definition of one record table column.
struct ColumnDef
{
    QString name;
    ColumnType type = ColumnType::Integer;
    /// Maximum length in characters for text, block size for bytes, 0 for every other type.
    int size = 0;

    bool operator==(const ColumnDef &) const = default;
};

} // namespace zel
