#pragma once

#include <QString>

namespace zel {

/// True when \a name can be used as exactly one folder name inside another folder: not
/// blank, not "." or "..", no leading or trailing dot or space, and none of
/// / \ : * ? " < > | or control characters. Card IDs come from the card's own files, so
/// they pass through here before they name a folder.
bool isSafeFolderName(const QString &name);

} // namespace zel
