#pragma once

#include "app/TMainForm.h"
#include "card/CardDrives.h"
#include "dashmanager/TfrmInitCard.h"
#include "session/ProgramDataFolder.h"
#include "session/TKRO_Data.h"
#include "track/widgets/TTrackForm.h"
#include "track/widgets/TTrackLapForm.h"

#include <memory>

namespace zel {

class UserDialogs;

/// The objects start-up creates and the program runs on.
struct Program
{
    /// Declared first, so the windows and the logs go before it.
    std::unique_ptr<TKRO_Data> data;
    /// The removable drives, followed for the logger configuration window.
    std::unique_ptr<CardDrives> drives;
    /// Kept for the whole run, so that its lists keep the user's choice.
    std::unique_ptr<TfrmInitCard> initCard;
    /// Declared before the main window, which sends them laps until it goes.
    std::unique_ptr<TTrackForm> trackMap;
    std::unique_ptr<TTrackLapForm> trackLap;
    std::unique_ptr<TMainForm> window;
};

/// Start-up: the main window, the track map editor, the track lap window, then the data
/// module, the card initialisation window and the removable-drive watch, over \a programFolder (its "Data" folder or, when \a writable refuses that, the
/// user's application-data folder). A data module that fails to start is reported through
/// \a dialogs and the program runs on with what it loaded: logs still open and save. No
/// window is shown yet.
Program startProgram(const QString &programFolder, UserDialogs &dialogs,
    const FolderWritable &writable, DocumentOpener openDocument);

} // namespace zel
