#include "session/IndexDef.h"

namespace zel {

QStringList splitFieldNames(const QString &fields)
{
    QStringList names;
    for (const QString &part : fields.split(QLatin1Char(';'))) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

} // namespace zel
