#pragma once

#include <QStringList>
#include <QTextStream>

namespace zel {

/// Runs one `zel` command line (without the program name), writing results to out and the
/// one-line failure message to err. Returns the process exit status: 0 on success, 1 on
/// any failure (including a wrong command line).
int runZel(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace zel
