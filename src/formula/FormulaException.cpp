#include "formula/FormulaException.h"

namespace zel {

FormulaException::FormulaException(const QString &message, Kind kind)
    : Error(message)
    , m_kind(kind)
{
}

FormulaException::FormulaException(const QString &message, int line, int column)
    : Error(message)
    , m_line(line)
    , m_column(column)
{
}

FormulaException FormulaException::divisionByZero()
{
    return FormulaException(QStringLiteral("Floating point division by zero"), Kind::Arithmetic);
}

FormulaException FormulaException::invalidOperation()
{
    return FormulaException(QStringLiteral("Invalid floating point operation"), Kind::Arithmetic);
}

FormulaException FormulaException::overflow()
{
    return FormulaException(QStringLiteral("Floating point overflow"), Kind::Arithmetic);
}

FormulaException FormulaException::notANumber(const QString &text)
{
    return FormulaException(
        QStringLiteral("'%1' is not a valid floating point value").arg(excerpt(text)),
        Kind::Conversion);
}

FormulaException FormulaException::limit(const QString &what)
{
    return FormulaException(QStringLiteral("Formula stopped: ") + what, Kind::Limit);
}

QString FormulaException::excerpt(const QString &text)
{
    if (text.size() <= kExcerptLength)
        return text;
    // A character outside the BMP is not split in half.
    const qsizetype cut
        = text[kExcerptLength - 1].isHighSurrogate() ? kExcerptLength - 1 : kExcerptLength;
    return text.left(cut) + QStringLiteral("...");
}

} // namespace zel
