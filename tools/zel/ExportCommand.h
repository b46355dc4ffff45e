#pragma once

#include <QStringList>
#include <QTextStream>

namespace zel {

/// `zel export TABLE.kro --csv OUT.csv`: writes the data rows of a saved table as CSV, the
/// first line naming the columns.
int runExportCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace zel
