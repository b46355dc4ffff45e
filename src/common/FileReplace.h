#pragma once

#include <QByteArrayView>
#include <QString>

#include <initializer_list>

namespace zel {

/// Replaces the file at path with the given pieces in one atomic step: they are written to
/// a temporary file beside it, synced to the device, then renamed over the target. On
/// failure the target is left as it was, and the reason is stored in *error.
bool replaceFile(const QString &path, std::initializer_list<QByteArrayView> pieces,
                 QString *error);

} // namespace zel
