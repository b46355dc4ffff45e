#pragma once

#include "tools/zel/InfoReport.h"

namespace zel {

/// True when the file starts like a saved table (an SQLite database).
bool looksLikeSavedTable(const QString &path);

/// Loads a saved table and reports its columns, index definitions and row count.
InfoReport savedTableReport(const QString &path);

} // namespace zel
