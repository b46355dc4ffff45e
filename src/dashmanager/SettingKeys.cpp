#include "dashmanager/SettingKeys.h"

#include <QKeyEvent>

namespace zel::SettingKeys {

bool typedOnly(const QKeyEvent *event, QStringView extra)
{
    for (const QChar c : event->text()) {
        const bool printable = c.unicode() >= 0x20 && c.unicode() != 0x7f;
        if (printable && !(c >= u'0' && c <= u'9') && !extra.contains(c))
            return false;
    }
    return true;
}

bool isEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace zel::SettingKeys
