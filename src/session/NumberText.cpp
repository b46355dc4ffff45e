#include "session/NumberText.h"

#include <QLocale>

namespace zel {

namespace {
QLocale strictLocale(QLocale locale)
{
    // "1,5" must not read as 15 through a group separator.
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    return locale;
}
} // namespace

std::optional<double> numberFromText(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = strictLocale(QLocale::c()).toDouble(trimmed, &ok);
    if (!ok)
        value = strictLocale(QLocale()).toDouble(trimmed, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QString textFromNumber(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace zel
