#pragma once

#include <QStringList>
#include <QTextStream>

namespace zel {

/// `zel maths ROOT [--add NAME=FORMULA | --var NAME=VALUE | --delete NAME]`: lists a card's
/// maths channels and variables, or changes one of them after testing it.
int runMathsCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace zel
