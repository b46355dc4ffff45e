#pragma once

#include "card/CardDrives.h"
#include "dashmanager/TfrmLoggerConfig.h"
#include "session/TKRO_Data.h"
#include "ui/ScriptedUserDialogs.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
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

/// A program folder with its data module, scripted dialogs and a drive source without
/// drives, for tests of the logger configuration window. Each test fails when a dialog
/// found no scripted answer.
class LoggerConfigTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        program = temp.filePath(QStringLiteral("program"));
        QDir().mkpath(program);
        data.DataModuleCreate(program);
    }
    void TearDown() override
    {
        window.reset();
        for (const ShownDialog &shown : dialogs.unexpected())
            ADD_FAILURE() << "unexpected dialog: " << shown.summary().toStdString();
    }

    QTemporaryDir temp;
    QString program;
    TKRO_Data data;
    ScriptedUserDialogs dialogs;
    FakeCardDrives drives;
    std::unique_ptr<TfrmLoggerConfig> window;
};

} // namespace zel
