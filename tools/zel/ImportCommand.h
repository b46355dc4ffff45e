#pragma once

#include <QStringList>
#include <QTextStream>

namespace zel {

/// `zel import RAW.Dsh [--card ROOT] [--data DIR] [-o OUT.kro] [--overwrite]`: turns a raw
/// log into a session log (or, beyond 180000 records, numbered parts) and prints the path
/// of every file written.
int runImportCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace zel
