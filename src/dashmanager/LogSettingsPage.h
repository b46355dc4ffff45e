#pragma once

#include "logger/TSettings.h"

#include <QWidget>
#include <cstdint>

class QButtonGroup;
class QComboBox;

namespace zel {

class TKROSettings;
class TLOGEdit;
class TLogCombo;
class TTranslations;
class TZELSpinEdit;
class UserDialogs;

/// The "Log Settings" page: the log file name, the recording, memory, message, unit and
/// start/stop choices, the start/stop channel with its two comparisons, and the sector and
/// message file names (a widget the window hands over). Each control writes its setting
/// when the user changes it; showSettings and storeSettings move them all at a load and
/// before a save. A stored value a list has no entry for shows no choice and is kept.
class LogSettingsPage : public QWidget
{
    Q_OBJECT
public:
    /// Binds to \a settings, naming channels from \a translations; errors of the controls
    /// go to \a dialogs. All three must outlive the page. \a dashFileNames joins the page.
    LogSettingsPage(TKROSettings &settings, TTranslations &translations, UserDialogs &dialogs,
        QWidget *dashFileNames, QWidget *parent = nullptr);

    /// The settings into the controls, after each settings load; refills the channel list
    /// from the translation names of the logger's channels first.
    void showSettings();
    /// The controls into the settings, before each save. The start delays are not part of
    /// it: they are written only when edited, so a stored fraction survives.
    void storeSettings();
    /// Shows no settings, for the no-card state: no card's values stay on show.
    void clear();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    using ByteField = std::uint8_t TSettings::*;

    QWidget *choices(QButtonGroup *&group, const char *name, const QString &title,
        const QStringList &entries, ByteField field);
    QComboBox *indexList(QComboBox *list, const char *name, ByteField field);
    // The float fields are packed at odd offsets, so they are reached by plain member
    // access in these setters rather than through member pointers.
    using FloatSetter = void (*)(TSettings &, float);

    TLOGEdit *compareValue(const char *name, FloatSetter store);
    TZELSpinEdit *startDelay(const char *name, FloatSetter store);
    QWidget *startStopBox();
    void storeName();

    TKROSettings &m_settings;
    TTranslations &m_translations;
    UserDialogs &m_dialogs;
    TLOGEdit *m_logFileName = nullptr;
    QButtonGroup *m_recordingMode = nullptr;
    QButtonGroup *m_memory = nullptr;
    QButtonGroup *m_trackMessages = nullptr;
    QButtonGroup *m_speedUnits = nullptr;
    QButtonGroup *m_startStopMode = nullptr;
    TLogCombo *m_startStopChannel = nullptr;
    QComboBox *m_startCompare = nullptr;
    QComboBox *m_stopCompare = nullptr;
    TLOGEdit *m_startValue = nullptr;
    TLOGEdit *m_stopValue = nullptr;
    TZELSpinEdit *m_startDelay = nullptr;
    TZELSpinEdit *m_stopDelay = nullptr;
};

} // namespace zel
