#pragma once

#include <QStringList>
#include <QTextStream>

namespace zel {

/// `zel export TABLE.kro --csv OUT.csv|- [--overwrite]`: writes the data rows of a saved
/// table as CSV, the first line naming the columns, to a new file (an existing one only with
/// --overwrite, never the table itself) or, for "-", to standard output.
int runExportCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace zel
