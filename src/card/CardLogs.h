#pragma once

namespace zel {

class CardPaths;

/// True when the card's "Logs" folder holds a raw log ("*.Dsh" in any case).
bool holdsRawLogs(const CardPaths &card);

/// Deletes the card's "Logs" folder with everything in it and creates it again empty
/// (creates it when it did not exist). Only a real folder directly inside the card's root
/// is deleted: a symbolic link or a file of that name is refused. Throws FileError naming
/// the folder when it cannot be deleted or made.
void clearLogsFolder(const CardPaths &card);

} // namespace zel
