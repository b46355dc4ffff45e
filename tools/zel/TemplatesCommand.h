#pragma once

#include <QStringList>
#include <QTextStream>

namespace zel {

/// `zel templates DIR`: writes the card initialisation templates under the program folder
/// DIR ("DIR/Initialisation/ZEL/...").
int runTemplatesCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace zel
