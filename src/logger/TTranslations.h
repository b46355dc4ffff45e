#pragma once

#include "logger/LoggerTableFile.h"
#include "logger/TTranslation.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace zel {

class TKROSettings;

/// The card's 48 channel translation records ("Translation.prm"). While active the file is
/// held open and every save goes to it, whatever TranslationFileName says by then.
/// Failures throw LoggerTableError.
class TTranslations
{
public:
    static constexpr int kRecordCount = 48;
    static constexpr int kRecordSize = int(sizeof(TTranslation));
    static constexpr int kFileSize = kRecordCount * kRecordSize;
    using Records = std::array<TTranslation, kRecordCount>;

    TTranslations() = default;
    TTranslations(const TTranslations &) = delete;
    TTranslations &operator=(const TTranslations &) = delete;

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

    /// Raised after each load.
    std::function<void()> OnloadTable;
    /// Raised before each save, so the owner can copy its controls in.
    std::function<void()> BeforeSaveTable;

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
    bool active() const { return FActive; }
    /// True when the last load found a file shorter than 48 records.
    bool wasShort() const { return !FLoadWarning.isEmpty(); }
    /// Message about the last load for the user (empty when the file was whole).
    QString loadWarning() const { return FLoadWarning; }

    /// Opens TranslationFileName (releasing any open file unsaved), reads the 48 records and
    /// raises OnloadTable. A short file is read as far as it goes and the rest is cleared;
    /// loadWarning() then says so. A missing file throws and leaves the component inactive.
    void LoadTranslationTables();
    /// Numbers the records in use, renames the others "Channel_<n>" / "U.O.M", and writes
    /// all 48 to the open file; does nothing while inactive.
    void SaveTranslationTables();
    /// Saves and releases the open file; inactive afterwards. When the save fails the error
    /// propagates and the file stays open, so nothing is lost.
    void CloseTranslationTables();
    /// Creates or empties TranslationFileName and writes 48 fresh records; becomes active.
    void CreateTranslationTables();
    /// Shifts records start..46 one place down; record 47 is lost, record start stays.
    void MoveDownOne(int start);
    /// Shifts records start+1..47 one place up; record start is lost, record 47 stays.
    void MoveUpOne(int start);

private:
    void renameUnused(int count);
    void release();

    QStringList FChannelNames;
    QString FtranslationFileName;
    LoggerTableFile FTranslationTable;
    TKROSettings *FSettings = nullptr;
    Records FTranslationTables {};
    bool FActive = false;
    int FItemIndex = 0;
    QString FLoadWarning;
};

} // namespace zel
