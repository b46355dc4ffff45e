#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace zel {

/// Text in the logger's single-byte code page (Windows-1252), as the dash and its
/// files store it. Characters the code page lacks become '?'.
QByteArray toAnsi(const QString &text);

/// Decodes Windows-1252 bytes; every byte maps to one character.
QString fromAnsi(QByteArrayView bytes);

} // namespace zel
