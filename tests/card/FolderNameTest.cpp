#include "common/FolderName.h"

#include <gtest/gtest.h>

using namespace zel;

TEST(FolderNameTest, AcceptsOnlyOnePlainFolderName)
{
    for (const char *good : { "DEMO", "Car 7", "Team-A_2024", "a.b", "Ünïcode" })
        EXPECT_TRUE(isSafeFolderName(QString::fromUtf8(good))) << good;
    for (const char *bad : { "", "   ", ".", "..", "../x", "a/b", "a\\b", "C:", "a*", "a?", "\"q\"",
             "<a>", "a|b", ".hidden", "dot.", " lead", "trail ", "tab\there" })
        EXPECT_FALSE(isSafeFolderName(QString::fromUtf8(bad))) << bad;
}
