#pragma once

#include <QByteArrayView>
#include <QString>
#include <sys/types.h>

namespace zel {

/// The open file behind one of the card's fixed-record tables. The whole table lives at
/// offset 0 and is always read and written in one piece. The file is held open for reading
/// only, so a write-protected card or file loads; it is opened for writing just for the
/// moment of a write. Neither ever goes through a symbolic link. Every failure throws
/// LoggerTableError naming the file.
class LoggerTableFile
{
public:
    LoggerTableFile() = default;
    ~LoggerTableFile();
    LoggerTableFile(const LoggerTableFile &) = delete;
    LoggerTableFile &operator=(const LoggerTableFile &) = delete;

    /// Opens an existing regular file for reading, releasing any file held before.
    void open(const QString &path);
    /// Releases the file, if any, without writing.
    void close();
    /// True while a file is held.
    bool isOpen() const { return m_fd >= 0; }
    /// The path the held file was opened under (empty when none is held).
    const QString &fileName() const { return m_path; }

    /// Reads up to size bytes from offset 0 into data, zero-filling what the file lacks.
    /// Returns the number of bytes the file supplied.
    qint64 read(void *data, qint64 size);
    /// Replaces the start of the held file with bytes in one atomic step, synced to the
    /// device, and holds the new file; bytes the file has beyond them are kept. Only a file
    /// that may be opened for writing under the path it was opened under, and that this path
    /// still names, is replaced: a write never lands in a file swapped in since, and a save
    /// interrupted at any point leaves the old file whole.
    void write(QByteArrayView bytes);

    /// Reads up to size bytes from the start of the file at path without opening it for
    /// writing, zero-filling what the file lacks; returns the number of bytes supplied.
    static qint64 readFile(const QString &path, void *data, qint64 size);
    /// Replaces the file at path with content in one atomic step, synced to the device.
    static void writeFile(const QString &path, QByteArrayView content);

private:
    QString m_path;
    int m_fd = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

} // namespace zel
