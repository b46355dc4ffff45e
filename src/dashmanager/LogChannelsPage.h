#pragma once

#include <QWidget>
#include <array>

namespace zel {

class TKROSettings;
class TLOGCheckBox;
class TTranslations;
class UserDialogs;

/// The "Log Channels" page: one box per logger channel 0..47, ticked when the channel is
/// logged (its DataSize entry 4, else 0). A box beyond the settings' channel list shows
/// "Spare", disabled and unticked; the box of channel 47 is hidden, as the logger records
/// at most 47 channel values. Each box writes its entry when it changes.
class LogChannelsPage : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kChannelCount = 48;
    /// Bytes per sample of a logged channel.
    static constexpr quint8 kLoggedDataSize = 4;

    /// Binds to \a settings and captions the boxes from \a translations after each of
    /// their loads; errors of the boxes go to \a dialogs. All three must outlive the page.
    LogChannelsPage(TKROSettings &settings, TTranslations &translations, UserDialogs &dialogs,
        QWidget *parent = nullptr);

    /// Captions each box with its channel's translation name ("Spare" beyond the list).
    void showChannelNames();
    /// After each settings load: enables the boxes of the channel list and ticks those
    /// whose DataSize entry is not 0; the others stay unticked.
    void showSettings();
    /// Before each save: the 48 DataSize entries from the boxes.
    void storeSettings();
    /// Unticks every box, for the no-card state.
    void clear();

    TLOGCheckBox &box(int channel) { return *m_boxes.at(std::size_t(channel)); }

private:
    TKROSettings &m_settings;
    TTranslations &m_translations;
    std::array<TLOGCheckBox *, kChannelCount> m_boxes {};
};

} // namespace zel
