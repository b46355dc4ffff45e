#pragma once

#include <QString>

class QAction;
class QMenu;

namespace zel {

/// Adds the entry \a caption to \a menu, named \a name so that tests and handlers find it.
QAction *addMenuItem(QMenu *menu, const char *name, const QString &caption);

} // namespace zel
