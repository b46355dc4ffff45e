#include "card/DashModels.h"

#include "common/Error.h"

#include <QDir>
#include <array>

namespace zel {

namespace {

struct DashModel
{
    const char *entry;
    std::uint8_t feature;
};

constexpr std::array<DashModel, 5> kDashModels { {
    { "ZEL KRO-7 Street", 0 },
    { "ZEL KRO-7 Pro Street", 1 },
    { "ZEL KRO-7 Pro Drag", 2 },
    { "ZEL KRO-7 Pro Circuit", 3 },
    { "ZEL KRO-7 Hot Rod", 4 },
} };

struct Ecu
{
    const char *entry;
    const char *folder;
    std::uint8_t make;
    std::uint8_t model;
    std::uint8_t feature;
    int importedChannels;
};

constexpr std::array<Ecu, 6> kEcus { {
    { "No ECU Connected", "KRO7", 0, 0, 0, 0 },
    { "ZEL Motorsport ECUs", "MSE", 1, 1, 1, 47 },
    { "ZEL Corvid 4", "CV4", 1, 2, 1, 26 },
    { "MoTec M800", "M800", 2, 1, 1, 47 },
    { "ZEL VT4A", "VT4A", 3, 1, 1, 39 },
    { "ZEL VT4B", "VT4B", 3, 2, 1, 48 },
} };

constexpr int kNoEcu = 0;
constexpr int kStreetDash = 0;
constexpr std::uint8_t kDefaultFeature = 1;

template <typename List> bool inList(const List &list, int position)
{
    return position >= 0 && position < int(list.size());
}

} // namespace

QStringList dashModelEntries()
{
    QStringList entries;
    for (const DashModel &m : kDashModels)
        entries << QString::fromLatin1(m.entry);
    return entries;
}

QStringList ecuEntries()
{
    QStringList entries;
    for (const Ecu &e : kEcus)
        entries << QString::fromLatin1(e.entry);
    return entries;
}

CardCodes cardCodes(int dash, int ecu)
{
    CardCodes codes { 1, kDefaultFeature, 0, 0, 0, 0, 0 };
    if (inList(kDashModels, dash)) {
        codes.feature = kDashModels[std::size_t(dash)].feature;
        codes.modelIndex = std::uint8_t(dash + 1);
    }
    if (inList(kEcus, ecu)) {
        const Ecu &e = kEcus[std::size_t(ecu)];
        codes.ecuMake = e.make;
        codes.ecuModel = e.model;
        codes.ecuFeature = e.feature;
        codes.ecuIndex = std::uint8_t(ecu + 1);
    }
    return codes;
}

bool isRefusedCombination(int dash, int ecu)
{
    return dash == kStreetDash && ecu == kNoEcu;
}

int ecuChannelCount(int model, int ecuIndex)
{
    if (model != 1 || !inList(kEcus, ecuIndex - 1))
        return 0;
    return kEcus[std::size_t(ecuIndex - 1)].importedChannels;
}

QString templateFolder(const QString &programFolder, int dash, int ecu)
{
    if (!inList(kDashModels, dash) || !inList(kEcus, ecu)) {
        throw Error(QStringLiteral("No initialisation template for dash model %1 and ECU %2")
                        .arg(dash)
                        .arg(ecu));
    }
    return QDir(programFolder)
        .filePath(QStringLiteral("Initialisation/ZEL/KRO7_%1/%2")
                      .arg(dash + 1)
                      .arg(QLatin1String(kEcus[std::size_t(ecu)].folder)));
}

QStringList initialisationFileNames()
{
    return { QStringLiteral("GaugeParam.prm"), QStringLiteral("PWMLoop.prm"),
        QStringLiteral("Settings.prm"), QStringLiteral("Translation.prm"),
        QStringLiteral("screen1.scn"), QStringLiteral("screen2.scn") };
}

QStringList dashOwnFileNames()
{
    QStringList names = initialisationFileNames();
    names.removeOne(QStringLiteral("Settings.prm"));
    names.removeOne(QStringLiteral("Translation.prm"));
    return names;
}

} // namespace zel
