#pragma once

#include <QString>

namespace zel {

/// The text with every control character (C0, DEL, C1) written as an escape: "\t", "\n",
/// "\r", or "\x" and two hex digits. Text read from a file is printed through it, so that it
/// can neither break a line nor send commands to the terminal.
QString escapeControlCharacters(const QString &text);

} // namespace zel
