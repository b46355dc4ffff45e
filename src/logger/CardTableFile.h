#pragma once

#include "logger/LoggerTableFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace zel {

/// The lifecycle every card table shares: the file a load or create took hold of, which
/// stays the target of every save whatever name the table is given later; the active
/// flag; a load that zero-fills what a short file lacks and says so; and saves that write
/// only what differs from the file, so that closing an unchanged table never needs write
/// access. Failures throw LoggerTableError naming the file.
class CardTableFile
{
public:
    /// A table whose short-file warning calls its contents \a contents ("the logger
    /// settings") and says what became of the rest (\a lostPart: "the missing settings
    /// were cleared").
    CardTableFile(QString contents, QString lostPart);
    CardTableFile(const CardTableFile &) = delete;
    CardTableFile &operator=(const CardTableFile &) = delete;

    /// True while a file is held.
    bool active() const { return m_file.isOpen(); }
    /// The file held, which saves write to (empty while inactive).
    const QString &fileName() const { return m_file.fileName(); }
    /// True when the last load found a file shorter than the table.
    bool wasShort() const { return !m_loadWarning.isEmpty(); }
    /// Message about the last load for the user (empty when the file was whole).
    const QString &loadWarning() const { return m_loadWarning; }

    /// Releases any file held without saving, then opens \a path for reading and reads
    /// \a size bytes into \a data, zero-filling what a short file lacks (loadWarning() then
    /// says so). Returns the number of bytes the file supplied. A missing or unreadable
    /// file throws and leaves the table inactive.
    qint64 load(const QString &path, void *data, qint64 size);
    /// Releases any file held without saving, replaces \a path with \a content in one
    /// atomic step and holds the new file.
    void create(const QString &path, QByteArrayView content);
    /// Writes \a content over the start of the held file, unless the file is known to hold
    /// exactly these bytes already. A write the file or card refuses throws and the table
    /// stays active, so nothing is lost.
    void save(QByteArrayView content);
    /// Releases the held file without writing.
    void close();

private:
    LoggerTableFile m_file;
    QString m_contents;
    QString m_lostPart;
    QString m_loadWarning;
    QByteArray m_onFile; // the bytes the held file has at its start, as last read or written
};

} // namespace zel
