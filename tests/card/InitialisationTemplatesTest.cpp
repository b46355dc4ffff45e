#include "card/InitialisationTemplates.h"

#include "card/DashModels.h"
#include "common/Error.h"
#include "logger/ChannelLists.h"
#include "logger/LoggerChannelCount.h"
#include "logger/TKROSettings.h"
#include "logger/TTranslations.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zel;

namespace {

class InitialisationTemplatesTest : public ::testing::Test
{
protected:
    void TearDown() override { resetLoggerChannelCount(); }

    static QByteArray bytesOf(const QString &path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    }

    // Every file below \a root by its path relative to it.
    static QMap<QString, QByteArray> filesBelow(const QString &root)
    {
        QMap<QString, QByteArray> files;
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            files.insert(QDir(root).relativeFilePath(path), bytesOf(path));
        }
        return files;
    }

    QTemporaryDir m_program;
};

} // namespace

TEST_F(InitialisationTemplatesTest, EveryModelAndEcuGetsItsCodesChannelsAndPlaceholders)
{
    writeInitialisationTemplates(m_program.path());

    for (int dash = 0; dash < dashModelEntries().size(); ++dash) {
        for (int ecu = 0; ecu < ecuEntries().size(); ++ecu) {
            SCOPED_TRACE(QStringLiteral("dash %1, ecu %2").arg(dash).arg(ecu).toStdString());
            const QDir folder(templateFolder(m_program.path(), dash, ecu));
            if (isRefusedCombination(dash, ecu)) {
                EXPECT_FALSE(folder.exists());
                continue;
            }
            for (const QString &name : initialisationFileNames())
                EXPECT_TRUE(QFileInfo(folder.filePath(name)).isFile()) << name.toStdString();

            const CardCodes codes = cardCodes(dash, ecu);
            const QStringList channels
                = loggerChannelList(codes.feature, codes.ecuMake, codes.ecuModel, codes.ecuFeature);
            ASSERT_FALSE(channels.isEmpty());

            TKROSettings settings;
            settings.setSettingsFileName(folder.filePath("Settings.prm"));
            settings.LoadSettingsTable();
            EXPECT_FALSE(settings.wasShort());
            const TSettings &record = settings.settings();
            EXPECT_EQ(record.model, 1);
            EXPECT_EQ(record.feature, dash);
            EXPECT_EQ(record.ecumake, codes.ecuMake);
            EXPECT_EQ(record.ecumodel, codes.ecuModel);
            EXPECT_EQ(record.ecufeature, codes.ecuFeature);
            EXPECT_EQ(record.ModelIndex, dash + 1);
            EXPECT_EQ(record.ECUIndex, ecu + 1);
            EXPECT_EQ(settings.ChannelNames(), channels);
            EXPECT_EQ(record.ChannelCount, channels.size());
            EXPECT_TRUE(record.DataDict.DriverName.toString().isEmpty());
            EXPECT_EQ(record.DataDict.NumberOfChannels, channels.size());
            for (int c = 0; c < kMaxLogChannels; ++c) {
                EXPECT_EQ(record.DataDict.DataSize[c], c < channels.size() ? 4 : 0) << c;
                if (c < channels.size()) {
                    EXPECT_EQ(record.DataDict.LogChannels[c], c);
                    EXPECT_EQ(record.DataDict.ChannelNames[c].toString(), channels[c]);
                }
            }

            TTranslations translations;
            translations.setTranslationFileName(folder.filePath("Translation.prm"));
            translations.LoadTranslationTables();
            EXPECT_FALSE(translations.wasShort());
            for (int c = 0; c < channels.size(); ++c)
                EXPECT_EQ(translations.record(c).Name.toString(), channels[c]) << c;
        }
    }
    EXPECT_EQ(
        QDir(m_program.filePath("Initialisation/ZEL")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
        QStringList({ "KRO7_1", "KRO7_2", "KRO7_3", "KRO7_4", "KRO7_5" }));

    const QByteArray bytes = bytesOf(templateFolder(m_program.path(), 3, 1) + "/screen2.scn");
    const QByteArray tag
        = "ZEL KRO-7 template placeholder: screen2.scn for ZEL KRO-7 Pro Circuit with "
          "ZEL Motorsport ECUs\n";
    ASSERT_EQ(bytes.size(), kTemplatePlaceholderSize);
    EXPECT_EQ(bytes.left(tag.size()), tag);
    EXPECT_EQ(bytes.mid(tag.size()), QByteArray(kTemplatePlaceholderSize - tag.size(), '\0'));
}

TEST_F(InitialisationTemplatesTest, SameBytesEveryTimeAndOverExistingTemplates)
{
    QTemporaryDir other;
    // The card loaded in a window keeps its channel count while templates are written.
    setLoggerChannelCount(20);
    writeInitialisationTemplates(m_program.path());
    EXPECT_EQ(LoggerChannelCount(), 20);
    writeInitialisationTemplates(m_program.path());
    writeInitialisationTemplates(other.path());
    const QMap<QString, QByteArray> first = filesBelow(m_program.path());
    EXPECT_EQ(first.size(), (5 * 6 - 1) * 6); // no temporaries left behind either
    EXPECT_EQ(first, filesBelow(other.path()));
}

TEST_F(InitialisationTemplatesTest, AnUnwritableProgramFolderFailsWithAnError)
{
    const QString file = m_program.filePath("plain-file");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_THROW(writeInitialisationTemplates(file), FileError);
}
