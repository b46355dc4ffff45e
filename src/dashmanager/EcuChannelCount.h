#pragma once

namespace zel {

/// How many channel positions of a raw log the card's dash and ECU fill, from the settings'
/// dash model code \a model and the ECU list entry \a ecuIndex: 0 unless the model is 1, else
/// 0 for "No ECU Connected", 47 for "ZEL Motorsport ECUs" and "MoTec M800", 26 for "ZEL
/// Corvid 4", 39 for "ZEL VT4A", 48 for "ZEL VT4B", and 0 for any other entry.
int ecuChannelCount(int model, int ecuIndex);

} // namespace zel
