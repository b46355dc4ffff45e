#include "card/DashModels.h"

#include "common/Error.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace zel;

TEST(DashModelsTest, ListsAreInTheWindowsOrder)
{
    EXPECT_EQ(dashModelEntries(),
        QStringList({ "ZEL KRO-7 Street", "ZEL KRO-7 Pro Street", "ZEL KRO-7 Pro Drag",
            "ZEL KRO-7 Pro Circuit", "ZEL KRO-7 Hot Rod" }));
    EXPECT_EQ(ecuEntries(),
        QStringList({ "No ECU Connected", "ZEL Motorsport ECUs", "ZEL Corvid 4", "MoTec M800",
            "ZEL VT4A", "ZEL VT4B" }));
    EXPECT_EQ(initialisationFileNames(),
        QStringList({ "GaugeParam.prm", "PWMLoop.prm", "Settings.prm", "Translation.prm",
            "screen1.scn", "screen2.scn" }));
}

TEST(DashModelsTest, DashChoiceGivesFeatureAndModelIndex)
{
    // dash position, feature, ModelIndex
    const std::tuple<int, int, int> cases[] = {
        { 0, 0, 1 },
        { 1, 1, 2 },
        { 2, 2, 3 },
        { 3, 3, 4 },
        { 4, 4, 5 },
        { -1, 1, 0 },
        { 5, 1, 0 },
    };
    for (const auto &[dash, feature, modelIndex] : cases) {
        const CardCodes codes = cardCodes(dash, 1);
        EXPECT_EQ(codes.model, 1) << dash;
        EXPECT_EQ(codes.feature, feature) << dash;
        EXPECT_EQ(codes.modelIndex, modelIndex) << dash;
    }
}

TEST(DashModelsTest, EcuChoiceGivesMakeModelFeatureAndEcuIndex)
{
    // ecu position, make, model, feature, ECUIndex
    const std::tuple<int, int, int, int, int> cases[] = {
        { 0, 0, 0, 0, 1 },
        { 1, 1, 1, 1, 2 },
        { 2, 1, 2, 1, 3 },
        { 3, 2, 1, 1, 4 },
        { 4, 3, 1, 1, 5 },
        { 5, 3, 2, 1, 6 },
        { -1, 0, 0, 0, 0 },
        { 6, 0, 0, 0, 0 },
    };
    for (const auto &[ecu, make, model, feature, ecuIndex] : cases) {
        const CardCodes codes = cardCodes(3, ecu);
        EXPECT_EQ(codes.ecuMake, make) << ecu;
        EXPECT_EQ(codes.ecuModel, model) << ecu;
        EXPECT_EQ(codes.ecuFeature, feature) << ecu;
        EXPECT_EQ(codes.ecuIndex, ecuIndex) << ecu;
    }
}

TEST(DashModelsTest, OnlyTheStreetDashWithoutEcuIsRefused)
{
    for (int dash = -1; dash < 5; ++dash) {
        for (int ecu = -1; ecu < 6; ++ecu)
            EXPECT_EQ(isRefusedCombination(dash, ecu), dash == 0 && ecu == 0) << dash << ecu;
    }
}

TEST(DashModelsTest, EcuChannelCountFollowsTheEcuIndexOnlyForModelOne)
{
    // model, ECUIndex, count
    const std::tuple<int, int, int> cases[] = {
        { 1, 0, 0 },
        { 1, 1, 0 },
        { 1, 2, 47 },
        { 1, 3, 26 },
        { 1, 4, 47 },
        { 1, 5, 39 },
        { 1, 6, 48 },
        { 1, 7, 0 },
        { 1, 255, 0 },
        { 1, -1, 0 },
        { 0, 2, 0 },
        { 2, 6, 0 },
    };
    for (const auto &[model, ecuIndex, count] : cases)
        EXPECT_EQ(ecuChannelCount(model, ecuIndex), count) << model << " " << ecuIndex;
}

TEST(DashModelsTest, TemplateFolderJoinsDashAndEcuFolders)
{
    EXPECT_EQ(templateFolder("/opt/zel", 0, 1), "/opt/zel/Initialisation/ZEL/KRO7_1/MSE");
    EXPECT_EQ(templateFolder("/opt/zel/", 3, 0), "/opt/zel/Initialisation/ZEL/KRO7_4/KRO7");
    const QStringList ecuFolders = { "KRO7", "MSE", "CV4", "M800", "VT4A", "VT4B" };
    for (int ecu = 0; ecu < ecuFolders.size(); ++ecu) {
        EXPECT_EQ(templateFolder("p", 4, ecu), "p/Initialisation/ZEL/KRO7_5/" + ecuFolders[ecu]);
    }
    for (const auto &[dash, ecu] :
        { std::pair(-1, 0), std::pair(5, 0), std::pair(0, -1), std::pair(0, 6) }) {
        EXPECT_THROW(templateFolder("/opt/zel", dash, ecu), Error) << dash << " " << ecu;
    }
}
