#include "ui/MenuItems.h"

#include <QAction>
#include <QMenu>

namespace zel {

QAction *addMenuItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace zel
