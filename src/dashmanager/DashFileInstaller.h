#pragma once

#include "card/ProgramPaths.h"

#include <QObject>
#include <QString>
#include <functional>

namespace zel {

class TKROSettings;
class UserDialogs;

/// Puts the dash's own files onto the selected card: a firmware image as the card's
/// "KRO.EXE", and the sector ("Practice") and message ("TrackMessage") files into its
/// "Data" folder with their names in the settings. Every copy replaces the card's file in
/// one step, and a failed copy is reported and changes no setting, so the dash is never
/// pointed at a file the card does not hold.
class DashFileInstaller : public QObject
{
    Q_OBJECT
public:
    /// Asks through \a dialogs and records names in \a settings, the tables of the card
    /// \a cardRoot gives (empty: none is selected); \a program gives the program's folders.
    DashFileInstaller(UserDialogs &dialogs, TKROSettings &settings,
        std::function<QString()> cardRoot, std::function<ProgramPaths()> program,
        QObject *parent = nullptr);

    /// "Load new firmware to card": asks for an image, starting in the program's firmware
    /// folder, and copies it to the card.
    void LoadFirmware();
    /// "Load Sector File": asks for a sector file, starting in the program's "Data" folder,
    /// copies it into the card's "Data" folder and names it in the settings, which are saved.
    void LoadSectorFile();
    /// "Load Message File": as LoadSectorFile, for the message file.
    void LoadMessageFile();
    /// "Remove Sector File": empties the name and saves the settings; the file stays.
    void RemoveSectorFile();
    /// "Remove Message File": as RemoveSectorFile, for the message file.
    void RemoveMessageFile();

Q_SIGNALS:
    /// The sector or message file name in the settings changed (and was saved).
    void namesChanged();

private:
    enum class Kind { Sector, Message };
    void loadDataFile(Kind kind);
    void setName(Kind kind, const QString &name);

    UserDialogs &m_dialogs;
    TKROSettings &m_settings;
    std::function<QString()> m_cardRoot;
    std::function<ProgramPaths()> m_program;
};

} // namespace zel
