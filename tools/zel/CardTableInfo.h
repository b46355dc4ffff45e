#pragma once

#include "logger/LoggerTableKind.h"
#include "tools/zel/InfoReport.h"

namespace zel {

/// Reports one of the card's fixed-record tables, read without opening it for writing.
InfoReport cardTableReport(const QString &path, LoggerTableKind kind);

} // namespace zel
