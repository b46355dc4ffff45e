#include "tools/zel/TextStreamBytes.h"

#include "common/Error.h"

#include <QFileDevice>

namespace zel {

TextStreamBytes::TextStreamBytes(QTextStream &stream)
    : m_stream(stream)
{
    m_stream.flush();
}

void TextStreamBytes::write(QByteArrayView bytes)
{
    QIODevice *device = m_stream.device();
    if (!device) {
        m_text += bytes;
        return;
    }
    if (device->write(bytes.data(), bytes.size()) != bytes.size())
        fail();
}

void TextStreamBytes::finish()
{
    if (QString *text = m_stream.string()) {
        text->append(QString::fromUtf8(m_text));
        m_text.clear();
        return;
    }
    auto *file = qobject_cast<QFileDevice *>(m_stream.device());
    if (file && !file->flush())
        fail();
}

void TextStreamBytes::fail() const
{
    throw FileError(QStringLiteral("the output could not be written: %1")
                        .arg(m_stream.device()->errorString()));
}

} // namespace zel
