#pragma once

#include <QStringList>
#include <QTextStream>

namespace zel {

/// `zel demo ROOT`: writes a demo card (initialised Data folder and a few raw logs) to ROOT.
int runDemoCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace zel
