#include "ui/FileDialogRequest.h"

namespace zel {

namespace {

bool hasWildcard(const QString &text)
{
    return text.contains(u'*') || text.contains(u'?');
}

} // namespace

QStringList qtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(u';')) {
            if (!pattern.trimmed().isEmpty())
                patterns.append(pattern.trimmed());
        }
        if (patterns.isEmpty())
            continue;
        const QString joined = patterns.join(u' ');
        const QString description = parts[i].trimmed();
        filters.append(
            QStringLiteral("%1 (%2)").arg(description.isEmpty() ? joined : description, joined));
    }
    return filters;
}

QString qtDefaultSuffix(const QString &defaultExtension)
{
    QString suffix = defaultExtension.trimmed();
    if (suffix.startsWith(u'*'))
        suffix.remove(0, 1);
    if (suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    return hasWildcard(suffix) ? QString() : suffix;
}

QString proposedFileName(const QString &initialFileName)
{
    return hasWildcard(initialFileName) ? QString() : initialFileName;
}

} // namespace zel
