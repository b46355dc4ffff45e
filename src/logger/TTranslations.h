#pragma once

#include "logger/CardTableFile.h"
#include "logger/TTranslation.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

namespace zel {

class TKROSettings;

/// The card's 48 channel translation records ("Translation.prm"). While active the file is
/// held open and every save goes to it, whatever TranslationFileName says by then.
/// Failures throw LoggerTableError.
class TTranslations : public QObject
{
    Q_OBJECT

public:
    static constexpr int kRecordCount = 48;
    static constexpr int kRecordSize = int(sizeof(TTranslation));
    static constexpr int kFileSize = kRecordCount * kRecordSize;
    using Records = std::array<TTranslation, kRecordCount>;

    explicit TTranslations(QObject *parent = nullptr);

    /// Path of the translation file that the next load or create uses.
    QString TranslationFileName() const { return FtranslationFileName; }
    /// Sets the path for the next load or create; an open file stays the save target.
    void setTranslationFileName(const QString &name) { FtranslationFileName = name; }

    /// The logger's channel names that CreateTranslationTables gives new records.
    const QStringList &ChannelNames() const { return FChannelNames; }
    /// Sets the channel names used by CreateTranslationTables.
    void setChannelNames(const QStringList &names) { FChannelNames = names; }

    /// Settings of the same card, whose channel list decides which records are in use.
    TKROSettings *Settings() const { return FSettings; }
    /// Links the settings of the same card.
    void setSettings(TKROSettings *settings) { FSettings = settings; }

    /// All 48 records; record i belongs to logger channel i.
    Records &TranslationTables() { return FTranslationTables; }
    /// All 48 records.
    const Records &TranslationTables() const { return FTranslationTables; }
    /// Record i; throws std::out_of_range outside 0..47.
    TTranslation &record(int i) { return FTranslationTables.at(std::size_t(i)); }
    /// Record i; throws std::out_of_range outside 0..47.
    const TTranslation &record(int i) const { return FTranslationTables.at(std::size_t(i)); }

    /// Record selected in the editor.
    int ItemIndex() const { return FItemIndex; }
    /// Selects a record for the editor.
    void setItemIndex(int index) { FItemIndex = index; }

    /// Records below this count are in use: the linked settings' own channel count while
    /// they are loaded, otherwise the shared LoggerChannelCount.
    int channelCount() const;

    /// True while the translation file is open.
    bool active() const { return FTranslationTable.active(); }
    /// True when the last load found a file shorter than 48 records.
    bool wasShort() const { return FTranslationTable.wasShort(); }
    /// Message about the last load for the user (empty when the file was whole).
    QString loadWarning() const { return FTranslationTable.loadWarning(); }

    /// Opens TranslationFileName (releasing any open file unsaved), reads the 48 records and
    /// raises OnloadTable. A short file is read as far as it goes and the rest is cleared;
    /// loadWarning() then says so. A missing file throws and leaves the component inactive.
    void LoadTranslationTables();
    /// Numbers the records in use, renames the others "Channel_<n>" / "U.O.M", and writes
    /// all 48 to the open file unless it holds them already; does nothing while inactive.
    void SaveTranslationTables();
    /// Saves and releases the open file; inactive afterwards. When the save fails the error
    /// propagates and the file stays open, so nothing is lost.
    void CloseTranslationTables();
    /// Lets the open file go without writing anything (a card pulled out or swapped);
    /// inactive afterwards.
    void ReleaseTranslationTables();
    /// Creates or empties TranslationFileName and writes 48 fresh records; becomes active.
    void CreateTranslationTables();
    /// Shifts records start..46 one place down; record 47 is lost, record start stays.
    void MoveDownOne(int start);
    /// Shifts records start+1..47 one place up; record start is lost, record 47 stays.
    void MoveUpOne(int start);

signals:
    /// Raised after each load.
    void OnloadTable();
    /// Raised before each save, so the owner can copy its controls in.
    void BeforeSaveTable();

private:
    void renameUnused(int count);
    QByteArrayView recordBytes() const;

    QStringList FChannelNames;
    QString FtranslationFileName;
    CardTableFile FTranslationTable { QStringLiteral("the channel translations"),
        QStringLiteral("the missing translations were cleared") };
    TKROSettings *FSettings = nullptr;
    Records FTranslationTables {};
    int FItemIndex = 0;
};

} // namespace zel
