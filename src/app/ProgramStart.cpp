#include "app/ProgramStart.h"

#include "card/SystemCardDrives.h"
#include "session/TKRO_Data.h"
#include "ui/HandlerGuard.h"

namespace zel {

Program startProgram(const QString &programFolder, UserDialogs &dialogs,
    const FolderWritable &writable, DocumentOpener openDocument)
{
    Program program;
    program.data = std::make_unique<TKRO_Data>();
    const QString dataFolder = programDataFolder(programFolder, writable);
    program.window = std::make_unique<TMainForm>(
        *program.data, dialogs, programFolder, dataFolder, std::move(openDocument));
    program.trackMap = std::make_unique<TTrackForm>(dialogs, dataFolder);
    program.window->setTrackForm(program.trackMap.get());
    program.trackLap = std::make_unique<TTrackLapForm>(dialogs, dataFolder);
    program.window->setTrackLapForm(program.trackLap.get());
    guarded(dialogs, [&] { program.data->DataModuleCreate(programFolder, writable); });
    program.initCard = std::make_unique<TfrmInitCard>();
    program.window->setInitCardForm(program.initCard.get());
    program.drives = std::make_unique<SystemCardDrives>();
    program.window->setCardDrives(program.drives.get());
    return program;
}

} // namespace zel
