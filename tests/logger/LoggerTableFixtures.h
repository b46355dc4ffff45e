#pragma once

// Byte-level helpers for the card-table tests: fixtures are built at explicit file offsets,
// independently of the packed structs they check.

#include "logger/LoggerChannelCount.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <signal.h>
#include <sys/resource.h>

namespace fixtures {

template <typename T> void put(QByteArray &bytes, qsizetype offset, T value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

template <typename T> T get(const QByteArray &bytes, qsizetype offset)
{
    T value;
    std::memcpy(&value, bytes.constData() + offset, sizeof value);
    return value;
}

/// A short string of `size` bytes at offset: length byte, text, zero tail.
inline void putText(QByteArray &bytes, qsizetype offset, int size, const QByteArray &text)
{
    std::memset(bytes.data() + offset, 0, std::size_t(size));
    bytes[offset] = char(text.size());
    std::memcpy(bytes.data() + offset + 1, text.constData(), std::size_t(text.size()));
}

/// Repeatable noise, so that a round trip shows every byte it failed to carry.
inline QByteArray noise(qsizetype size, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(random());
    return bytes;
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

/// A temporary folder, and the shared channel count back at its start value.
class TableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        zel::resetLoggerChannelCount();
    }
    void TearDown() override { zel::resetLoggerChannelCount(); }

    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

/// Limits the size any file of this process may grow to, as a full card would, for the
/// lifetime of the object.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = FOld;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &FOld);
        signal(SIGXFSZ, FOldHandler);
    }

private:
    rlimit FOld {};
    sighandler_t FOldHandler;
};

} // namespace fixtures
