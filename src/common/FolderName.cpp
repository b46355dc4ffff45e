#include "common/FolderName.h"

namespace zel {

bool isSafeFolderName(const QString &name)
{
    if (name.trimmed().isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    const QChar first = name.front();
    const QChar last = name.back();
    if (first == u'.' || first == u' ' || last == u'.' || last == u' ')
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control)
            return false;
        if (QStringView(u"/\\:*?\"<>|").contains(c))
            return false;
    }
    return true;
}

} // namespace zel
