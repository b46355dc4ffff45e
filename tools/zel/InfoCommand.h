#pragma once

#include <QStringList>
#include <QTextStream>

namespace zel {

/// `zel info [--json] FILE`: describes a raw log, a card table or a saved table.
int runInfoCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace zel
