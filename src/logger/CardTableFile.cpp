#include "logger/CardTableFile.h"

#include <utility>

namespace zel {

CardTableFile::CardTableFile(QString contents, QString lostPart)
    : m_contents(std::move(contents))
    , m_lostPart(std::move(lostPart))
{ }

qint64 CardTableFile::load(const QString &path, void *data, qint64 size)
{
    close();
    m_loadWarning.clear();
    m_file.open(path);
    qint64 got = 0;
    try {
        got = m_file.read(data, size);
    } catch (...) {
        close();
        throw;
    }
    // Only what the file itself supplied counts as on it: the zeros of a short file's tail
    // are still to be written.
    m_onFile = QByteArray(static_cast<const char *>(data), got);
    if (got < size) {
        m_loadWarning = QStringLiteral("\"%1\" holds only %2 of the %3 bytes of %4; %5.")
                            .arg(path, QString::number(got), QString::number(size),
                                m_contents, m_lostPart);
    }
    return got;
}

void CardTableFile::create(const QString &path, QByteArrayView content)
{
    close();
    LoggerTableFile::writeFile(path, content);
    m_file.open(path);
    m_onFile = content.toByteArray();
    m_loadWarning.clear();
}

void CardTableFile::save(QByteArrayView content)
{
    if (!active() || content == m_onFile)
        return;
    m_file.write(content);
    m_onFile = content.toByteArray();
}

void CardTableFile::close()
{
    m_file.close();
    m_onFile.clear();
}

} // namespace zel
