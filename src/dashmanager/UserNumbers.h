#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

namespace zel {

/// Numbers as the user types and reads them in the setting controls: the user's number
/// format (QLocale()), with "." read as well, since the controls' typing filters accept it.
namespace UserNumbers {

/// The decimal separator of the user's number format.
QChar decimalSeparator();

/// \a text read as a number; throws zel::Error "'text' is not a valid floating point
/// value" when it is none.
double parse(const QString &text);

/// \a value with a display pattern such as "####0.00", in the user's number format.
QString format(double value, const QString &pattern);

/// \a text kept inside the range \a minValue..\a maxValue, a bound written with \a pattern:
/// below the minimum it becomes the minimum, then above the maximum the maximum. Unchanged
/// when both bounds are 0 (no range), when empty, and for a lone "-" or one after the first
/// character (a number still being typed). Throws as parse() does for a text that is no
/// number.
QString clampText(const QString &text, qint32 minValue, qint32 maxValue, const QString &pattern);

/// \a value in the general format of at most 15 significant digits, in the user's format.
QString general(double value);

} // namespace UserNumbers

} // namespace zel
