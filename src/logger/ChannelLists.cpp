#include "logger/ChannelLists.h"

#include <initializer_list>

namespace zel {

namespace {

using Names = std::initializer_list<const char *>;

// The names are the ones the dash firmware shows, typing slips ("KRl") included: the
// logger matches them as written.

const Names kProStreetDash = {
    "GPS Lon G-Force",
    "GPS Lat G-Force",
    "GPS G-Force",
    "GPS Lap Distance",
    "GPS Speed",
};

const Names kProDragDash = {
    "KRO Analogue 1",
    "KRO Analogue 2",
    "KRO Analogue 3",
    "KRO Analogue 4",
    "KRO Pulse Input 1",
    "KRO Pulse Input 2",
    "KRO PWM 1",
    "KRO PWM 2",
    "KRO Pulse Counter 1",
    "KRl Pulse Counter 2",
    "GPS Lon G-Force",
    "GPS Lat G-Force",
    "GPS G-Force",
    "GPS Lap Distance",
    "GPS Speed",
};

const Names kProCircuitDash = {
    "KRO Analogue 1",
    "KRO Analogue 2",
    "KRO Analogue 3",
    "KRO Analogue 4",
    "KRO Pulse Input 1",
    "KRO Pulse Input 2",
    "KRO PWM 1",
    "KRO Spare",
    "KRO Pulse Counter 1",
    "KRO Pulse Counter 2",
    "GPS Lon G-Force",
    "GPS Lat G-Force",
    "GPS G-Force",
    "GPS Lap Distance",
    "GPS Speed",
};

const Names kHotRodDash = {
    "KRO Analogue 1",
    "KRO Analogue 2",
    "KRO Analogue 3",
    "KRO Analogue 4",
    "KRO Pulse Input 1",
    "KRO Pulse Input 2",
    "KRO PWM 1",
    "KRO PWM 2",
    "KRO Pulse Counter 1",
    "KRl Pulse Counter 2",
    "Digital Input 1",
    "Digital Input 2",
    "Digital Input 3",
};

const Names kMotorsportEcu = {
    "ECU RPM",
    "ECU Load",
    "ECU TPS",
    "ECU O2_1",
    "ECU O2_2",
    "ECU Air Temp",
    "ECU Eng Temp",
    "ECU Ign Timing",
    "ECU Inj Milli Sec.",
    "ECU Ethanol Content",
    "ECU Battery Volts",
    "ECU End of inj Angle",
    "ECU Analogue 1",
    "ECU Analogue 2",
    "ECU Analogue 3",
    "ECU Analogue 4",
    "ECU Analogue 5",
    "ECU Analogue 6",
    "ECU Analogue 7",
    "ECU Analogue 8",
    "ECU Analogue 9",
    "ECU Aux Out 1",
    "ECU Aux Out 2",
    "ECU Aux Out 3",
    "ECU Aux Out 4",
    "ECU Aux Out 5",
    "ECU Aux Out 6",
    "ECU Aux Out 7",
    "ECU Aux Out 8",
    "Fuel Temperature",
    "Digital In 1",
    "Digital In 2",
};

const Names kCorvid4Ecu = {
    "ECU RPM",
    "ECU Load",
    "ECU TPS",
    "ECU O2_1",
    "Not Used",
    "ECU Air Temp",
    "ECU Eng Temp",
    "ECU Ign Timing",
    "ECU Inj MilliSec",
    "ECU Staged Inj",
    "ECU Battery Volts",
};

const Names kM800Ecu = {
    "ECU RPM",
    "ECU TPS",
    "ECU Man Press.",
    "ECU Air Temp.",
    "ECU Eng Temp.",
    "ECU Lambda 1",
    "ECU Lambda 2",
    "ECU Exh. Man. Press",
    "ECU Fuel Temp.",
    "ECU Fuel Press.",
    "ECU Oil Temp",
    "ECU Oil Press",
    "ECU Knock Volts",
    "ECU Gear Sft Force",
    "ECU User Channel 1",
    "ECU User Channel 2",
    "ECU User Channel 3",
    "ECU User Channel 4",
    "ECU Battery Volts",
    "ECU Digital Speed 1",
    "ECU Digital Speed 2",
    "ECU Digital Speed 3",
    "ECU Digital Speed 4",
    "ECU Drive Speed",
    "ECU Ground Speed",
    "ECU Slip",
    "ECU Ign Advance",
};

const Names kVT4AEcu = {
    "ECU RPM",
    "ECU Load",
    "ECU TPS",
    "ECU O2_1",
    "ECU Air Temp",
    "ECU Eng Temp",
    "ECU Fuel Temp",
    "ECU Ethanol Content",
    "ECU Inj mS",
    "ECU Battery Volts",
    "ECU Injection Angle",
    "ECU Ignition Timing",
    "ECU Analogue In 1",
    "ECU Analogue In 2",
    "ECU Analogue In 3",
    "ECU Analogue In 4",
    "ECU Digital In 1",
    "ECU Digital In 2",
    "ECU Digital In 3",
    "ECU Digital In 4",
    "ECU Aux Out 1",
    "ECU Aux Out 2",
    "ECU Aux Out 3",
    "ECU Aux Out 4",
};

const Names kVT4BEcu = {
    "ECU RPM",
    "ECU Load",
    "ECU TPS",
    "ECU O2_1",
    "ECU Air Temp",
    "ECU Eng Temp",
    "ECU Fuel Temp",
    "ECU Ethanol Content",
    "ECU Inj mS",
    "ECU Battery Volts",
    "ECU Injection Angle",
    "ECU Ignition Timing",
    "ECU Analogue In 1",
    "ECU Analogue In 2",
    "ECU Analogue In 3",
    "ECU Analogue In 4",
    "ECU Analogue In 5",
    "ECU X Axis",
    "ECU Y Axis",
    "ECU Z Axis",
    "ECU Aux Out 1",
    "ECU Aux Out 2",
    "ECU Aux Out 3",
    "ECU Aux Out 4",
    "ECU Knock Count",
    "ECU Knock Level",
    "ECU Digital 1",
    "ECU Digital 2",
    "ECU Digital 3",
    "ECU Digital 4",
    "ECU Digital 5",
};

QStringList toList(Names names)
{
    QStringList list;
    list.reserve(qsizetype(names.size()));
    for (const char *name : names)
        list.append(QString::fromLatin1(name));
    return list;
}

} // namespace

QStringList dashChannelList(int feature)
{
    switch (feature) {
    case 1:
        return toList(kProStreetDash);
    case 2:
        return toList(kProDragDash);
    case 3:
        return toList(kProCircuitDash);
    case 4:
        return toList(kHotRodDash);
    default:
        return {};
    }
}

QStringList ecuChannelList(int ecuMake, int ecuModel, int ecuFeature)
{
    if (ecuFeature != 1)
        return {};
    if (ecuMake == 1 && ecuModel == 1)
        return toList(kMotorsportEcu);
    if (ecuMake == 1 && ecuModel == 2)
        return toList(kCorvid4Ecu);
    if (ecuMake == 2 && ecuModel == 1)
        return toList(kM800Ecu);
    if (ecuMake == 3 && ecuModel == 1)
        return toList(kVT4AEcu);
    if (ecuMake == 3 && ecuModel == 2)
        return toList(kVT4BEcu);
    return {};
}

QStringList loggerChannelList(int feature, int ecuMake, int ecuModel, int ecuFeature)
{
    return dashChannelList(feature) + ecuChannelList(ecuMake, ecuModel, ecuFeature);
}

} // namespace zel
