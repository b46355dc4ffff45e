#pragma once

#include <QString>

namespace zel {

/// s with a-z turned into A-Z and every other character kept, the way formula names and
/// registered functions are compared (a locale's case rules must not change which name a
/// formula calls).
inline QString upperAscii(const QString &s)
{
    QString out = s;
    for (QChar &c : out)
        if (c.unicode() >= u'a' && c.unicode() <= u'z')
            c = QChar(char16_t(c.unicode() - 32));
    return out;
}

} // namespace zel
