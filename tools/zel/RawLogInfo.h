#pragma once

#include "logger/LogRecords.h"
#include "tools/zel/InfoReport.h"

namespace zel {

/// Every field of a log header, by name, in file order, plus the used channel positions.
void addHeaderFields(InfoReport &report, const TDataDictionary &header);


/// Opens a raw log, reports its header, LogSize and the records the reader walks.
InfoReport rawLogReport(const QString &path);

} // namespace zel
