#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace zel {

/// The open file behind one of the card's fixed-record tables. The whole table lives at
/// offset 0 and is always read and written in one piece; every failure throws
/// LoggerTableError naming the file.
class LoggerTableFile
{
public:
    /// Opens an existing file for reading and writing, releasing any file held before.
    void open(const QString &path);
    /// Replaces the file at path with content in one atomic step, then opens it.
    void create(const QString &path, QByteArrayView content);
    /// Releases the file, if any, without writing.
    void close();

    /// Reads up to size bytes from offset 0 into data, zero-filling what the file lacks.
    /// Returns the number of bytes the file supplied.
    qint64 read(void *data, qint64 size);
    /// Writes size bytes at offset 0 and forces them to the device.
    void write(const void *data, qint64 size);

    /// Reads up to size bytes from the start of the file at path without opening it for
    /// writing, zero-filling what the file lacks; returns the number of bytes supplied.
    static qint64 readFile(const QString &path, void *data, qint64 size);
    /// Replaces the file at path with content in one atomic step, synced to the device.
    static void writeFile(const QString &path, QByteArrayView content);

private:
    QFile FFile;
};

} // namespace zel
