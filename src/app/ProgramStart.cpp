#include "app/ProgramStart.h"

#include "session/TKRO_Data.h"
#include "ui/HandlerGuard.h"

namespace zel {

Program startProgram(const QString &programFolder, UserDialogs &dialogs,
    const FolderWritable &writable, DocumentOpener openDocument)
{
    Program program;
    program.data = std::make_unique<TKRO_Data>();
    program.window = std::make_unique<TMainForm>(*program.data, dialogs, programFolder,
        programDataFolder(programFolder, writable), std::move(openDocument));
    guarded(dialogs, [&] { program.data->DataModuleCreate(programFolder, writable); });
    return program;
}

} // namespace zel
