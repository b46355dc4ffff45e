#pragma once

#include <QLocale>
#include <QString>

namespace zel {

/// Formats \a value with a display pattern such as "#####0.###", "00#.00" or "####0.00":
/// "0" is a digit always shown, "#" a digit shown only when significant, "." stands for the
/// decimal separator of \a locale. The integer part never loses digits; the fraction is
/// rounded half away from zero on the value's shortest decimal form, so 0.125 with "0.00"
/// gives "0.13". A result that rounds to zero carries no minus sign; NaN and infinities show
/// as "NAN", "INF" and "-INF". The integer part shows at least as many digits as the
/// pattern has from its first "0" to the separator; other characters are ignored.
/// Example: formatPattern(65.21, "00#.00", QLocale::c()) == "065.21".
QString formatPattern(double value, QStringView pattern, const QLocale &locale);

} // namespace zel
