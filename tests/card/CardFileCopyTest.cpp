#include "card/CardFileCopy.h"

#include "CardTesting.h"

using namespace zel;
using namespace cardtesting;

namespace {

class CardFileCopyTest : public CardTest
{
};

TEST_F(CardFileCopyTest, CopiesByteExactlyUnderTheTargetsExistingName)
{
    const QString source = program("Data/Car/Settings");
    writeAll(source + "/screen1.scn", contentOf("new screen"));
    writeAll(card("DATA/SCREEN1.SCN"), contentOf("old screen"));

    const CopyResult result = copyCardFile(source, card("DATA"), "Screen1.scn");
    EXPECT_EQ(result.name, "Screen1.scn");
    EXPECT_EQ(result.outcome, CopyOutcome::Copied);
    EXPECT_EQ(readAll(card("DATA/SCREEN1.SCN")), contentOf("new screen"));
    EXPECT_EQ(tree(card()), QStringList({ "DATA", "DATA/SCREEN1.SCN" })); // no second file

    // A new file gets the canonical name.
    writeAll(source + "/SCREEN2.scn", contentOf("second"));
    EXPECT_EQ(copyCardFile(source, card("DATA"), "Screen2.scn").outcome, CopyOutcome::Copied);
    EXPECT_EQ(readAll(card("DATA/Screen2.scn")), contentOf("second"));
}

TEST_F(CardFileCopyTest, AMissingSourceIsSkippedAndAFailureNamesItsReason)
{
    writeAll(card("Data/Maths.prm"), contentOf("card maths"));
    const CopyResult missing = copyCardFile(program(), card("Data"), "Maths.prm");
    EXPECT_EQ(missing.outcome, CopyOutcome::SourceMissing);
    EXPECT_EQ(readAll(card("Data/Maths.prm")), contentOf("card maths"));

    writeAll(program("Settings.prm"), contentOf("settings"));
    writeAll(program("Maths.prm"), contentOf("maths"));
    ASSERT_TRUE(QDir().mkpath(program("Firmware.Bin")));
    ASSERT_TRUE(QDir().mkpath(card("Data/Maths.prm.d")));
    const struct
    {
        CopyResult result;
        const char *reasonPart;
    } failures[] = {
        // The target folder is missing.
        { copyCardFile(program(), card("NoSuchFolder"), "Settings.prm"), "NoSuchFolder" },
        // A folder where the target would go.
        { copyFileTo(program("Maths.prm"), card("Data/Maths.prm.d")), "not a regular file" },
        // A folder as the source.
        { copyFileTo(program("Firmware.Bin"), card("KRO.EXE")), "not a regular file" },
    };
    for (const auto &f : failures) {
        SCOPED_TRACE(f.reasonPart);
        EXPECT_EQ(f.result.outcome, CopyOutcome::Failed);
        EXPECT_TRUE(f.result.reason.contains(f.reasonPart)) << f.result.reason.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(card("KRO.EXE")));
}

TEST_F(CardFileCopyTest, ALinkAtTheTargetIsReplacedNeverWrittenThrough)
{
    const QString outside = program("outside.bin");
    writeAll(outside, contentOf("outside"));
    ASSERT_TRUE(QFile::link(outside, card("KRO.EXE")));
    writeAll(program("image.Bin"), contentOf("firmware"));

    const CopyResult result = copyFileTo(program("image.Bin"), card("KRO.EXE"));
    EXPECT_EQ(result.name, "KRO.EXE");
    EXPECT_EQ(result.outcome, CopyOutcome::Copied);
    EXPECT_FALSE(QFileInfo(card("KRO.EXE")).isSymLink());
    EXPECT_EQ(readAll(card("KRO.EXE")), contentOf("firmware"));
    EXPECT_EQ(readAll(outside), contentOf("outside"));
}

TEST(CopyReport, SaysWhetherEverythingWasCopiedAndNamesWhatWasNot)
{
    CopyReport report;
    report.add({ "Settings.prm", CopyOutcome::Copied, {} });
    EXPECT_TRUE(report.complete());
    EXPECT_TRUE(report.copied("SETTINGS.PRM"));
    EXPECT_EQ(report.summary(), QString());

    report.add({ "Screen3.scn", CopyOutcome::SourceMissing, {} });
    report.add({ "Maths.prm", CopyOutcome::Failed, "the card is full" });
    report.add({ "Screen2.scn", CopyOutcome::SourceMissing, {} });
    EXPECT_FALSE(report.complete());
    EXPECT_FALSE(report.copied("Maths.prm"));
    EXPECT_FALSE(report.copied("Screen3.scn"));
    EXPECT_EQ(report.summary(),
        "These files were skipped because they do not exist: Screen3.scn, Screen2.scn.\n"
        "These files were not copied: Maths.prm (the card is full).");
}

} // namespace
