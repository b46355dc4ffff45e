#include "tools/zel/TerminalText.h"

namespace zel {

QString escapeControlCharacters(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control) {
            escaped += c;
            continue;
        }
        switch (c.unicode()) {
        case u'\t':
            escaped += QLatin1String("\\t");
            break;
        case u'\n':
            escaped += QLatin1String("\\n");
            break;
        case u'\r':
            escaped += QLatin1String("\\r");
            break;
        default:
            escaped
                += QLatin1String("\\x") + QString::number(c.unicode(), 16).rightJustified(2, u'0');
        }
    }
    return escaped;
}

} // namespace zel
