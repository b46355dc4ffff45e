#pragma once

#include <QString>

namespace zel {

/// The card tables that have a fixed record layout.
enum class LoggerTableKind {
    Unknown,
    Settings, ///< "Settings.prm": one TSettings record
    Translations, ///< "Translation.prm": 48 TTranslation records
    SectorLines, ///< a sector file ("*.prc"): 256 TrackLine records
    MessageLines, ///< a message file ("*.msg"): 256 TrackLine records
    TrackLines, ///< 256 TrackLine records whose name does not tell sector from message
};

/// Tells which table a file holds: by its name (matched without regard to case), else by
/// its exact size. A missing file, or one that matches neither, is Unknown.
LoggerTableKind loggerTableKind(const QString &path);

} // namespace zel
