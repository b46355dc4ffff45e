#include "dashmanager/UserNumbers.h"

#include "common/Error.h"
#include "formula/NumberFormat.h"
#include "session/NumberPattern.h"
#include "session/NumberText.h"

#include <QLocale>

namespace zel::UserNumbers {

QChar decimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.front();
}

double parse(const QString &text)
{
    if (const std::optional<double> value = numberFromText(text))
        return *value;
    throw Error(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

QString format(double value, const QString &pattern)
{
    return formatPattern(value, pattern, QLocale());
}

QString clampText(const QString &text, qint32 minValue, qint32 maxValue, const QString &pattern)
{
    const bool complete = text.startsWith(u'-') ? text.size() > 1 : !text.contains(u'-');
    if (text.isEmpty() || !complete || (minValue == 0 && maxValue == 0))
        return text;
    QString clamped = text;
    if (parse(clamped) < minValue)
        clamped = format(minValue, pattern);
    if (parse(clamped) > maxValue)
        clamped = format(maxValue, pattern);
    return clamped;
}

QString general(double value)
{
    return NumberFormat::general(value, decimalSeparator());
}

} // namespace zel::UserNumbers
