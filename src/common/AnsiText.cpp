#include "common/AnsiText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace zel {

QByteArray toAnsi(const QString &text)
{
    QStringEncoder encoder("windows-1252");
    QByteArray bytes = encoder.encode(text);
    // The encoder writes SUB (0x1A) for an unmappable character; the card files expect '?'
    // there. A genuine U+001A in the input is a control character nobody types.
    bytes.replace('\x1a', '?');
    return bytes;
}

QString fromAnsi(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-1252");
    return decoder.decode(bytes);
}

} // namespace zel
