#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace zel {

/// The dash models a card can be prepared for, in the order of the windows' lists. A model's
/// position here is the `dash` argument of the functions below; the settings' ModelIndex is
/// that position + 1, the lists on screen starting with a "Select logger" entry.
QStringList dashModelEntries();

/// The ECUs a dash can be connected to, in list order ("No ECU Connected" first). A position
/// here is the `ecu` argument below; the settings' ECUIndex is that position + 1.
QStringList ecuEntries();

/// The codes a dash model and ECU choice puts into the settings record.
struct CardCodes
{
    std::uint8_t model;
    std::uint8_t feature;
    std::uint8_t ecuMake;
    std::uint8_t ecuModel;
    std::uint8_t ecuFeature;
    std::uint8_t modelIndex;
    std::uint8_t ecuIndex;
};

/// The codes for positions \a dash and \a ecu in the two lists, either -1 for no choice.
/// Without a dash the feature is that of the pro street dash; without an ECU, or with
/// "No ECU Connected", the three ECU codes are 0. A position outside its list counts as no
/// choice.
CardCodes cardCodes(int dash, int ecu);

/// True for the choice the dash cannot run: the street dash, which has no channels of its
/// own, without an ECU.
bool isRefusedCombination(int dash, int ecu);

/// How many channel positions of a raw log an import from a card copies: by the ECU's list
/// index when the dash model code is 1, otherwise none.
int ecuChannelCount(int model, int ecuIndex);

/// The folder under \a programFolder holding the initialisation files for a dash model and
/// ECU, e.g. "<program>/Initialisation/ZEL/KRO7_4/MSE". Throws Error for a position outside
/// its list, so that no caller copies from a folder that is not a template's.
QString templateFolder(const QString &programFolder, int dash, int ecu);

/// The files a template folder holds and an initialisation copies to the card, in the order
/// they are copied.
QStringList initialisationFileNames();
/// The files of initialisationFileNames() that belong to the dash (gauges, PWM, screens):
/// this program only copies them.
QStringList dashOwnFileNames();

} // namespace zel
