#pragma once

#include <QStringList>
#include <QTextStream>

namespace zel {

/// `zel eval FORMULA [NAME=VALUE ...]`: compiles and runs one formula, printing its result.
int runEvalCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace zel
