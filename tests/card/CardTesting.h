#pragma once

// A card and a program folder in temporary folders, with byte-level file helpers.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace cardtesting {

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

/// Distinct content for each file name, so that a copy under the wrong name shows.
inline QByteArray contentOf(const QString &name)
{
    QByteArray bytes = name.toUtf8();
    bytes.append('\0');
    for (int i = 0; i < 300; ++i)
        bytes.append(char(i * 7 + name.size()));
    return bytes;
}

/// Every entry of a folder tree, relative to it and sorted, links not followed.
inline QStringList tree(const QString &folder)
{
    QStringList entries;
    const QDir root(folder);
    const QStringList names = root.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        entries << name;
        const QFileInfo info(root.filePath(name));
        if (info.isDir() && !info.isSymLink()) {
            for (const QString &inner : tree(root.filePath(name)))
                entries << name + u'/' + inner;
        }
    }
    return entries;
}

/// A card root and a program folder with its Data folder.
class CardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_card.isValid());
        ASSERT_TRUE(m_program.isValid());
        ASSERT_TRUE(QDir().mkpath(dataFolder()));
    }

    QString card(const QString &name = {}) const
    {
        return name.isEmpty() ? m_card.path() : m_card.filePath(name);
    }
    QString program(const QString &name = {}) const
    {
        return name.isEmpty() ? m_program.path() : m_program.filePath(name);
    }
    QString dataFolder() const { return program(QStringLiteral("Data")); }

    QTemporaryDir m_card;
    QTemporaryDir m_program;
};

} // namespace cardtesting
