#pragma once

#include "card/CardDrives.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace zel {

/// Drive roots as the test sets them, each with the identity the test gives it ("card" by
/// default); the test raises the arrival and removal signals itself.
class FakeCardDrives : public CardDrives
{
public:
    QStringList roots() const override { return rootList; }
    QString identity(const QString &root) const override
    {
        return rootList.contains(root) ? identities.value(root, QStringLiteral("card")) : QString();
    }

    QStringList rootList;
    QHash<QString, QString> identities;
};

/// The bytes of the file at \a path, which must exist.
inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

/// Creates or replaces the file at \a path with \a bytes, making its folder when missing.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

} // namespace zel
