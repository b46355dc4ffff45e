#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

/// Writes the fuzzer's input to a file of the given name in a folder kept for the run, and
/// returns its path.
inline QString writeFuzzInput(const QString &name, const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        __builtin_trap();
    out.write(reinterpret_cast<const char *>(data), qint64(size));
    return path;
}
