#pragma once

#include "session/ColumnStore.h"
#include "session/IndexDef.h"

#include <vector>

namespace zel {

/// Everything a saved table holds: columns with their values, index definitions, row count.
struct TableData
{
    std::vector<ColumnStore> columns;
    std::vector<IndexDef> indexes;
    size_t rowCount = 0;
};

} // namespace zel
