#pragma once

#include "logger/CardTableFile.h"
#include "logger/TSettings.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace zel {

class TTranslations;

/// The card's logger settings ("Settings.prm", one TSettings record) and the channel list
/// of the configured dash and ECU. While active the file is held open and every save goes
/// to it, whatever SettingsFileName says by then. Failures throw LoggerTableError.
class TKROSettings : public QObject
{
    Q_OBJECT

public:
    static constexpr int kRecordSize = int(sizeof(TSettings));
    /// StartECUData whenever the dash has channels of its own.
    static constexpr std::uint8_t kDashStartECUData = 16;

    /// Creates an inactive component with an all-zero record and builds its (empty) list.
    explicit TKROSettings(QObject *parent = nullptr);

    /// Path of the settings file that the next load or create uses.
    QString SettingsFileName() const { return FSettingsFileName; }
    /// Sets the path for the next load or create; an open file stays the save target.
    void setSettingsFileName(const QString &name) { FSettingsFileName = name; }

    /// Translation records whose names go into the log header.
    TTranslations *Translation() const { return FTranslation; }
    /// Sets the translation component that supplies the header's channel names.
    void setTranslation(TTranslations *translation) { FTranslation = translation; }

    /// The record in memory, for the owner to read and edit.
    TSettings &settings() { return Settings; }
    /// The record in memory.
    const TSettings &settings() const { return Settings; }

    /// The channel list built by the last Initialise; a name's position is its channel number.
    const QStringList &ChannelNames() const { return FChannelNames; }
    /// Number of channels of this card's own list (what the card's other tables use).
    int channelCount() const { return int(FChannelNames.size()); }

    /// True while a settings file is open.
    bool active() const { return FSettingsTable.active(); }
    /// True when the last load found a file shorter than one record.
    bool wasShort() const { return FSettingsTable.wasShort(); }
    /// Message about the last load for the user (empty when the file was whole).
    QString loadWarning() const { return FSettingsTable.loadWarning(); }

    /// Dash model code (field `model`).
    std::uint8_t Model() const { return Settings.model; }
    /// Stores the dash model code and rebuilds the channel list.
    void setModel(std::uint8_t value);
    /// Dash feature code (field `feature`), which selects the dash's channel list.
    std::uint8_t Feature() const { return Settings.feature; }
    /// Stores the dash feature code and rebuilds the channel list.
    void setFeature(std::uint8_t value);
    /// ECU make code (field `ecumake`).
    std::uint8_t ECUMake() const { return Settings.ecumake; }
    /// Stores the ECU make code and rebuilds the channel list.
    void setECUMake(std::uint8_t value);
    /// ECU model code (field `ecumodel`).
    std::uint8_t ECUModel() const { return Settings.ecumodel; }
    /// Stores the ECU model code and rebuilds the channel list.
    void setECUModel(std::uint8_t value);
    /// ECU feature code (field `ecufeature`).
    std::uint8_t ECUFeature() const { return Settings.ecufeature; }
    /// Stores the ECU feature code and rebuilds the channel list.
    void setECUFeature(std::uint8_t value);

    /// Stores all five dash and ECU codes, then rebuilds the channel list once.
    void SetChannels(std::uint8_t model, std::uint8_t feature, std::uint8_t ecuMake,
        std::uint8_t ecuModel, std::uint8_t ecuFeature);
    /// Rebuilds ChannelNames, StartECUData, ChannelCount and the shared LoggerChannelCount
    /// from the stored codes.
    void Initialise();

    /// Opens SettingsFileName (releasing any open file first), reads the record and raises
    /// OnloadTable. A short file is read as far as it goes and the rest of the record is
    /// cleared; loadWarning() then says so. A missing file throws and leaves the
    /// component inactive.
    void LoadSettingsTable();
    /// Creates or empties SettingsFileName and writes a record of defaults with a fresh
    /// log header; the component becomes active.
    void CreateSettingsTable();
    /// Rebuilds the log header and writes the record to the open file unless the file
    /// holds it already; does nothing while inactive.
    void SaveSettingsTable();
    /// Saves and releases the open file; the component is inactive afterwards. When the
    /// save fails the error propagates and the file stays open, so nothing is lost.
    void CloseSettingsTable();
    /// Lets the open file go without writing anything, for a card that was pulled out or
    /// swapped for another: what is in memory must not reach whatever is now at that path.
    /// The component is inactive afterwards.
    void ReleaseSettingsTable();

signals:
    /// Raised after each load, so the owner can show the record.
    void OnloadTable();
    /// Raised before each create and save, so the owner can copy its controls in.
    void BeforeSaveTable();

private:
    void setDefaults();
    void buildHeader(int channels);
    QByteArrayView recordBytes() const;

    QString FSettingsFileName;
    TTranslations *FTranslation = nullptr;
    QStringList FChannelNames;
    CardTableFile FSettingsTable { QStringLiteral("the logger settings"),
        QStringLiteral("the missing settings were cleared") };
    TSettings Settings {};
};

} // namespace zel
