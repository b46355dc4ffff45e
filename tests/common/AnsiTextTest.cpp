#include "common/AnsiText.h"

#include <gtest/gtest.h>

using namespace zel;

TEST(AnsiText, UsesWindows1252NotLatin1)
{
    EXPECT_EQ(toAnsi(QString::fromUtf8("€ é")), QByteArray("\x80 \xe9"));
    EXPECT_EQ(fromAnsi(QByteArray("\x80\x9f")), QString::fromUtf8("€Ÿ"));
}

TEST(AnsiText, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(toAnsi(QString::fromUtf8("a中😀b")), QByteArray("a??b"));
}
