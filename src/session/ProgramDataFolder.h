#pragma once

#include <QString>
#include <functional>

namespace zel {

/// Tells whether the program may create and write files in a folder (creating it first).
using FolderWritable = std::function<bool(const QString &folder)>;

/// Creates \a folder when missing and tells whether it is a folder this user can write.
bool folderWritable(const QString &folder);

/// The program's "Data" folder: \a programFolder/Data when \a writable says it can be
/// written, else "Data" below the user's application-data folder (created), as an
/// installed copy's program folder is read-only.
QString programDataFolder(
    const QString &programFolder, const FolderWritable &writable = folderWritable);

} // namespace zel
