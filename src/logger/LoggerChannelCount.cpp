#include "logger/LoggerChannelCount.h"

namespace zel {

namespace {
// Only the user-interface thread touches the logger tables, so no locking is needed.
int gLoggerChannelCount = kInitialLoggerChannelCount;
} // namespace

int LoggerChannelCount()
{
    return gLoggerChannelCount;
}

void setLoggerChannelCount(int count)
{
    gLoggerChannelCount = count;
}

void resetLoggerChannelCount()
{
    gLoggerChannelCount = kInitialLoggerChannelCount;
}

} // namespace zel
