#include "dashmanager/EcuChannelCount.h"

namespace zel {

int ecuChannelCount(int model, int ecuIndex)
{
    if (model != 1)
        return 0;
    switch (ecuIndex) {
    case 2: // ZEL Motorsport ECUs
    case 4: // MoTec M800
        return 47;
    case 3: // ZEL Corvid 4
        return 26;
    case 5: // ZEL VT4A
        return 39;
    case 6: // ZEL VT4B
        return 48;
    default: // "No ECU Connected" and entries the list does not have
        return 0;
    }
}

} // namespace zel
