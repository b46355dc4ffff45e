#include "session/TableFilter.h"

#include "session/RecordTableError.h"

#include <QLocale>

namespace zel {

namespace {

class Parser
{
public:
    explicit Parser(const QString &text)
        : m_text(text)
    { }

    TableFilter::Test test()
    {
        TableFilter::Test result;
        result.column = columnName();
        skipSpace();
        if (!take(QLatin1Char('=')))
            fail(QStringLiteral("'=' expected after column '%1'").arg(result.column));
        skipSpace();
        result.value = value();
        return result;
    }

    // True at the end of the text; otherwise consumes "and" or fails.
    bool atEndOrAnd()
    {
        skipSpace();
        if (m_pos >= m_text.size())
            return true;
        const QString word = bareWord();
        if (word.compare(QLatin1String("and"), Qt::CaseInsensitive) != 0)
            fail(QStringLiteral("'and' expected"));
        return false;
    }

    void skipSpace()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    [[noreturn]] void fail(const QString &reason) const
    {
        throw RecordTableError(QStringLiteral("Invalid filter \"%1\": %2 at position %3")
                                   .arg(m_text, reason, QString::number(m_pos + 1)));
    }

private:
    static bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

    bool take(QChar c)
    {
        if (m_pos < m_text.size() && m_text.at(m_pos) == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    QString bareWord()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && isNameChar(m_text.at(m_pos)))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    QString columnName()
    {
        if (take(QLatin1Char('['))) {
            const qsizetype close = m_text.indexOf(QLatin1Char(']'), m_pos);
            if (close < 0)
                fail(QStringLiteral("']' missing"));
            const QString name = m_text.mid(m_pos, close - m_pos).trimmed();
            if (name.isEmpty())
                fail(QStringLiteral("empty column name"));
            m_pos = close + 1;
            return name;
        }
        const QString name = bareWord();
        if (name.isEmpty())
            fail(QStringLiteral("column name expected"));
        if (name.compare(QLatin1String("and"), Qt::CaseInsensitive) == 0)
            fail(QStringLiteral("column name expected, not 'and'"));
        return name;
    }

    QVariant value()
    {
        if (take(QLatin1Char('\''))) {
            QString text;
            for (;;) {
                if (m_pos >= m_text.size())
                    fail(QStringLiteral("closing quote missing"));
                const QChar c = m_text.at(m_pos++);
                if (c == QLatin1Char('\'')) {
                    if (!take(QLatin1Char('\'')))
                        return text;
                }
                text.append(c);
            }
        }
        const qsizetype start = m_pos;
        if (m_pos < m_text.size()
            && (m_text.at(m_pos) == QLatin1Char('-') || m_text.at(m_pos) == QLatin1Char('+')))
            ++m_pos;
        while (m_pos < m_text.size()
            && (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == QLatin1Char('.')
                || ((m_text.at(m_pos) == QLatin1Char('-') || m_text.at(m_pos) == QLatin1Char('+'))
                    && (m_text.at(m_pos - 1) == QLatin1Char('e')
                        || m_text.at(m_pos - 1) == QLatin1Char('E')))))
            ++m_pos;
        const QString token = m_text.mid(start, m_pos - start);
        bool ok = false;
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        const double number = c.toDouble(token, &ok);
        // Only plain decimal numbers: no "nan", "inf" or hexadecimal.
        const bool plain = !token.isEmpty()
            && (token.back().isDigit() || token.back() == QLatin1Char('.'))
            && (token.front().isDigit() || token.front() == QLatin1Char('.') || token.size() > 1);
        if (!ok || !plain) {
            m_pos = start;
            fail(QStringLiteral("number or quoted text expected"));
        }
        return number;
    }

    const QString &m_text;
    qsizetype m_pos = 0;
};

} // namespace

TableFilter TableFilter::parse(const QString &expression)
{
    TableFilter filter;
    if (expression.trimmed().isEmpty())
        return filter;
    Parser parser(expression);
    do {
        parser.skipSpace();
        filter.m_tests.push_back(parser.test());
    } while (!parser.atEndOrAnd());
    return filter;
}

} // namespace zel
