#pragma once

namespace zel {

class TfrmLoggerConfig;

/// "Backup Settings": copies the configuration files of the card selected in \a config into
/// its backup folder in the program's Data folder and records the card in the card-ID
/// register, after asking.
void backupCardSettings(TfrmLoggerConfig &config);

/// "Restore Backup": lets the user choose a card's backup ("Select Card ID") and copies it
/// onto the card selected in \a config, after the questions that guard the card's settings.
void restoreCardSettings(TfrmLoggerConfig &config);

} // namespace zel
