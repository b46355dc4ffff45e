#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace zel {

/// The places a card can be reached: the root folders of the mounted removable drives, and
/// news of drives arriving and leaving. The logger configuration window lists roots() in its
/// card selector; tests give it folders of their own.
class CardDrives : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// Root folders of the removable drives mounted now, in a stable order.
    virtual QStringList roots() const = 0;
    /// What tells this card from another mounted at the same root (device and file-system
    /// identity), or an empty string when \a root is no longer mounted or readable.
    virtual QString identity(const QString &root) const = 0;

Q_SIGNALS:
    /// A removable drive was mounted.
    void arrived();
    /// A removable drive was unmounted or pulled out.
    void removed();
};

} // namespace zel
