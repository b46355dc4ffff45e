#pragma once

#include <QString>
#include <QStringList>

namespace zel {

/// A named index: an ordering over a ";"-separated list of columns.
struct IndexDef
{
    QString name;
    QString fields;

    bool operator==(const IndexDef &) const = default;
};

/// Splits a field list such as "Lap_Number; LapID" into trimmed names; empty parts are dropped.
QStringList splitFieldNames(const QString &fields);

} // namespace zel
