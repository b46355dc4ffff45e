#pragma once

namespace zel {

/// Channel count every logger component assumes before any settings have been read.
constexpr int kInitialLoggerChannelCount = 48;

/// Number of logger channels of the configured dash and ECU, shared by the table
/// components and the windows.
int LoggerChannelCount();

/// Sets the shared channel count; the settings component calls this whenever it rebuilds
/// its channel list.
void setLoggerChannelCount(int count);

/// Restores the program-start value (48), so that tests do not depend on each other.
void resetLoggerChannelCount();

} // namespace zel
